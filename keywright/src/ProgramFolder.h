// The data root is the folder keywright was started from, derived from argv[0].
#pragma once

#include <wx/string.h>

// argv0: the program path as given (may be empty); cwd: the working folder;
// executablePath: the running executable's own path, used when argv0 has no folder part
// (a PATH lookup or a desktop launcher gives a bare name on Linux).
// A relative folder is made absolute against cwd and its "." and ".." are resolved;
// an absolute folder is returned as wxFileName gives it. Pure: touches no disk.
wxString ProgramFolder(const wxString& argv0, const wxString& cwd,
                       const wxString& executablePath);
