// The window's frame, and where the keyboard focus goes when the window
// opens, when a modal window closes and when the control that has it goes
// out of reach. Drives the window through the layer's own calls only.
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

// The layout gives only the outer size: it holds where the layer draws the
// frame. Resizing moves or resizes no control but the status bar.
TEST(GuiFrame, AnOrdinaryResizableWindowWhoseStatusBarAloneFollowsTheSize)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    const guitest::Frame frame = guitest::FrameOf(form);
    EXPECT_TRUE(frame.resizable);
    EXPECT_TRUE(frame.maximisable);
    if (frame.outerWidth > 0) {
        EXPECT_EQ(frame.outerWidth, 444);
        EXPECT_EQ(frame.outerHeight, 325);
    }
    const auto *edit = form.Find<TEdit>("edtName");
    const auto *bar = form.Find<TStatusBar>("sbMain");
    const guitest::Box editBox = guitest::PlaceOf(*edit), barBox = guitest::PlaceOf(*bar);
    form.SetClientSize(536, 339);
    EXPECT_EQ(guitest::PlaceOf(*edit), editBox);
    EXPECT_EQ(guitest::PlaceOf(*bar), (guitest::Box{0, 339 - barBox.height, 536, barBox.height}));
}

// Enter and Space press the focused button from the start, and the control
// that had the focus has it again when a modal window closes.
TEST(GuiFocus, TheFocusedButtonTakesEnterAndSpaceFromTheStartAndAfterAModalWindow)
{
    TForm form(guitest::TestLayout());
    auto *quit = form.Find<TButton>("btnQuit");
    auto *ok = form.Find<TButton>("btnOk");
    int quits = 0, oks = 0;
    quit->OnClick = [&](TObject *) { ++quits; };
    ok->OnClick = [&](TObject *) { ++oks; };
    ASSERT_TRUE(guitest::ShowActive(form));
    ASSERT_EQ(form.ActiveControl(), quit);
    guitest::PressKey(form, guitest::Key::Enter);
    guitest::PressKey(form, guitest::Key::Space);
    EXPECT_EQ(quits, 2);

    ok->SetFocus();
    {
        TForm modal(guitest::TestLayout(), &form);
        modal.OnActivate = [&](TObject *) { modal.Close(); };
        modal.ShowModal();
    }
    ASSERT_TRUE(guitest::ShowActive(form));
    EXPECT_EQ(form.ActiveControl(), ok);
    guitest::PressKey(form, guitest::Key::Enter);
    EXPECT_EQ(oks, 1);
}

} // namespace
