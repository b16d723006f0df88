#include "create_databases_fixture.h"

#include "KeywrightIds.h"
#include "MakeTempFolder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <sqlite3.h>
#include <wx/textctrl.h>

namespace fs = std::filesystem;

namespace {

// The registries' schema, as keywright/registries/make-registries makes them.
const fs::path registrySchema = KEYWRIGHT_REGISTRY_SCHEMA;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.u8string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

sqlite3* OpenDb(const fs::path& db, int flags)
{
    sqlite3* handle = nullptr;
    // SQLite takes UTF-8 names on every system; a Windows path is wide.
    if (sqlite3_open_v2(db.u8string().c_str(), &handle, flags, nullptr) != SQLITE_OK) {
        const std::string message = handle ? sqlite3_errmsg(handle) : "out of memory";
        sqlite3_close(handle);
        throw std::runtime_error("cannot open " + db.u8string() + ": " + message);
    }
    return handle;
}

} // namespace

std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_symlink() || !entry.is_regular_file())
            continue;
        files[entry.path().u8string()] = ReadFile(entry.path());
    }
    return files;
}

Rows Query(const fs::path& db, const std::string& sql)
{
    sqlite3* handle = OpenDb(db, SQLITE_OPEN_READONLY);
    sqlite3_stmt* statement = nullptr;
    Rows rows;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
            }
            rows.push_back(row);
        }
    } else {
        ADD_FAILURE() << "query failed on " << db << ": " << sqlite3_errmsg(handle);
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return rows;
}

void Exec(const fs::path& db, const std::string& sql)
{
    sqlite3* handle = OpenDb(db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    char* error = nullptr;
    if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << "exec failed on " << db << ": " << (error ? error : "?");
        sqlite3_free(error);
    }
    sqlite3_close(handle);
}

void MakeOldDatabase(const fs::path& path)
{
    Exec(path, "CREATE TABLE old (keep TEXT); INSERT INTO old VALUES ('precious');");
}

ExpectMessageBox ErrorBox(const wxString& message)
{
    return ExpectMessageBox(message, "Error", wxICON_ERROR | wxOK, wxOK);
}

ExpectMessageBox SuccessBox()
{
    return ExpectMessageBox("The eventsymbols and profile databases is created. Added the "
                            "specified target to targets database and the specified profile "
                            "to the profiles database",
                            "Info", wxOK | wxICON_INFORMATION, wxOK);
}

ExpectMessageBox EventsQuestion(int answer)
{
    return ExpectMessageBox("The selected events db file is exists!\nDo you want to overwrite?",
                            "Error", wxYES_NO | wxICON_QUESTION, answer);
}

ExpectMessageBox HotkeysQuestion(int answer)
{
    return ExpectMessageBox("The selected profile db file is exists!\nDo you want to overwrite?",
                            "Error", wxYES_NO | wxICON_QUESTION, answer);
}

wxString DatabaseError(int code, const std::string& message)
{
    return wxString::FromUTF8(std::string(sqlite3_errstr(code)) + "[" + std::to_string(code) +
                              "]: " + message);
}

std::string EventsTableSql()
{
    const std::string gap(25, ' ');
    return "CREATE TABLE [hotkeyevent] (" + gap +
           "[event_id] INTEGER  NOT NULL PRIMARY KEY AUTOINCREMENT," + gap +
           "[symbol] VARCHAR(64)  NULL," + gap + "[title] VARCHAR(256)  NULL )";
}

std::string HotkeysTableSql()
{
    const std::string gap(29, ' ');
    return "CREATE TABLE [hotkeys] (" + gap + "[id] INTEGER  NOT NULL PRIMARY KEY AUTOINCREMENT," +
           gap + "[event_id] INTEGER  NULL," + gap + "[keystring] VARCHAR(64)  NULL )";
}

void CreateDatabasesTest::SetUp()
{
    ASSERT_NO_THROW(dir = MakeTempFolder("keywright-db"));
    ASSERT_NO_FATAL_FAILURE(MakeRegistries());

    frame = new KeywrightFrame(nullptr, "keywright under test");
    frame->Show();
}

void CreateDatabasesTest::TearDown()
{
    if (frame)
        frame->Destroy();
    PumpEvents();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

void CreateDatabasesTest::Fill(const wxString& folder, const wxString& eventsFile,
                               const wxString& profileFile, const wxString& title,
                               const wxString& classSymbol, const wxString& profileTitle)
{
    // ChangeValue raises no change event, so the proposed file names do not interfere.
    frame->pathText->ChangeValue(folder);
    frame->titleText->ChangeValue(title);
    frame->classSymbolText->ChangeValue(classSymbol);
    frame->eventsFileText->ChangeValue(eventsFile);
    frame->profileTitleText->ChangeValue(profileTitle);
    frame->profileFileText->ChangeValue(profileFile);
}

void CreateDatabasesTest::MakeRegistries()
{
    for (const char* registry : {"targets", "profiles"}) {
        const fs::path file = In(std::string(registry) + ".db");
        fs::remove(file);
        Exec(file, ReadFile(registrySchema / (std::string(registry) + ".sql")));
    }
}

void CreateDatabasesTest::ClickDoIt(const std::vector<ExpectMessageBox>& boxes)
{
    GTestModalHook hook(__FILE__, __LINE__, "ClickDoIt");
    for (const ExpectMessageBox& box : boxes)
        hook.AddExpectation(box);
    ClickButton(frame, ID_DO_IT);
    hook.CheckUnmetExpectations();
}
