// "Do it!": checks the folder and the two registries, asks before replacing a hotkey
// database, creates the events and hotkeys databases and registers target and profile.
// Database failures leave as wxSQLite3Exception for the click handler to report.
#include "KeywrightFrame.h"

#include "HotkeyPaths.h"
#include "HotkeySchema.h"
#include "HotkeyStore.h"

#include <wx/longlong.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

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

// The registry that a database file's path reaches, or an empty text when none.
wxString RegistryReached(const wxString& path, const HotkeyPaths& paths)
{
    for (const wxString& registry : {paths.targets, paths.profiles}) {
        if (HotkeyStore::SameFile(path, registry))
            return registry;
    }
    return wxString();
}

// Only the low 32 bits of a row id go into profiles.target_id.
int LowTargetId(const wxLongLong& rowId)
{
    return static_cast<int>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(rowId.GetValue() & 0xFFFFFFFF)));
}

} // namespace

void KeywrightFrame::CreateDatabases()
{
    const wxString folder = pathText->GetValue();
    if (!HotkeyStore::FolderExists(folder)) {
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

    const HotkeyPaths paths = MakeHotkeyPaths(folder, eventsFile, profileFile);
    if (!HotkeyStore::FileExists(paths.targets)) {
        ShowError("Hotkey targets database is not exists!\n(" + paths.targets + ")");
        return;
    }
    if (!HotkeyStore::FileExists(paths.profiles)) {
        ShowError("Hotkey profiles database is not exists!\n(" + paths.profiles + ")");
        return;
    }

    // A Yes to an overwrite question below would otherwise delete a registry.
    const wxString eventsRegistry = RegistryReached(paths.events, paths);
    if (!eventsRegistry.empty()) {
        ShowError("The Eventsymbols table file is a registry database!\n(" + eventsRegistry + ")");
        return;
    }
    const wxString hotkeysRegistry = RegistryReached(paths.hotkeys, paths);
    if (!hotkeysRegistry.empty()) {
        ShowError("The Profile file is a registry database!\n(" + hotkeysRegistry + ")");
        return;
    }

    // Every question is answered before anything is removed, so a No loses nothing.
    // When both names reach one file, the events question covers it.
    const bool eventsExists = HotkeyStore::FileExists(paths.events);
    if (eventsExists &&
        !ConfirmOverwrite("The selected events db file is exists!\nDo you want to overwrite?")) {
        return;
    }
    const bool sharedFile = HotkeyStore::SameFile(paths.events, paths.hotkeys);
    if (!sharedFile && HotkeyStore::FileExists(paths.hotkeys) &&
        !ConfirmOverwrite("The selected profile db file is exists!\nDo you want to overwrite?")) {
        return;
    }
    if (eventsExists) {
        HotkeyStore::RemoveQuietly(paths.events);
    }
    if (HotkeyStore::FileExists(paths.hotkeys)) {
        HotkeyStore::RemoveQuietly(paths.hotkeys);
    }

    const HotkeyStore store(busyTimeoutMs);
    store.CreateTable(paths.events, HotkeySchema::eventsTable);
    store.CreateTable(paths.hotkeys, HotkeySchema::hotkeysTable);
    const wxLongLong targetRow =
        store.AppendTarget(paths.targets, titleText->GetValue(), classSymbolText->GetValue(),
                           eventsFile);
    store.AppendProfile(paths.profiles, LowTargetId(targetRow), profileTitleText->GetValue(),
                        profileFile);

    wxMessageBox("The eventsymbols and profile databases is created. Added the specified "
                 "target to targets database and the specified profile to the profiles database",
                 "Info", wxOK | wxCENTRE);
}
