// DirHelper: the folder table of the suite's data root, the native path separator and
// the helpers that create folders along a path. Nothing here reports, throws or shows
// anything; a folder that cannot be made simply stays missing.
#include "DirHelper.h"

#include <wx/datetime.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/tokenzr.h>

#ifdef __WINDOWS__
#include <direct.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

// The separator comes first so that it exists before the table (same translation unit,
// so static initialisation follows definition order; destruction runs the other way).
wxString DirHelper::separator = wxString(wxFileName::GetPathSeparators(wxPATH_NATIVE)[0u]);
DirTable DirHelper::table;

namespace {

// One row of the layout: the kind, the kind it hangs below, and its one or two names.
struct Layout {
    int kind;
    int base;
    const char* first;
    const char* second;
};

// The stored layout, in the order the entries are built. DIR_MAPS and DIR_TILES hang
// below table entries that precede them; every other row hangs below the root.
const Layout kLayout[] = {
    {DIR_GRAPHICS_CACHE, DIR_ROOT, "graphics", "cache"},
    {DIR_ICONS, DIR_ROOT, "graphics", "icons"},
    {DIR_GRAPHICS, DIR_ROOT, "graphics", nullptr},
    {DIR_WEBCACHE, DIR_ROOT, "webcache", nullptr},
    {DIR_PROJECTS, DIR_ROOT, "orixprojects", nullptr},
    {DIR_CONFIG, DIR_ROOT, "config", nullptr},
    {DIR_FILES, DIR_ROOT, "ORIX_Files", nullptr},
    {DIR_FONTS, DIR_ROOT, "fonts", nullptr},
    {DIR_MAPS, DIR_GRAPHICS_CACHE, "maps", nullptr},
    {DIR_TILES, DIR_MAPS, "tiles", nullptr},
    {DIR_FILES_BASE, DIR_ROOT, "ORIX_Files", nullptr},
    {DIR_CONFIGLETS, DIR_ROOT, "configlets", nullptr},
    {DIR_CONFIGFILTERS, DIR_ROOT, "configfilters", nullptr},
    {DIR_HOTKEYS, DIR_ROOT, "config", "hotkeys"},
    {DIR_DEFAULT_FIRMWARE_CONFIGS, DIR_ROOT, "defaultfirmwareconfigs", nullptr},
    {DIR_LOGS, DIR_ROOT, "logs", nullptr},
    {DIR_HELP, DIR_ROOT, "help", nullptr},
    {DIR_DEFAULT_STATEMENTS, DIR_ROOT, "config", "defaultstatements"},
};

// The one call in this library that creates a folder: a single level, outcome ignored.
void CreateOneFolder(const wxString& path, int mode)
{
#ifdef __WINDOWS__
    (void)mode; // the Windows call takes no permission mode
    (void)_wmkdir(path.wc_str());
#else
    (void)mkdir(path.fn_str(), static_cast<mode_t>(mode));
#endif
}

// The file system sees a path only up to its first NUL character. Text after it never
// reaches the system, so a counter placed there could never make a candidate free:
// such text is dropped before any candidate is formed.
wxString UpToNul(const wxString& text)
{
    const size_t nul = text.find(wxUniChar(0));
    return nul == wxString::npos ? text : text.Left(nul);
}

} // namespace

void DirHelper::Init(const wxString& root)
{
    table.clear();
    table[DIR_ROOT] = root;
    for (const Layout& row : kLayout) {
        // Exactly one separator per name, even when the root already ends with one.
        wxString path = table[row.base] + separator + wxString::FromUTF8(row.first);
        if (row.second != nullptr)
            path += separator + wxString::FromUTF8(row.second);
        table[row.kind] = path;
    }
}

wxString DirHelper::GetDir(int kind, bool withSeparator)
{
    // find(), not operator[]: asking for a kind must never add an entry for it.
    DirTable::const_iterator it = table.find(kind);
    if (it == table.end())
        return wxString();
    return withSeparator ? it->second + separator : it->second;
}

wxString DirHelper::GetSeparator()
{
    return separator;
}

void DirHelper::SetDir(int kind, const wxString& path)
{
    if (!wxDirExists(path))
        CreateOneFolder(path, 0777);
    if (wxDirExists(path))
        table[kind] = path;
}

void DirHelper::SetFilesDir(int number, const wxString& name)
{
    if (number == 0)
        return;
    wxString path = GetDir(DIR_FILES_BASE, true);
    if (!name.empty())
        path += name + wxString::Format(wxT("-%i"), number);
    else
        path += wxString::Format(wxT("%i"), number);
    SetDir(DIR_FILES, path);
}

void DirHelper::SetFilesDir(const wxString& identifier, const wxString& name)
{
    if (identifier.empty() || name.empty())
        return;
    SetDir(DIR_FILES, GetDir(DIR_FILES_BASE, true) + name + wxT("-") + identifier);
}

void DirHelper::CreateDirs()
{
    for (DirTable::const_iterator it = table.begin(); it != table.end(); ++it) {
        // The files folders are made on demand by SetDir, never up front.
        if (it->first == DIR_FILES || it->first == DIR_FILES_BASE)
            continue;
        MakePath(it->second);
    }
}

void DirHelper::MakePath(const wxString& path)
{
    // Default mode keeps an empty segment between two separators but drops the one
    // after a trailing separator.
    const wxArrayString segments = wxStringTokenize(path, separator);
    if (segments.size() < 2)
        return;
    // The first segment (a drive, or the empty text before a leading separator) is
    // never created itself.
    wxString current = segments[0];
    for (size_t i = 1; i < segments.size(); ++i) {
        current += separator + segments[i];
        if (!wxFileName::DirExists(current))
            MakeDir(current, 0777);
    }
}

void DirHelper::MakeDir(const wxString& path, int mode)
{
    if (!wxFileName::DirExists(path))
        CreateOneFolder(path, mode);
}

wxString DirHelper::UniqueFileName(const wxString& fileName, const wxString& folder,
                                   bool withTime, bool withDate)
{
    const wxString name = UpToNul(fileName);
    const wxString dir = UpToNul(folder);
    const wxDateTime now = wxDateTime::Now();

    wxString timePart;
    if (withTime)
        timePart = wxString::Format(wxT("-%.2i.%.2i.%.2i"), int(now.GetHour()),
                                    int(now.GetMinute()), int(now.GetSecond()));
    wxString datePart;
    if (withDate)
        datePart = wxString::Format(wxT("-%i.%.2i.%.2i"), int(now.GetYear()),
                                    int(now.GetMonth()) + 1, int(now.GetDay()));

    wxString ownFolder, base, ext;
    wxFileName::SplitPath(name, &ownFolder, &base, &ext, wxPATH_NATIVE);

    const wxString stem = base + datePart + timePart;
    const wxString suffix = ext.empty() ? wxString() : wxT(".") + ext;

    wxString candidate = stem + suffix;
    for (int counter = 0; wxFileExists(dir + candidate); ++counter)
        candidate = stem + wxString::Format(wxT("-%i"), counter) + suffix;
    return dir + candidate;
}
