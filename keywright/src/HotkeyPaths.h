// HotkeyPaths: the four database paths of one "Do it!" request.
// Each is the folder text, the separator and a file name joined as plain strings:
// nothing is normalised, so a folder that already ends in a separator gives two.
#pragma once

#include <wx/string.h>

struct HotkeyPaths {
    wxString events;
    wxString hotkeys;
    wxString targets;
    wxString profiles;
};

// Builds the paths in the order events, hotkeys, targets, profiles.
HotkeyPaths MakeHotkeyPaths(const wxString& folder, const wxString& eventsFile,
                            const wxString& profileFile);
