#include "WindowsNames.h"

#include <wx/tokenzr.h>

namespace {

// "con", "CON.db", "lpt1.tar.gz": Windows opens the device whatever follows the first
// dot, and ignores spaces before it.
bool IsDeviceName(const wxString& part)
{
    wxString stem = part.BeforeFirst('.');
    stem.Trim(true);
    stem.MakeLower();
    if (stem == "con" || stem == "nul" || stem == "aux" || stem == "prn")
        return true;
    return stem.length() == 4 && (stem.StartsWith("com") || stem.StartsWith("lpt")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

} // namespace

bool IsWindowsReservedName(const wxString& fileName)
{
    if (fileName.find_first_of(":<>\"|?*") != wxString::npos)
        return true;
    for (const wxString& part : wxStringTokenize(fileName, "\\/", wxTOKEN_STRTOK)) {
        if (IsDeviceName(part))
            return true;
    }
    return false;
}
