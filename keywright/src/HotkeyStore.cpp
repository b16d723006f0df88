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

// SQLite's SQLITE_READONLY; its header cannot join the wrapper's, which names enum members
// after SQLite's macros.
constexpr int sqliteReadOnly = 8;

// Opens with an empty key (no encryption) and the wrapper's read/write/create mode,
// then applies the caller's busy timeout, which a locked registry waits out.
void OpenDatabase(wxSQLite3Database& db, const wxString& path, int busyTimeoutMs,
                  int flags = WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE)
{
    db.Open(path, wxEmptyString, flags);
    db.SetBusyTimeout(busyTimeoutMs);
}

struct Outcome {
    int changes;
    wxLongLong lastRowId;
};

// An insert that a trigger or a conflict clause dropped changes nothing, and leaves the
// connection's last row id at 0.
bool AddedOneRow(const Outcome& outcome)
{
    return outcome.changes == 1 && outcome.lastRowId > 0;
}

// Preparing reads the schema, so a missing table or column, a file that is no database
// and a lock all show here; a hot journal is rolled back on the way, as by any reader.
// SQLite opens a file it may not write read-only without a word, and only the write
// itself would then fail: that failure is raised here instead.
void CheckInsertWouldRun(const wxString& path, int busyTimeoutMs, const char* sql)
{
    wxSQLite3Database db;
    OpenDatabase(db, path, busyTimeoutMs, WXSQLITE_OPEN_READWRITE);
    db.PrepareStatement(sql).Finalize();
    if (db.IsReadOnly()) {
        throw wxSQLite3Exception(sqliteReadOnly,
                                 wxSQLite3Exception::ErrorCodeAsString(sqliteReadOnly));
    }
    db.Close();
}

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

void HotkeyStore::CheckTargetsTakeRow(const wxString& path) const
{
    CheckInsertWouldRun(path, busyTimeoutMs, HotkeySchema::insertTarget);
}

void HotkeyStore::CheckProfilesTakeRow(const wxString& path) const
{
    CheckInsertWouldRun(path, busyTimeoutMs, HotkeySchema::insertProfile);
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
    const Outcome outcome = RunStatement(path, busyTimeoutMs, HotkeySchema::insertTarget, title,
                                         classSymbol, symbolTableFile);
    return AddedOneRow(outcome) ? outcome.lastRowId : wxLongLong(0);
}

bool HotkeyStore::AppendProfile(const wxString& path, const wxLongLong& targetId,
                                const wxString& title, const wxString& fileName) const
{
    // The row id goes in whole, as SQLite's 64-bit integer.
    return AddedOneRow(RunStatement(path, busyTimeoutMs, HotkeySchema::insertProfile, targetId,
                                    title, fileName, 1));
}

bool HotkeyStore::RemoveTarget(const wxString& path, const wxLongLong& rowId,
                               const wxString& title, const wxString& classSymbol,
                               const wxString& symbolTableFile) const
{
    return RunStatement(path, busyTimeoutMs, HotkeySchema::removeTarget, rowId, title,
                        classSymbol, symbolTableFile)
               .changes == 1;
}
