#include "Translate.h"

#include <wx/intl.h>

wxString Translate(const wxString& text)
{
    wxLocale* locale = wxGetLocale();
    return locale ? locale->GetString(text) : text;
}
