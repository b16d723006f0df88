// Program entry: --help and --version are answered before the toolkit starts, so they need
// no display and open no window. Anything else goes to wxEntry, whose registered factory
// checks the toolkit's build signature before it creates KeywrightApp.
#include "KeywrightApp.h"
#include "StartUpAnswer.h"

#include <wx/init.h>

#include <cstdio>

wxIMPLEMENT_WX_THEME_SUPPORT
wxIMPLEMENT_APP_NO_MAIN(KeywrightApp);

#ifdef __WXMSW__

#include <wx/msgdlg.h>

#include <cstdlib>

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, wxCmdLineArgType commandLine,
                              int show)
{
    wxDISABLE_DEBUG_SUPPORT();
    const std::optional<std::string> answer = StartUpAnswer(__argc, __argv);
    if (!answer)
        return wxEntry(instance, previous, commandLine, show);
    // A GUI program has no console here: the text goes into a box, which needs the
    // toolkit started but not the application's window.
    if (!wxEntryStart(instance, previous, commandLine, show))
        return 1;
    wxMessageBox(wxString::FromUTF8(answer->c_str()), "Info", wxOK | wxCENTRE);
    wxEntryCleanup();
    return 0;
}

#else

int main(int argc, char** argv)
{
    wxDISABLE_DEBUG_SUPPORT();
    if (const std::optional<std::string> answer = StartUpAnswer(argc, argv)) {
        std::fputs(answer->c_str(), stdout);
        return 0;
    }
    return wxEntry(argc, argv);
}

#endif
