#pragma once
// The orders a window's rows are taken in: creation (which is also stacking)
// and the Tab key's.
#include "gui/form.h"

#include <vector>

namespace gui::detail {

// Rows in their order, except that a row whose holding control comes later
// waits for it; holders in a cycle go on the window, last.
std::vector<const ControlLayout *> CreationOrder(const std::vector<ControlLayout> &rows);

// The controls with a tab place, by place; rows with the same place keep
// their order in the layout.
std::vector<TControl *> TabOrder(const TForm &form);

} // namespace gui::detail
