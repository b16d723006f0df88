// A keywright window over a fresh temporary folder that holds an empty pair of registries
// (made by keywright/registries/make-registries), with readers that look at the files through the
// SQLite library directly, not through the wrapper the window uses.
#pragma once

#include "GuiTest.h"
#include "KeywrightFrame.h"
#include "Platform.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <wx/log.h>

using Rows = std::vector<std::vector<std::string>>;

// Every file below a folder with its bytes; equal snapshots mean nothing changed on disk.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

// Runs one query read-only and returns its rows as text, NULL as "<null>".
Rows Query(const std::filesystem::path& db, const std::string& sql);

// Runs statements on a database file, creating it when missing.
void Exec(const std::filesystem::path& db, const std::string& sql);

// An old database the user might lose: one table "old" with one row.
void MakeOldDatabase(const std::filesystem::path& path);

// The texts of the boxes, as a user sees them.
ExpectMessageBox ErrorBox(const wxString& message);
ExpectMessageBox SuccessBox();
ExpectMessageBox EventsQuestion(int answer);
ExpectMessageBox HotkeysQuestion(int answer);

// The text of a database failure: the library's name for the result code, the code in
// brackets, then the library's message.
wxString DatabaseError(int code, const std::string& message);

// The two CREATE TABLE texts as SQLite keeps them in sqlite_master (without the ";").
std::string EventsTableSql();
std::string HotkeysTableSql();

// Counts what reaches the toolkit's log while it is alive.
class LogCounter : public wxLog {
public:
    LogCounter() : previous(wxLog::SetActiveTarget(this)) {}
    ~LogCounter() override { wxLog::SetActiveTarget(previous); }
    int records = 0;

protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override { ++records; }

private:
    wxLog* previous;
};

class CreateDatabasesTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Types the six fields, leaving the file names alone when a class symbol is typed.
    void Fill(const wxString& folder, const wxString& eventsFile, const wxString& profileFile,
              const wxString& title = "Engine map", const wxString& classSymbol = "EngineMap",
              const wxString& profileTitle = "Default");
    // Presses "Do it!" the way the button does, expecting exactly these boxes in order.
    void ClickDoIt(const std::vector<ExpectMessageBox>& boxes = {});
    // Replaces both registries with an empty pair from keywright/registries/make-registries.
    void MakeRegistries();

    // Names are UTF-8 on every system (a Windows path is wide).
    std::filesystem::path In(const std::string& name) const
    {
        return dir / std::filesystem::u8path(name);
    }
    // A pair of events and hotkeys file names not used before in this test, for the
    // cases of a table: e0.db and h0.db, then e1.db and h1.db, ...
    std::pair<std::string, std::string> FreshNames()
    {
        const std::string n = std::to_string(namesGiven++);
        return {"e" + n + ".db", "h" + n + ".db"};
    }
    wxString Folder() const { return wxString::FromUTF8(dir.u8string()); }

    std::filesystem::path dir;
    KeywrightFrame* frame = nullptr;

private:
    int namesGiven = 0;
};
