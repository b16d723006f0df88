// What "Do it!" finds out before it asks a question or touches a file: everything that
// can be known without writing, so a request bound to fail changes nothing.
#pragma once

#include "HotkeyPaths.h"
#include "HotkeyStore.h"

#include <wx/string.h>

struct RequestCheck {
    // The text of the "Error" box that refuses the request; empty when it may go on.
    wxString refusal;
    HotkeyPaths paths;
    // What the events and hotkeys paths name now: missing, or a file to ask about.
    PathState events;
    PathState hotkeys;
};

// Checks the folder, the two file names, what their paths name, and that each registry
// would take its row. A registry that would not leaves as wxSQLite3Exception, with the
// database's own message.
RequestCheck CheckRequest(const wxString& folder, const wxString& eventsFile,
                          const wxString& profileFile, const HotkeyStore& store);
