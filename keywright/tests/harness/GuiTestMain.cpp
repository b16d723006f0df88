// GoogleTest main for the GUI tests: the tests run inside a wx application with an
// active event loop, wx assertions become test failures, and a catch-all modal hook
// makes sure no box ever waits for a person.
#include "GuiTest.h"

#include <cstdio>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/toplevel.h>

namespace {

// Registered first, so every wxTEST_DIALOG hook is asked before it.
class CatchAllHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override
    {
        const wxMessageDialog* box = dynamic_cast<wxMessageDialog*>(dialog);
        ADD_FAILURE() << "a modal dialog was shown with no expectation: "
                      << (box ? "message box \"" + Utf8(box->GetMessage()) + "\""
                              : "\"" + Utf8(dialog->GetTitle()) + "\"");
        return wxID_CANCEL;
    }
};

// Windows a test leaves behind are destroyed before the next test starts.
class WindowSweeper : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override
    {
        PumpEvents();
        // Destroy() may change the list, so walk a copy.
        const wxWindowList leftovers = wxTopLevelWindows;
        for (wxWindow* window : leftovers)
            window->Destroy();
        PumpEvents();
    }
};

class GuiTestApp : public wxApp {
public:
    // The command line belongs to GoogleTest.
    bool OnInit() override
    {
        wxSetAssertHandler(AssertToFailure);
        SetExitOnFrameDelete(false);
        return true;
    }

    int OnRun() override
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        CatchAllHook hook;
        hook.Register();
        return RUN_ALL_TESTS();
    }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    testing::UnitTest::GetInstance()->listeners().Append(new WindowSweeper);
    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the toolkit (is DISPLAY set? run under "
                             "testing/run-under-xvfb)\n");
        return 1;
    }
    int result = 1;
    if (wxTheApp->CallOnInit())
        result = wxTheApp->OnRun();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
