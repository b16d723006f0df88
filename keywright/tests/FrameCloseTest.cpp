// Every way of closing the window destroys it: the "Close" button and the close box
// through a close event, File > Quit directly.
#include "FrameFixture.h"

#include "KeywrightIds.h"

#include <wx/button.h>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#else
#include <dlfcn.h>
#endif

namespace {

void ClickClose(KeywrightFrame* frame)
{
    ClickButton(frame, ID_CLOSE);
}

// What the close box does. On Windows: the window menu's Close command. Elsewhere, what
// the window manager does: GTK delivers a delete event to the window. GTK is already
// loaded by the toolkit, so its function is looked up, not linked.
void PressCloseBox(KeywrightFrame* frame)
{
#ifdef __WXMSW__
    ::SendMessage(static_cast<HWND>(frame->GetHWND()), WM_SYSCOMMAND, SC_CLOSE, 0);
#else
    using CloseFunction = void (*)(void*);
    auto gtkWindowClose =
        reinterpret_cast<CloseFunction>(dlsym(RTLD_DEFAULT, "gtk_window_close"));
    ASSERT_NE(gtkWindowClose, nullptr);
    gtkWindowClose(frame->GetHandle());
#endif
}

void ChooseQuit(KeywrightFrame* frame)
{
    wxCommandEvent quit(wxEVT_MENU, ID_MENU_QUIT);
    quit.SetEventObject(frame);
    frame->ProcessWindowEvent(quit);
}

TEST_F(FrameTest, CloseButtonCloseBoxAndQuitEachDestroyTheFrame)
{
    struct Case {
        const char* how;
        void (*close)(KeywrightFrame*);
    };
    const Case cases[] = {
        {"Close button", ClickClose},
        {"close box", PressCloseBox},
        {"File > Quit", ChooseQuit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Rebuild(new KeywrightFrame(nullptr, "Orixpilot Keywright"));
        ASSERT_TRUE(frame);
        c.close(frame);
        EXPECT_TRUE(PumpEventsUntil([this] { return !frame; }));
        EXPECT_TRUE(wxTopLevelWindows.empty());
    }
}

} // namespace
