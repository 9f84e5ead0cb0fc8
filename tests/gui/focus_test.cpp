// Where the keyboard focus goes when the control that has it goes out of
// reach. Drives the window through the layer's own calls only.
#include "gui/form.h"
#include "test_form.h"

#include <gtest/gtest.h>

namespace {

using namespace gui;

// edtName, with an exit handler, follows btnQuit in the Tab order: a focus
// handed along the chain would land there, and the next move of the focus
// would run edtName's exit though the operator was never in it.
TEST(GuiFocus, HidingOrDisablingTheFocusedControlLeavesTheFocusWithTheWindow)
{
    const struct {
        const char *how;
        void (*act)(TControl *);
    } cases[] = {
        {"hidden", [](TControl *c) { c->SetVisible(false); }},
        {"disabled", [](TControl *c) { c->SetEnabled(false); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        TForm form(guitest::TestLayout());
        int exits = 0;
        form.Find<TEdit>("edtName")->OnExit = [&](TObject *) { ++exits; };
        ASSERT_TRUE(guitest::ShowActive(form));
        auto *quit = form.Find<TButton>("btnQuit");
        quit->SetFocus();
        ASSERT_EQ(form.ActiveControl(), quit);

        c.act(quit);
        EXPECT_EQ(form.ActiveControl(), nullptr);
        form.Find<TButton>("btnOk")->SetFocus();
        EXPECT_EQ(form.ActiveControl(), form.Find<TButton>("btnOk"));
        EXPECT_EQ(exits, 0);
    }
}

} // namespace
