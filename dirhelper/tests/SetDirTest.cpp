// SetDir and the two SetFilesDir overloads: an entry moves only to a folder that exists
// or that one folder-creation call can make.
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "DirHelper.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

class SetDirTest : public ::testing::Test {
protected:
    void SetUp() override { DirHelper::Init(tmp.Path()); }
    TempFolder tmp;
};

enum class Before { Nothing, Folder, File };

struct SetDirCase {
    const char* what;
    Before before;        // what is at the path beforehand
    const char* relative; // the path, below the temporary folder
    bool stored;
};

const SetDirCase kSetDirCases[] = {
    {"existing folder", Before::Folder, "there", true},
    {"existing folder, path ending with a separator", Before::Folder, "there/", true},
    {"creatable folder", Before::Nothing, "fresh", true},
    {"parent missing", Before::Nothing, "missing/child", false},
    {"a file is in the way", Before::File, "plain", false},
};

TEST_F(SetDirTest, MovesAnEntryOnlyToAFolderThatExistsAfterwards)
{
    // DIR_LOGS has an entry from Init; 19 has none and gets one only on success.
    const int kinds[] = {DIR_LOGS, 19};
    for (const SetDirCase& c : kSetDirCases) {
        for (int kind : kinds) {
            SCOPED_TRACE(testing::Message() << c.what << ", kind " << kind);
            DirHelper::Init(tmp.Path());
            TempFolder place;
            if (c.before == Before::Folder)
                place.MakeFolder(c.relative);
            if (c.before == Before::File)
                place.MakeFile(c.relative);
            const wxString previous = DirHelper::GetDir(kind);
            const wxString path = place.Path(c.relative);

            DirHelper::SetDir(kind, path);

            EXPECT_EQ(DirHelper::GetDir(kind), c.stored ? path : previous);
            EXPECT_EQ(fs::is_directory(place.Fs(c.relative)), c.stored);
            // No intermediate folder is ever made.
            EXPECT_FALSE(fs::exists(place.Fs("missing")));
        }
    }
}

TEST_F(SetDirTest, SettingTheBaseMovesWhereFilesFoldersGo)
{
    tmp.MakeFolder("elsewhere");
    DirHelper::SetDir(DIR_FILES_BASE, tmp.Path("elsewhere"));
    DirHelper::SetFilesDir(3, wxT("job"));
    EXPECT_EQ(DirHelper::GetDir(DIR_FILES), tmp.Path("elsewhere/job-3"));
    EXPECT_TRUE(fs::is_directory(tmp.Fs("elsewhere/job-3")));
}

struct FilesCase {
    const char* what;
    std::function<void()> call;
    const char* folder; // below the base; nullptr when DIR_FILES must not move
    const char* decoy;  // made beforehand where a wrong rule would land, or nullptr
};

const FilesCase kFilesCases[] = {
    {"12, abc", [] { DirHelper::SetFilesDir(12, wxT("abc")); }, "abc-12", nullptr},
    {"12, empty name", [] { DirHelper::SetFilesDir(12, wxString()); }, "12", nullptr},
    {"-3, abc", [] { DirHelper::SetFilesDir(-3, wxT("abc")); }, "abc--3", nullptr},
    {"0, abc", [] { DirHelper::SetFilesDir(0, wxT("abc")); }, nullptr, "abc-0"},
    {"0, empty name", [] { DirHelper::SetFilesDir(0, wxString()); }, nullptr, "0"},
    {"x7, abc", [] { DirHelper::SetFilesDir(wxT("x7"), wxT("abc")); }, "abc-x7", nullptr},
    {"empty identifier", [] { DirHelper::SetFilesDir(wxString(), wxT("abc")); }, nullptr, "abc-"},
    {"x7, empty name", [] { DirHelper::SetFilesDir(wxT("x7"), wxString()); }, nullptr, "-x7"},
};

TEST_F(SetDirTest, FilesDirMovesBelowTheBase)
{
    tmp.MakeFolder("ORIX_Files");
    for (const FilesCase& c : kFilesCases) {
        SCOPED_TRACE(c.what);
        DirHelper::Init(tmp.Path());
        if (c.decoy != nullptr)
            tmp.MakeFolder(std::string("ORIX_Files/") + c.decoy);

        c.call();

        const std::string expected = c.folder ? std::string("ORIX_Files/") + c.folder
                                              : std::string("ORIX_Files");
        EXPECT_EQ(DirHelper::GetDir(DIR_FILES), tmp.Path(expected));
        EXPECT_TRUE(fs::is_directory(tmp.Fs(expected)));
        EXPECT_EQ(DirHelper::GetDir(DIR_FILES_BASE), tmp.Path("ORIX_Files"));
    }
}

TEST_F(SetDirTest, FilesDirStaysWhenTheBaseIsMissing)
{
    DirHelper::SetFilesDir(12, wxT("abc"));
    DirHelper::SetFilesDir(wxT("x7"), wxT("abc"));
    EXPECT_EQ(DirHelper::GetDir(DIR_FILES), tmp.Path("ORIX_Files"));
    EXPECT_TRUE(fs::is_empty(tmp.Fs()));
}

TEST_F(SetDirTest, SecondInitDiscardsAMovedFilesFolder)
{
    tmp.MakeFolder("ORIX_Files");
    DirHelper::SetFilesDir(5, wxT("p"));
    ASSERT_EQ(DirHelper::GetDir(DIR_FILES), tmp.Path("ORIX_Files/p-5"));
    DirHelper::SetDir(19, tmp.Path("ORIX_Files"));

    DirHelper::Init(tmp.Path());

    EXPECT_EQ(DirHelper::GetDir(DIR_FILES), tmp.Path("ORIX_Files"));
    EXPECT_EQ(DirHelper::GetDir(19, true), wxString());
}

} // namespace
