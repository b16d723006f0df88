// HotkeyStore: every disk access of the "Do it!" workflow.
// Each database call opens its own connection, runs one statement in autocommit and
// closes again, so at most one connection is open and a finished step stays done
// whatever a later one does. Database failures leave as wxSQLite3Exception.
#pragma once

#include <wx/longlong.h>
#include <wx/string.h>

class HotkeyStore {
public:
    explicit HotkeyStore(int busyTimeoutMs) : busyTimeoutMs(busyTimeoutMs) {}

    static bool FolderExists(const wxString& path);
    static bool FileExists(const wxString& path);
    // True when both paths reach the same file, also through "." or ".." steps or a link.
    static bool SameFile(const wxString& a, const wxString& b);
    // Removes a file; a failure is not reported here, it surfaces when the file is reused.
    static void RemoveQuietly(const wxString& path);

    // Opens (creating when missing) the database at path and runs one CREATE TABLE.
    void CreateTable(const wxString& path, const char* sql) const;
    // Appends a target row and returns its row id.
    wxLongLong AppendTarget(const wxString& path, const wxString& title,
                            const wxString& classSymbol, const wxString& symbolTableFile) const;
    // Appends a profile row of the given target, marked as in use.
    void AppendProfile(const wxString& path, int targetId, const wxString& title,
                       const wxString& fileName) const;

private:
    int busyTimeoutMs;
};
