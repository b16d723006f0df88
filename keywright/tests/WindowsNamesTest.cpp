// The names keywright refuses on Windows before it touches a file.
#include "WindowsNames.h"

#include <gtest/gtest.h>

TEST(WindowsNamesTest, RefusesWhatWindowsReadsAsSomethingElse)
{
    for (const char* name : {"e:x.db", "C:x.db", "a<b.db", "a>b.db", "a\"b.db", "a|b.db",
                             "a?.db", "*.db", "con", "CON.db", "nul.tar.gz", "Aux", "prn .db",
                             "com1.db", "LPT9", "sub\\con.db", "con/x.db"}) {
        EXPECT_TRUE(IsWindowsReservedName(name)) << name;
    }
    for (const char* name : {"enginemapevents.db", "console.db", "com.db", "com10.db",
                             "lpt0.db", "null.db", "sub\\x.db", "..\\x.db", "a.con",
                             "x con.db"}) {
        EXPECT_FALSE(IsWindowsReservedName(name)) << name;
    }
}
