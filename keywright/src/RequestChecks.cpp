#include "RequestChecks.h"

#include "SqliteSideFiles.h"
#include "WindowsNames.h"

#include <wx/filename.h>

namespace {

// SQLite walks a path by its own rules: it opens "nothere/../targets.db" and
// "targets.db/" as targets.db, where the system says no such file exists. A database
// path is only used when everything before its last separator is a folder the system
// knows, and something follows that separator; a plain name always passes.
bool NamesFileInExistingFolder(const wxString& path)
{
    const wxString separators = wxFileName::GetPathSeparators();
    const size_t last = path.find_last_of(separators);
    if (last == wxString::npos || last + 1 == path.length())
        return false;
    return HotkeyStore::Stat(path.substr(0, last)).IsFolder();
}

// The registry that a database file is, or an empty text when none.
wxString RegistryReached(const PathState& file, const HotkeyPaths& paths,
                         const PathState& targets, const PathState& profiles)
{
    if (file.SameFileAs(targets))
        return paths.targets;
    if (file.SameFileAs(profiles))
        return paths.profiles;
    return wxString();
}

// The refusal of one of the two file names, or an empty text; field is the form's name
// for it.
wxString RefuseFileName(const wxString& field, const wxString& name)
{
    // An empty name would point the database at the folder itself.
    if (name.empty())
        return "The " + field + " name is empty!";
#ifdef __WXMSW__
    if (IsWindowsReservedName(name))
        return "The " + field + " name is reserved on Windows!\n(" + name + ")";
#endif
    if (IsSqliteSideFileName(name, nativeNameMatching)) {
        return "The " + field + " name ends like an SQLite side file (-journal, -wal or -shm)!\n(" +
               name + ")";
    }
    return wxString();
}

} // namespace

RequestCheck CheckRequest(const wxString& folder, const wxString& eventsFile,
                          const wxString& profileFile, const HotkeyStore& store)
{
    RequestCheck check;
    if (!HotkeyStore::Stat(folder).IsFolder()) {
        check.refusal = "The selected path is not exists!";
        return check;
    }
    check.refusal = RefuseFileName("Eventsymbols table file", eventsFile);
    if (check.refusal.empty())
        check.refusal = RefuseFileName("Profile file", profileFile);
    if (!check.refusal.empty())
        return check;

    const HotkeyPaths& paths = check.paths = MakeHotkeyPaths(folder, eventsFile, profileFile);
    if (!NamesFileInExistingFolder(paths.events)) {
        check.refusal = "The Eventsymbols table file is not a file name in an existing folder!\n(" +
                        paths.events + ")";
        return check;
    }
    if (!NamesFileInExistingFolder(paths.hotkeys)) {
        check.refusal =
            "The Profile file is not a file name in an existing folder!\n(" + paths.hotkeys + ")";
        return check;
    }

    const PathState targets = HotkeyStore::Stat(paths.targets);
    if (!targets.IsFile()) {
        check.refusal = "Hotkey targets database is not exists!\n(" + paths.targets + ")";
        return check;
    }
    const PathState profiles = HotkeyStore::Stat(paths.profiles);
    if (!profiles.IsFile()) {
        check.refusal = "Hotkey profiles database is not exists!\n(" + paths.profiles + ")";
        return check;
    }

    // A Yes to an overwrite question would otherwise delete a registry.
    check.events = HotkeyStore::Stat(paths.events);
    const wxString eventsRegistry = RegistryReached(check.events, paths, targets, profiles);
    if (!eventsRegistry.empty()) {
        check.refusal =
            "The Eventsymbols table file is a registry database!\n(" + eventsRegistry + ")";
        return check;
    }
    check.hotkeys = HotkeyStore::Stat(paths.hotkeys);
    const wxString hotkeysRegistry = RegistryReached(check.hotkeys, paths, targets, profiles);
    if (!hotkeysRegistry.empty()) {
        check.refusal = "The Profile file is a registry database!\n(" + hotkeysRegistry + ")";
        return check;
    }

    // A folder or a device cannot become a database, and the questions only ask about
    // files: without this the other file would be removed before the failure showed.
    if (!check.events.IsFile() && check.events.kind != PathState::missing) {
        check.refusal =
            "The Eventsymbols table file exists and is not a regular file!\n(" + paths.events + ")";
        return check;
    }
    if (!check.hotkeys.IsFile() && check.hotkeys.kind != PathState::missing) {
        check.refusal =
            "The Profile file exists and is not a regular file!\n(" + paths.hotkeys + ")";
        return check;
    }

    store.CheckTargetsTakeRow(paths.targets);
    store.CheckProfilesTakeRow(paths.profiles);
    return check;
}
