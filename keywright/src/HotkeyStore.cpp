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
    wxSQLite3Database db;
    OpenDatabase(db, path, busyTimeoutMs);
    {
        // Finalised at the end of this block, before the connection closes.
        wxSQLite3Statement insert = db.PrepareStatement(HotkeySchema::insertTarget);
        insert.Bind(1, title);
        insert.Bind(2, classSymbol);
        insert.Bind(3, symbolTableFile);
        insert.ExecuteUpdate();
    }
    const wxLongLong rowId = db.GetLastRowId();
    db.Close();
    return rowId;
}

void HotkeyStore::AppendProfile(const wxString& path, int targetId, const wxString& title,
                                const wxString& fileName) const
{
    wxSQLite3Database db;
    OpenDatabase(db, path, busyTimeoutMs);
    {
        wxSQLite3Statement insert = db.PrepareStatement(HotkeySchema::insertProfile);
        insert.Bind(1, targetId);
        insert.Bind(2, title);
        insert.Bind(3, fileName);
        insert.Bind(4, 1);
        insert.ExecuteUpdate();
    }
    db.Close();
}
