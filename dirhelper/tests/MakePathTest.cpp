// MakePath, MakeDir and CreateDirs: every missing level is made, one call per level.
#include <filesystem>
#include <set>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "DirHelper.h"
#include "Platform.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Every folder and file below `top`, as "/"-separated relative paths; files marked "(file)".
std::set<std::string> Tree(const fs::path& top)
{
    std::set<std::string> found;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(top)) {
        std::string relative = fs::relative(e.path(), top).generic_string();
        found.insert(e.is_directory() ? relative : relative + " (file)");
    }
    return found;
}

// Restores the working folder and the file-creation mask when a test ends.
class ProcessStateGuard {
public:
    ProcessStateGuard() : cwd(fs::current_path()), mask(umask(0)) { umask(mask); }
    ~ProcessStateGuard()
    {
        fs::current_path(cwd);
        umask(mask);
    }

private:
    fs::path cwd;
    mode_t mask;
};

struct MakePathCase {
    const char* path; // below the temporary folder
    std::set<std::string> tree;
};

const MakePathCase kMakePathCases[] = {
    {"a/b/c", {"a", "a/b", "a/b/c"}},
    {"a/b/c/", {"a", "a/b", "a/b/c"}},
    {"a//b", {"a", "a/b"}},
    {"x", {"x"}},
};

TEST(MakePath, CreatesEveryMissingLevel)
{
    for (const MakePathCase& c : kMakePathCases) {
        SCOPED_TRACE(c.path);
        TempFolder tmp;
        DirHelper::MakePath(tmp.Path(c.path));
        EXPECT_EQ(Tree(tmp.Fs()), c.tree);
    }
}

TEST(MakePath, KeepsWhatExistsAndAddsTheRest)
{
    TempFolder tmp;
    tmp.MakeFolder("a");
    tmp.MakeFile("a/keep");
    DirHelper::MakePath(tmp.Path("a/b/c"));
    EXPECT_EQ(Tree(tmp.Fs()), (std::set<std::string>{"a", "a/keep (file)", "a/b", "a/b/c"}));
}

TEST(MakePath, AFileInTheWayStopsOnlyTheLevelsBelowIt)
{
    TempFolder tmp;
    tmp.MakeFile("blk");
    DirHelper::MakePath(tmp.Path("blk/x/y"));
    EXPECT_EQ(Tree(tmp.Fs()), std::set<std::string>{"blk (file)"});
}

TEST(MakePath, NeverCreatesTheFirstSegment)
{
    // Relative paths resolve against the working folder, so run them inside a
    // temporary one.
    ProcessStateGuard guard;
    TempFolder tmp;
    fs::current_path(tmp.Fs());
    DirHelper::MakePath(wxT("solo"));
    DirHelper::MakePath(Native("rel/deeper"));
    EXPECT_TRUE(fs::is_empty(tmp.Fs()));
}

TEST(MakePath, AsksForFullPermissions)
{
    ProcessStateGuard guard;
    umask(0);
    TempFolder tmp;
    DirHelper::MakePath(tmp.Path("a/b"));
    EXPECT_EQ(fs::status(tmp.Fs("a")).permissions(), fs::perms::all);
    EXPECT_EQ(fs::status(tmp.Fs("a/b")).permissions(), fs::perms::all);
}

TEST(MakeDir, MakesOneLevelWithTheGivenMode)
{
    ProcessStateGuard guard;
    umask(0);
    TempFolder tmp;
    DirHelper::MakeDir(tmp.Path("m"), 0750);
    DirHelper::MakeDir(tmp.Path("p/q"), 0777);
    EXPECT_EQ(Tree(tmp.Fs()), std::set<std::string>{"m"});
    EXPECT_EQ(fs::status(tmp.Fs("m")).permissions(),
              platform::folderModes
                  ? fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                  : fs::perms::all);
}

// The folders CreateDirs makes below the root: everything but the files folders.
const std::set<std::string> kCreated = {
    "graphics", "graphics/cache", "graphics/icons", "graphics/cache/maps",
    "graphics/cache/maps/tiles", "config", "config/hotkeys", "config/defaultstatements",
    "orixprojects", "webcache", "configlets", "configfilters", "defaultfirmwareconfigs",
    "logs", "help", "fonts",
};

std::set<std::string> Below(const std::string& top, const std::set<std::string>& relative)
{
    std::set<std::string> out{top};
    for (const std::string& r : relative)
        out.insert(top + "/" + r);
    return out;
}

TEST(CreateDirs, MakesTheRootAndEveryFolderButTheFilesFolders)
{
    // A root ending with the separator gives doubled separators, and the same folders.
    for (const char* root : {"data/root", "data/root/"}) {
        SCOPED_TRACE(root);
        TempFolder tmp;
        DirHelper::Init(tmp.Path(root));
        DirHelper::CreateDirs();
        std::set<std::string> expected = Below("data/root", kCreated);
        expected.insert("data");
        EXPECT_EQ(Tree(tmp.Fs()), expected);
    }
}

TEST(CreateDirs, LeavesMovedFilesFoldersAlone)
{
    TempFolder tmp;
    tmp.MakeFolder("r/ORIX_Files");
    DirHelper::Init(tmp.Path("r"));
    DirHelper::SetFilesDir(4, wxT("job"));
    std::filesystem::remove(tmp.Fs("r/ORIX_Files/job-4"));
    std::filesystem::remove(tmp.Fs("r/ORIX_Files"));
    ASSERT_EQ(DirHelper::GetDir(DIR_FILES), tmp.Path("r/ORIX_Files/job-4"));

    DirHelper::CreateDirs();

    EXPECT_EQ(Tree(tmp.Fs("r")), kCreated);
}

TEST(CreateDirs, GoesOnPastAFolderThatCannotBeMade)
{
    TempFolder tmp;
    tmp.MakeFolder("r");
    tmp.MakeFile("r/graphics");
    DirHelper::Init(tmp.Path("r"));
    DirHelper::CreateDirs();

    std::set<std::string> expected{"graphics (file)"};
    for (const std::string& r : kCreated)
        if (r.rfind("graphics", 0) != 0)
            expected.insert(r);
    EXPECT_EQ(Tree(tmp.Fs("r")), expected);
}

} // namespace
