#include "KeywrightApp.h"

#include "DirHelper.h"
#include "KeywrightFrame.h"
#include "OrixLogoIcon.h"
#include "ProgramFolder.h"
#include "Translate.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

bool KeywrightApp::OnInit()
{
    // The base OnInit would parse the command line; keywright's two options are answered
    // before the toolkit starts (KeywrightMain.cpp), and any other argument is ignored.
    const wxString argv0 = argc > 0 ? wxString(argv[0]) : wxString();
    DirHelper::Init(ProgramFolder(argv0, wxFileName::GetCwd(),
                                  wxStandardPaths::Get().GetExecutablePath()));
    OpenMainWindow();
    return true;
}

KeywrightFrame* OpenMainWindow()
{
    KeywrightFrame* frame = new KeywrightFrame(nullptr, Translate("Orixpilot Keywright"));
    SetOrixLogoIcon(frame);
    frame->Show(true);
    return frame;
}
