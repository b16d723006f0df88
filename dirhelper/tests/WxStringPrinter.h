// Lets test failures show wxString values as text rather than as character codes.
#pragma once

#include <ostream>

#include <wx/string.h>

inline void PrintTo(const wxString& text, std::ostream* os)
{
    *os << '"' << text.utf8_str().data() << '"';
}
