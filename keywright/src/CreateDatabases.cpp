// "Do it!": checks the folder and the two registries, asks before replacing a hotkey
// database, creates the events and hotkeys databases and registers target and profile.
// Database failures leave as wxSQLite3Exception for the click handler to report.
#include "KeywrightFrame.h"

#include "HotkeyPaths.h"
#include "HotkeySchema.h"
#include "HotkeyStore.h"
#include "WindowsNames.h"

#include <wx/filename.h>
#include <wx/longlong.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include <cstdint>

namespace {

void ShowError(const wxString& message)
{
    wxMessageBox(message, "Error", wxICON_ERROR);
}

bool ConfirmOverwrite(const wxString& question)
{
    return wxMessageBox(question, "Error", wxYES_NO | wxICON_QUESTION) == wxYES;
}

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

// Only the low 32 bits of a row id go into profiles.target_id.
int LowTargetId(const wxLongLong& rowId)
{
    return static_cast<int>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(rowId.GetValue() & 0xFFFFFFFF)));
}

// Removes the target row a failed request appended; an empty text when that worked,
// otherwise why not, for a person to mend the registry by hand.
wxString TakeBackTarget(const HotkeyStore& store, const wxString& targetsPath,
                        const wxLongLong& rowId, const wxString& title,
                        const wxString& classSymbol, const wxString& eventsFile)
{
    try {
        if (store.RemoveTarget(targetsPath, rowId, title, classSymbol, eventsFile))
            return wxString();
        return "it no longer holds this request's target";
    } catch (const wxSQLite3Exception& removal) {
        return removal.GetMessage();
    }
}

} // namespace

void KeywrightFrame::CreateDatabases()
{
    const wxString folder = pathText->GetValue();
    if (!HotkeyStore::Stat(folder).IsFolder()) {
        ShowError("The selected path is not exists!");
        return;
    }

    // An empty name would point the database at the folder itself.
    const wxString eventsFile = eventsFileText->GetValue();
    if (eventsFile.empty()) {
        ShowError("The Eventsymbols table file name is empty!");
        return;
    }
    const wxString profileFile = profileFileText->GetValue();
    if (profileFile.empty()) {
        ShowError("The Profile file name is empty!");
        return;
    }

#ifdef __WXMSW__
    if (IsWindowsReservedName(eventsFile)) {
        ShowError("The Eventsymbols table file name is reserved on Windows!\n(" + eventsFile + ")");
        return;
    }
    if (IsWindowsReservedName(profileFile)) {
        ShowError("The Profile file name is reserved on Windows!\n(" + profileFile + ")");
        return;
    }
#endif

    const HotkeyPaths paths = MakeHotkeyPaths(folder, eventsFile, profileFile);
    if (!NamesFileInExistingFolder(paths.events)) {
        ShowError("The Eventsymbols table file is not a file name in an existing folder!\n(" +
                  paths.events + ")");
        return;
    }
    if (!NamesFileInExistingFolder(paths.hotkeys)) {
        ShowError("The Profile file is not a file name in an existing folder!\n(" +
                  paths.hotkeys + ")");
        return;
    }

    const PathState targets = HotkeyStore::Stat(paths.targets);
    if (!targets.IsFile()) {
        ShowError("Hotkey targets database is not exists!\n(" + paths.targets + ")");
        return;
    }
    const PathState profiles = HotkeyStore::Stat(paths.profiles);
    if (!profiles.IsFile()) {
        ShowError("Hotkey profiles database is not exists!\n(" + paths.profiles + ")");
        return;
    }

    // A Yes to an overwrite question below would otherwise delete a registry.
    const PathState events = HotkeyStore::Stat(paths.events);
    const wxString eventsRegistry = RegistryReached(events, paths, targets, profiles);
    if (!eventsRegistry.empty()) {
        ShowError("The Eventsymbols table file is a registry database!\n(" + eventsRegistry + ")");
        return;
    }
    const PathState hotkeys = HotkeyStore::Stat(paths.hotkeys);
    const wxString hotkeysRegistry = RegistryReached(hotkeys, paths, targets, profiles);
    if (!hotkeysRegistry.empty()) {
        ShowError("The Profile file is a registry database!\n(" + hotkeysRegistry + ")");
        return;
    }

    // Every question is answered before anything is removed, so a No loses nothing, and
    // only what was asked about goes: a file that turns up while a box is open stays.
    // The events question covers the hotkeys name only when the system calls the two one
    // file; both names are then removed, since a hard link would keep the old data alive.
    if (events.IsFile() &&
        !ConfirmOverwrite("The selected events db file is exists!\nDo you want to overwrite?")) {
        return;
    }
    const bool coveredByEvents = events.SameFileAs(hotkeys);
    if (hotkeys.IsFile() && !coveredByEvents &&
        !ConfirmOverwrite("The selected profile db file is exists!\nDo you want to overwrite?")) {
        return;
    }
    if (events.IsFile())
        HotkeyStore::RemoveQuietly(paths.events);
    if (hotkeys.IsFile())
        HotkeyStore::RemoveQuietly(paths.hotkeys);

    const HotkeyStore store(busyTimeoutMs);
    store.CreateTable(paths.events, HotkeySchema::eventsTable);
    store.CreateTable(paths.hotkeys, HotkeySchema::hotkeysTable);
    const wxString title = titleText->GetValue();
    const wxString classSymbol = classSymbolText->GetValue();
    const wxLongLong targetRow = store.AppendTarget(paths.targets, title, classSymbol, eventsFile);
    try {
        store.AppendProfile(paths.profiles, LowTargetId(targetRow), profileTitleText->GetValue(),
                            profileFile);
    } catch (const wxSQLite3Exception& failure) {
        // A target without its profile would stay registered for good, and a retry would
        // add a second one: the request registers both rows or neither. The registry is
        // never restored from a copy, since another program may have written to it.
        const wxString problem =
            TakeBackTarget(store, paths.targets, targetRow, title, classSymbol, eventsFile);
        if (problem.empty())
            throw;
        ShowError(failure.GetMessage() + "\nThe target row " + targetRow.ToString() +
                  " of targets.db could not be taken back: " + problem + "\n(" +
                  paths.targets + ")");
        return;
    }

    wxMessageBox("The eventsymbols and profile databases is created. Added the specified "
                 "target to targets database and the specified profile to the profiles database",
                 "Info", wxOK | wxCENTRE);
}
