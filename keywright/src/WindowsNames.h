// File names that Windows reads as something else than a file in a folder: a ":" (a
// drive, or a hidden stream of another file: "e:x.db"), the device names ("con",
// "nul", "aux", "prn", "com1"-"com9", "lpt1"-"lpt9", with any extension, in any
// folder of the name) and the characters < > " | ? *. Pure text work, so the rule
// can be checked on any system; keywright applies it on Windows.
#pragma once

#include <wx/string.h>

bool IsWindowsReservedName(const wxString& fileName);
