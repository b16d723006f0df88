// The data root derived from argv[0].
#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace {

struct Case {
    const char* argv0;
    const char* cwd;
    const char* executable;
    const char* root;
};

TEST(ProgramFolderTest, DerivesTheDataRootFromTheProgramPath)
{
    const Case cases[] = {
        // Absolute paths are used as they are.
        {"/opt/orix/bin/keywright", "/home/u", "/x/keywright", "/opt/orix/bin"},
        {"/opt/orix/../orix/bin/keywright", "/home/u", "/x/keywright", "/opt/orix/../orix/bin"},
        {"/keywright", "/home/u", "/x/keywright", "/"},
        // A dot start is the working folder.
        {"./keywright", "/home/u/work", "/x/keywright", "/home/u/work"},
        {"./keywright", "/", "/x/keywright", "/"},
        // Other relative folders are resolved against the working folder.
        {"../bin/keywright", "/home/u/build", "/x/keywright", "/home/u/bin"},
        {"./../a/./keywright", "/w/v", "/x/keywright", "/w/a"},
        {"build/bin/keywright", "/w", "/x/keywright", "/w/build/bin"},
        {".hidden/keywright", "/w", "/x/keywright", "/w/.hidden"},
        // A bare name, or none, takes the running executable's folder.
        {"keywright", "/home/u", "/usr/local/bin/keywright", "/usr/local/bin"},
        {"", "/home/u", "/usr/local/bin/keywright", "/usr/local/bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv0);
        EXPECT_EQ(ProgramFolder(c.argv0, c.cwd, c.executable).utf8_string(), c.root);
    }
}

// Checked against the file system: the resolved folder is the same folder the relative
// path reaches from the working folder.
TEST(ProgramFolderTest, RelativeFolderReachesTheSameFolderOnDisk)
{
    const wxString exe = wxStandardPaths::Get().GetExecutablePath();
    wxFileName exeName(exe);
    const wxString exeDir = exeName.GetPath();
    wxFileName relative(exe);
    relative.MakeRelativeTo(wxFileName::GetCwd());
    const wxString root =
        ProgramFolder("./" + relative.GetFullPath(), wxFileName::GetCwd(), "/elsewhere/x");
    EXPECT_TRUE(wxFileName::DirExists(root));
    EXPECT_TRUE(wxFileName(root, exeName.GetFullName()).FileExists());
    EXPECT_TRUE(wxFileName::DirName(root).SameAs(wxFileName::DirName(exeDir)));
}

} // namespace
