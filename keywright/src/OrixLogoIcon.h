// The "orixLogoIcon" mark at all its sizes (16, 24, 32, 48, 72, 96 px, 32-bit RGBA).
#pragma once

#include <wx/iconbndl.h>

class wxTopLevelWindow;

// Decodes the images built into the program; on Windows they come from the resource.
wxIconBundle OrixLogoIcons();

// Gives the window its icon.
void SetOrixLogoIcon(wxTopLevelWindow* window);
