#include "gui/layout_order.h"

#include <algorithm>
#include <set>
#include <string>

namespace gui::detail {

std::vector<const ControlLayout *> CreationOrder(const std::vector<ControlLayout> &rows)
{
    std::vector<const ControlLayout *> order;
    std::set<std::string> made;
    std::vector<const ControlLayout *> waiting;
    for (const ControlLayout &row : rows)
        waiting.push_back(&row);
    while (!waiting.empty()) {
        std::vector<const ControlLayout *> still;
        for (const ControlLayout *row : waiting) {
            const bool ready =
                row->parent.empty() || made.count(row->parent) ||
                std::none_of(rows.begin(), rows.end(), [&](const ControlLayout &r) { return r.name == row->parent; });
            if (ready) {
                order.push_back(row);
                made.insert(row->name);
            } else {
                still.push_back(row);
            }
        }
        if (still.size() == waiting.size()) { // holders in a cycle: put them on the window
            order.insert(order.end(), still.begin(), still.end());
            break;
        }
        waiting = std::move(still);
    }
    return order;
}

std::vector<TControl *> TabOrder(const TForm &form)
{
    std::vector<TControl *> list;
    for (const ControlLayout &row : form.Layout().controls) {
        auto *control = form.Find<TControl>(row.name);
        if (control && control->TabOrder >= 0 && std::find(list.begin(), list.end(), control) == list.end())
            list.push_back(control);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const TControl *a, const TControl *b) { return a->TabOrder < b->TabOrder; });
    return list;
}

} // namespace gui::detail
