#include "ProgramFolder.h"

#include <wx/filename.h>

namespace {

wxString FolderPart(const wxString& path)
{
    wxFileName name;
    name.Assign(path, wxPATH_NATIVE);
    return name.GetPath(wxPATH_GET_VOLUME, wxPATH_NATIVE);
}

} // namespace

wxString ProgramFolder(const wxString& argv0, const wxString& cwd,
                       const wxString& executablePath)
{
    wxString folder = FolderPart(argv0);
    if (folder.empty())
        return FolderPart(executablePath);

    wxFileName dir = wxFileName::DirName(folder, wxPATH_NATIVE);
    if (dir.IsAbsolute())
        return folder;
    // Only the text is resolved; symbolic links stay as they are.
    dir.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE, cwd);
    return dir.GetPath(wxPATH_GET_VOLUME, wxPATH_NATIVE);
}
