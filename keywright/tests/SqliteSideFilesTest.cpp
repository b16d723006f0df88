// The names keywright refuses because SQLite reads them as another database's side file.
#include "SqliteSideFiles.h"

#include <gtest/gtest.h>

TEST(SqliteSideFilesTest, RefusesJournalWalAndShmEndingsAsTheSystemMatchesThem)
{
    struct Case {
        const char* name;
        bool exact;   // as Linux matches names
        bool windows; // case ignored, trailing dots and spaces dropped, "\" a separator
    };
    const Case cases[] = {
        {"targets.db-journal", true, true},
        {"profiles.db-wal", true, true},
        {"x.db-shm", true, true},
        {"sub/h.db-journal", true, true},
        {"-wal", true, true},
        {"x.db-JOURNAL", false, true},
        {"X.DB-Wal", false, true},
        {"x.db-journal.", false, true},
        {"x.db-shm . .", false, true},
        {"sub\\x.db-wal.", false, true},
        {"x.db", false, false},
        {"x.db-journal.db", false, false},
        {"x.db-journa", false, false},
        {"x.dbwal", false, false},
        {"x-wal/h.db", false, false},
        {"x-wal\\h.db", false, false},
        {"x.db-shm/", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSqliteSideFileName(c.name, NameMatching::exact), c.exact) << c.name;
        EXPECT_EQ(IsSqliteSideFileName(c.name, NameMatching::windows), c.windows) << c.name;
    }
}
