#include "SqliteSideFiles.h"

bool IsSqliteSideFileName(const wxString& fileName, NameMatching matching)
{
    const bool windows = matching == NameMatching::windows;
    wxString last = fileName.AfterLast('/');
    if (windows) {
        // Windows opens "x.db-journal. " as "x.db-journal", and "X.DB-JOURNAL" too.
        last = last.AfterLast('\\');
        while (!last.empty() && (last.Last() == '.' || last.Last() == ' '))
            last.RemoveLast();
        last.MakeLower();
    }
    for (const char* ending : {"-journal", "-wal", "-shm"}) {
        if (last.EndsWith(ending))
            return true;
    }
    return false;
}
