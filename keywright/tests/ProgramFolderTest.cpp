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
#ifdef _WIN32
    const Case cases[] = {
        // Absolute paths, with their drive, are used as they are.
        {"C:\\Orix\\bin\\keywright.exe", "C:\\u", "D:\\x\\keywright.exe", "C:\\Orix\\bin"},
        {"C:\\keywright.exe", "C:\\u", "D:\\x\\keywright.exe", "C:\\"},
        // A dot start is the working folder; other relative folders are resolved against it.
        {".\\keywright.exe", "C:\\u\\work", "D:\\x\\keywright.exe", "C:\\u\\work"},
        {"..\\bin\\keywright.exe", "C:\\u\\build", "D:\\x\\keywright.exe", "C:\\u\\bin"},
        {"build\\bin\\keywright.exe", "C:\\w", "D:\\x\\keywright.exe", "C:\\w\\build\\bin"},
        // A bare name, or none, takes the running executable's folder.
        {"keywright.exe", "C:\\u", "C:\\Orix\\bin\\keywright.exe", "C:\\Orix\\bin"},
        {"", "C:\\u", "C:\\Orix\\bin\\keywright.exe", "C:\\Orix\\bin"},
    };
#else
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
#endif
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
        ProgramFolder("." + wxString(wxFileName::GetPathSeparator()) + relative.GetFullPath(),
                      wxFileName::GetCwd(), "/elsewhere/x");
    EXPECT_TRUE(wxFileName::DirExists(root));
    EXPECT_TRUE(wxFileName(root, exeName.GetFullName()).FileExists());
    EXPECT_TRUE(wxFileName::DirName(root).SameAs(wxFileName::DirName(exeDir)));
}

} // namespace
