// The one place where the "Do it!" workflow touches the disk.
#include "HotkeyStore.h"

#include "HotkeySchema.h"

#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/wxsqlite3.h>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#else
#include <sys/stat.h>
#endif

namespace {

// Opens with an empty key (no encryption) and the wrapper's read/write/create mode,
// then applies the caller's busy timeout, which a locked registry waits out.
void OpenDatabase(wxSQLite3Database& db, const wxString& path, int busyTimeoutMs)
{
    db.Open(path, wxEmptyString);
    db.SetBusyTimeout(busyTimeoutMs);
}

struct Outcome {
    int changes;
    wxLongLong lastRowId;
};

// Runs one statement with the values bound to its parameters in order.
template <typename... Values>
Outcome RunStatement(const wxString& path, int busyTimeoutMs, const char* sql,
                     const Values&... values)
{
    wxSQLite3Database db;
    OpenDatabase(db, path, busyTimeoutMs);
    Outcome outcome{};
    {
        // Finalised at the end of this block, before the connection closes.
        wxSQLite3Statement statement = db.PrepareStatement(sql);
        int parameter = 0;
        (statement.Bind(++parameter, values), ...);
        outcome.changes = statement.ExecuteUpdate();
    }
    outcome.lastRowId = db.GetLastRowId();
    db.Close();
    return outcome;
}

} // namespace

#ifdef __WXMSW__
PathState HotkeyStore::Stat(const wxString& path)
{
    PathState state;
    if (path.empty())
        return state;
    // Windows keeps a file's identity (volume serial number and file index) with an open
    // handle; one opened without access rights disturbs no other user of the file, and
    // backup semantics let the same call open a folder.
    const HANDLE handle = ::CreateFileW(path.wc_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return state;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known)
        return state;
    state.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathState::folder
                 : (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)  ? PathState::other
                                                                    : PathState::file;
    state.volume = info.dwVolumeSerialNumber;
    state.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
                  info.nFileIndexLow;
    return state;
}
#else
PathState HotkeyStore::Stat(const wxString& path)
{
    PathState state;
    struct stat info;
    if (path.empty() || stat(path.fn_str(), &info) != 0)
        return state;
    state.kind = S_ISREG(info.st_mode)   ? PathState::file
                 : S_ISDIR(info.st_mode) ? PathState::folder
                                         : PathState::other;
    state.volume = static_cast<unsigned long long>(info.st_dev);
    state.index = static_cast<unsigned long long>(info.st_ino);
    return state;
}
#endif

void HotkeyStore::RemoveQuietly(const wxString& path)
{
    // The toolkit would log a failed removal in a box of its own.
    wxLogNull quiet;
    wxRemoveFile(path);
}

void HotkeyStore::CreateTable(const wxString& path, const char* sql) const
{
    wxSQLite3Database db;
    OpenDatabase(db, path, busyTimeoutMs);
    db.ExecuteUpdate(sql);
    db.Close();
}

wxLongLong HotkeyStore::AppendTarget(const wxString& path, const wxString& title,
                                     const wxString& classSymbol,
                                     const wxString& symbolTableFile) const
{
    return RunStatement(path, busyTimeoutMs, HotkeySchema::insertTarget, title, classSymbol,
                        symbolTableFile)
        .lastRowId;
}

void HotkeyStore::AppendProfile(const wxString& path, int targetId, const wxString& title,
                                const wxString& fileName) const
{
    RunStatement(path, busyTimeoutMs, HotkeySchema::insertProfile, targetId, title, fileName, 1);
}

bool HotkeyStore::RemoveTarget(const wxString& path, const wxLongLong& rowId,
                               const wxString& title, const wxString& classSymbol,
                               const wxString& symbolTableFile) const
{
    return RunStatement(path, busyTimeoutMs, HotkeySchema::removeTarget, rowId, title,
                        classSymbol, symbolTableFile)
               .changes == 1;
}
