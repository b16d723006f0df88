// HotkeyStore: every disk access of the "Do it!" workflow.
// Each database call opens its own connection, runs one statement in autocommit and
// closes again, so at most one connection is open and a finished step stays done
// whatever a later one does. Database failures leave as wxSQLite3Exception.
#pragma once

#include <wx/longlong.h>
#include <wx/string.h>

// What one look at a path tells: what it names, and which file or folder that is.
// Links are followed, as opening the path would follow them.
struct PathState {
    enum Kind { missing, file, folder, other };
    Kind kind = missing;
    // The system's identity of what the path names: device and inode, or on Windows
    // the volume serial number and the file index.
    unsigned long long volume = 0;
    unsigned long long index = 0;

    bool IsFile() const { return kind == file; }
    bool IsFolder() const { return kind == folder; }
    // True only when both names reach one existing file by the system's word; the texts
    // themselves prove nothing ("link/../x.db" need not be "x.db").
    bool SameFileAs(const PathState& other) const
    {
        return IsFile() && other.IsFile() && volume == other.volume && index == other.index;
    }
};

class HotkeyStore {
public:
    explicit HotkeyStore(int busyTimeoutMs) : busyTimeoutMs(busyTimeoutMs) {}

    // One look at the path (stat; on Windows one open handle), so its existence and its
    // identity are read together.
    static PathState Stat(const wxString& path);
    // Removes a file; a failure is not reported here, it surfaces when the file is reused.
    static void RemoveQuietly(const wxString& path);

    // Opens the existing registry at path for writing, never creating it, and prepares
    // the insert that AppendTarget or AppendProfile runs there, without running it: what
    // would stop that insert before it writes (no such table or column, not a database,
    // a lock, a file the process may only read) leaves as wxSQLite3Exception.
    void CheckTargetsTakeRow(const wxString& path) const;
    void CheckProfilesTakeRow(const wxString& path) const;

    // Opens (creating when missing) the database at path and runs one CREATE TABLE.
    void CreateTable(const wxString& path, const char* sql) const;
    // Appends a target row and returns its row id, or 0 when the registry added no row
    // (a trigger or a conflict clause may drop it quietly).
    wxLongLong AppendTarget(const wxString& path, const wxString& title,
                            const wxString& classSymbol, const wxString& symbolTableFile) const;
    // Appends a profile row of the given target, marked as in use; false when the
    // registry added no row.
    bool AppendProfile(const wxString& path, const wxLongLong& targetId, const wxString& title,
                       const wxString& fileName) const;
    // Removes the target row rowId, but only while it still holds exactly these texts;
    // true when it did. A reused row id or another program's row is left alone.
    bool RemoveTarget(const wxString& path, const wxLongLong& rowId, const wxString& title,
                      const wxString& classSymbol, const wxString& symbolTableFile) const;

private:
    int busyTimeoutMs;
};
