// The folder table before the first Init: runs in a process of its own, so no other
// test can have filled the class-wide table first.
#include <climits>

#include <gtest/gtest.h>

#include "DirHelper.h"
#include "WxStringPrinter.h"

namespace {

TEST(DirHelperBeforeInit, EveryKindIsEmptyEvenWithSeparator)
{
    const int kinds[] = {INT_MIN, -1, DIR_GRAPHICS_CACHE, DIR_FILES, DIR_ROOT, DIR_FILES_BASE,
                         DIR_MAPS, DIR_TILES, DIR_FONTS, 19, INT_MAX};
    for (int kind : kinds) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(DirHelper::GetDir(kind, false), wxString());
        // Asked a second time with the flag: an entry added by the first call would
        // now show up as a lone separator.
        EXPECT_EQ(DirHelper::GetDir(kind, true), wxString());
    }
}

TEST(DirHelperBeforeInit, SeparatorIsReadyWithoutInit)
{
#ifdef __WINDOWS__
    EXPECT_EQ(DirHelper::GetSeparator(), wxString(wxT("\\")));
#else
    EXPECT_EQ(DirHelper::GetSeparator(), wxString(wxT("/")));
#endif
}

} // namespace
