// Init and GetDir: the stored layout of the data folders below a root.
#include <climits>
#include <filesystem>

#include <gtest/gtest.h>

#include "DirHelper.h"
#include "TempFolder.h"

namespace {

// Every kind with its expected folder for the roots "/srv/app", "/srv/app/" and "".
struct LayoutRow {
    int kind;
    const char* plainRoot;
    const char* rootWithSeparator;
    const char* emptyRoot;
};

constexpr LayoutRow kLayout[] = {
    {DIR_GRAPHICS_CACHE, "/srv/app/graphics/cache", "/srv/app//graphics/cache", "/graphics/cache"},
    {DIR_FILES, "/srv/app/ORIX_Files", "/srv/app//ORIX_Files", "/ORIX_Files"},
    {DIR_GRAPHICS, "/srv/app/graphics", "/srv/app//graphics", "/graphics"},
    {DIR_CONFIG, "/srv/app/config", "/srv/app//config", "/config"},
    {DIR_ICONS, "/srv/app/graphics/icons", "/srv/app//graphics/icons", "/graphics/icons"},
    {DIR_PROJECTS, "/srv/app/orixprojects", "/srv/app//orixprojects", "/orixprojects"},
    {DIR_ROOT, "/srv/app", "/srv/app/", ""},
    {DIR_WEBCACHE, "/srv/app/webcache", "/srv/app//webcache", "/webcache"},
    {DIR_CONFIGLETS, "/srv/app/configlets", "/srv/app//configlets", "/configlets"},
    {DIR_CONFIGFILTERS, "/srv/app/configfilters", "/srv/app//configfilters", "/configfilters"},
    {DIR_HOTKEYS, "/srv/app/config/hotkeys", "/srv/app//config/hotkeys", "/config/hotkeys"},
    {DIR_DEFAULT_FIRMWARE_CONFIGS, "/srv/app/defaultfirmwareconfigs",
     "/srv/app//defaultfirmwareconfigs", "/defaultfirmwareconfigs"},
    {DIR_FILES_BASE, "/srv/app/ORIX_Files", "/srv/app//ORIX_Files", "/ORIX_Files"},
    {DIR_LOGS, "/srv/app/logs", "/srv/app//logs", "/logs"},
    {DIR_HELP, "/srv/app/help", "/srv/app//help", "/help"},
    {DIR_DEFAULT_STATEMENTS, "/srv/app/config/defaultstatements",
     "/srv/app//config/defaultstatements", "/config/defaultstatements"},
    {DIR_MAPS, "/srv/app/graphics/cache/maps", "/srv/app//graphics/cache/maps",
     "/graphics/cache/maps"},
    {DIR_TILES, "/srv/app/graphics/cache/maps/tiles", "/srv/app//graphics/cache/maps/tiles",
     "/graphics/cache/maps/tiles"},
    {DIR_FONTS, "/srv/app/fonts", "/srv/app//fonts", "/fonts"},
};

constexpr bool CoversEveryKindInOrder()
{
    for (int kind = 0; kind < 19; ++kind)
        if (kLayout[kind].kind != kind)
            return false;
    return true;
}
static_assert(sizeof(kLayout) / sizeof(kLayout[0]) == 19, "one row per kind");
static_assert(CoversEveryKindInOrder(), "rows in kind order");

struct RootCase {
    const char* root;
    const char* LayoutRow::*expected;
};

const RootCase kRoots[] = {
    {"/srv/app", &LayoutRow::plainRoot},
    {"/srv/app/", &LayoutRow::rootWithSeparator},
    {"", &LayoutRow::emptyRoot},
};

TEST(FolderTable, InitBuildsEveryPathFromTheRootAsGiven)
{
    for (const RootCase& root : kRoots) {
        SCOPED_TRACE(root.root);
        DirHelper::Init(Native(root.root));
        for (const LayoutRow& row : kLayout) {
            SCOPED_TRACE(row.kind);
            const wxString expected = Native(row.*root.expected);
            EXPECT_EQ(DirHelper::GetDir(row.kind, false), expected);
            EXPECT_EQ(DirHelper::GetDir(row.kind), expected);
            EXPECT_EQ(DirHelper::GetDir(row.kind, true), expected + DirHelper::GetSeparator());
        }
    }
}

TEST(FolderTable, KindsWithoutAnEntryGiveAnEmptyString)
{
    DirHelper::Init(Native("/srv/app"));
    const int kinds[] = {-1, 19, 20, 1000, INT_MIN, INT_MAX};
    for (int kind : kinds) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(DirHelper::GetDir(kind, false), wxString());
        // A lookup that added an empty entry would now return a lone separator.
        EXPECT_EQ(DirHelper::GetDir(kind, true), wxString());
    }
}

TEST(FolderTable, InitCreatesNothing)
{
    TempFolder tmp;
    const wxString root = tmp.Path("data");
    DirHelper::Init(root);
    for (const LayoutRow& row : kLayout)
        EXPECT_TRUE(DirHelper::GetDir(row.kind).StartsWith(root)) << row.kind;
    EXPECT_TRUE(std::filesystem::is_empty(tmp.Fs()));
}

} // namespace
