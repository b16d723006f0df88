// The one place where the "Do it!" workflow touches the disk.
#include "HotkeyStore.h"

#include "HotkeySchema.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/wxsqlite3.h>

namespace {

// Opens with an empty key (no encryption) and the wrapper's read/write/create mode,
// then applies the caller's busy timeout, which a locked registry waits out.
void OpenDatabase(wxSQLite3Database& db, const wxString& path, int busyTimeoutMs)
{
    db.Open(path, wxEmptyString);
    db.SetBusyTimeout(busyTimeoutMs);
}

// Runs one insert with the values bound to its parameters in order; returns the row id.
template <typename... Values>
wxLongLong InsertRow(const wxString& path, int busyTimeoutMs, const char* sql,
                     const Values&... values)
{
    wxSQLite3Database db;
    OpenDatabase(db, path, busyTimeoutMs);
    {
        // Finalised at the end of this block, before the connection closes.
        wxSQLite3Statement insert = db.PrepareStatement(sql);
        int parameter = 0;
        (insert.Bind(++parameter, values), ...);
        insert.ExecuteUpdate();
    }
    const wxLongLong rowId = db.GetLastRowId();
    db.Close();
    return rowId;
}

} // namespace

bool HotkeyStore::FolderExists(const wxString& path)
{
    return wxFileName::DirExists(path);
}

bool HotkeyStore::FileExists(const wxString& path)
{
    return wxFileName::FileExists(path);
}

bool HotkeyStore::SameFile(const wxString& a, const wxString& b)
{
    return a == b || wxFileName(a).SameAs(wxFileName(b));
}

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
    return InsertRow(path, busyTimeoutMs, HotkeySchema::insertTarget, title, classSymbol,
                     symbolTableFile);
}

void HotkeyStore::AppendProfile(const wxString& path, int targetId, const wxString& title,
                                const wxString& fileName) const
{
    InsertRow(path, busyTimeoutMs, HotkeySchema::insertProfile, targetId, title, fileName, 1);
}
