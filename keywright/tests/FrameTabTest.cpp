// Tab walks the form in its order with real key presses: the toolkit's input simulator
// goes through the system's input queue (XTest here, SendInput on Windows), so this is
// what a person filling the form with the keyboard gets.
#include "FrameFixture.h"

#include "KeywrightIds.h"

#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST_F(FrameTest, TabVisitsTheFieldsAndButtonsInTheFormsOrder)
{
    const std::vector<std::pair<std::string, wxWindow*>> order = {
        {"class symbol", frame->classSymbolText},
        {"events file", frame->eventsFileText},
        {"profile title", frame->profileTitleText},
        {"profile file", frame->profileFileText},
        {"path", frame->pathText},
        {"Browse", Child(ID_BROWSE)},
        {"Do it!", Child(ID_DO_IT)},
        {"Close", Child(ID_CLOSE)},
        {"title, again", frame->titleText},
    };
    wxUIActionSimulator input;
    // Keys go to the window under the pointer where no window manager gives the focus.
    const wxRect area = frame->GetScreenRect();
    input.MouseMove(area.GetLeft() + area.GetWidth() / 2, area.GetTop() + 5);
    frame->Raise();
    frame->titleText->SetFocus();
    ASSERT_TRUE(PumpEventsUntil([&] { return wxWindow::FindFocus() == frame->titleText; }));
    for (const auto& [name, expected] : order) {
        SCOPED_TRACE(name);
        ASSERT_NE(expected, nullptr);
        input.Char(WXK_TAB);
        EXPECT_TRUE(PumpEventsUntil([&] { return wxWindow::FindFocus() == expected; }))
            << "the focus is on " << (wxWindow::FindFocus() ? Utf8(wxWindow::FindFocus()->GetLabel()) : "nothing");
    }
}

} // namespace
