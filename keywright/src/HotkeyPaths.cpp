// Joins the chosen folder and the four file names with the suite's separator.
#include "HotkeyPaths.h"

#include "DirHelper.h"
#include "HotkeySchema.h"

namespace {

wxString Join(const wxString& folder, const wxString& name)
{
    return folder + DirHelper::GetSeparator() + name;
}

} // namespace

HotkeyPaths MakeHotkeyPaths(const wxString& folder, const wxString& eventsFile,
                            const wxString& profileFile)
{
    HotkeyPaths paths;
    paths.events = Join(folder, eventsFile);
    paths.hotkeys = Join(folder, profileFile);
    paths.targets = Join(folder, HotkeySchema::targetsFile);
    paths.profiles = Join(folder, HotkeySchema::profilesFile);
    return paths;
}
