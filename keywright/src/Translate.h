// The window title, menu texts and first status text go through the current locale's
// catalogue when a locale exists; without one the literal is shown.
#pragma once

#include <wx/string.h>

wxString Translate(const wxString& text);
