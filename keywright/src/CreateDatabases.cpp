// "Do it!": checks everything that can be known without writing, asks before replacing a
// hotkey database, creates the events and hotkeys databases and registers target and
// profile. Database failures leave as wxSQLite3Exception for the click handler to report.
#include "KeywrightFrame.h"

#include "HotkeySchema.h"
#include "HotkeyStore.h"
#include "RequestChecks.h"

#include <wx/longlong.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

namespace {

void ShowError(const wxString& message)
{
    wxMessageBox(message, "Error", wxICON_ERROR);
}

bool ConfirmOverwrite(const wxString& question)
{
    return wxMessageBox(question, "Error", wxYES_NO | wxICON_QUESTION) == wxYES;
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
    const wxString eventsFile = eventsFileText->GetValue();
    const wxString profileFile = profileFileText->GetValue();
    const HotkeyStore store(busyTimeoutMs);
    const RequestCheck check = CheckRequest(pathText->GetValue(), eventsFile, profileFile, store);
    if (!check.refusal.empty()) {
        ShowError(check.refusal);
        return;
    }
    const HotkeyPaths& paths = check.paths;
    const PathState& events = check.events;
    const PathState& hotkeys = check.hotkeys;

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

    store.CreateTable(paths.events, HotkeySchema::eventsTable);
    store.CreateTable(paths.hotkeys, HotkeySchema::hotkeysTable);
    const wxString title = titleText->GetValue();
    const wxString classSymbol = classSymbolText->GetValue();
    const wxLongLong targetRow = store.AppendTarget(paths.targets, title, classSymbol, eventsFile);
    if (targetRow == 0) {
        ShowError("Hotkey targets database did not add the target row!\n(" + paths.targets + ")");
        return;
    }

    // A target without its profile would stay registered for good, and a retry would add
    // a second one: the request registers both rows or neither. The registry is never
    // restored from a copy, since another program may have written to it.
    wxString failure;
    try {
        if (!store.AppendProfile(paths.profiles, targetRow, profileTitleText->GetValue(),
                                 profileFile)) {
            failure = "Hotkey profiles database did not add the profile row!\n(" +
                      paths.profiles + ")";
        }
    } catch (const wxSQLite3Exception& append) {
        failure = append.GetMessage();
    }
    if (!failure.empty()) {
        const wxString problem =
            TakeBackTarget(store, paths.targets, targetRow, title, classSymbol, eventsFile);
        if (!problem.empty()) {
            failure += "\nThe target row " + targetRow.ToString() +
                       " of targets.db could not be taken back: " + problem + "\n(" +
                       paths.targets + ")";
        }
        ShowError(failure);
        return;
    }

    wxMessageBox("The eventsymbols and profile databases is created. Added the specified "
                 "target to targets database and the specified profile to the profiles database",
                 "Info", wxOK | wxCENTRE);
}
