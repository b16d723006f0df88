// "Do it!" when something is wrong: refused requests change nothing, database failures
// end in an "Error" box, leave earlier steps in place and the window ready for the next.
#include "create_databases_fixture.h"

#include "KeywrightIds.h"

#include <cctype>
#include <functional>

#include <fstream>

#include <sqlite3.h>
#ifdef _WIN32
#include <wx/msw/wrapwin.h>
#endif

namespace fs = std::filesystem;

namespace {

const char* const masterQuery = "SELECT name FROM sqlite_master ORDER BY rowid";

// Answers whatever message box comes and writes down caption, message and style bits,
// for texts the test cannot know in full beforehand.
class RecordBox : public wxExpectModalBase<wxMessageDialog, RecordBox> {
public:
    RecordBox(std::vector<std::string>* seen, int answer) : seen(seen), answer(answer) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        seen->push_back(Utf8(dialog->GetCaption()) + "|" + Utf8(dialog->GetMessage()) + "|" +
                        std::to_string(MessageBoxStyleBits(dialog->GetMessageDialogStyle())));
        return answer;
    }

private:
    std::vector<std::string>* seen;
    int answer;
};

} // namespace

TEST_F(CreateDatabasesTest, RefusedRequestsShowTheirBoxAndChangeNothing)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> prepare;
        // folder text, events file, profile file; "@" stands for the temporary folder and,
        // in a message, "%" for the native separator
        std::string folder, events, profile;
        std::string message;
    };
    const auto remove = [](std::vector<const char*> files) {
        return [files](const fs::path& dir) {
            for (const char* file : files)
                fs::remove(dir / file);
        };
    };
    const auto nothing = [](const fs::path&) {};
    const auto oldFile = [](const fs::path& dir) { MakeOldDatabase(dir / "e.db"); };
    const Case cases[] = {
        {"empty folder", nothing, "", "e.db", "h.db", "The selected path is not exists!"},
        {"missing folder", nothing, "@/missing", "e.db", "h.db",
         "The selected path is not exists!"},
        {"folder is a file", nothing, "@/targets.db", "e.db", "h.db",
         "The selected path is not exists!"},
        {"missing targets.db", remove({"targets.db"}), "@", "e.db", "h.db",
         "Hotkey targets database is not exists!\n(@%targets.db)"},
        {"missing profiles.db", remove({"profiles.db"}), "@", "e.db", "h.db",
         "Hotkey profiles database is not exists!\n(@%profiles.db)"},
        {"both registries missing", remove({"targets.db", "profiles.db"}), "@", "e.db", "h.db",
         "Hotkey targets database is not exists!\n(@%targets.db)"},
        {"two separators in the path", remove({"profiles.db"}), "@/", "e.db", "h.db",
         "Hotkey profiles database is not exists!\n(@/%profiles.db)"},
        {"empty events file name", nothing, "@", "", "h.db",
         "The Eventsymbols table file name is empty!"},
        {"empty profile file name", oldFile, "@", "e.db", "",
         "The Profile file name is empty!"},
        {"empty name comes before the registries", remove({"targets.db"}), "@", "", "",
         "The Eventsymbols table file name is empty!"},
        {"events file is targets.db", nothing, "@", "targets.db", "h.db",
         "The Eventsymbols table file is a registry database!\n(@%targets.db)"},
        {"events file reaches profiles.db", oldFile, "@", "./profiles.db", "e.db",
         "The Eventsymbols table file is a registry database!\n(@%profiles.db)"},
        {"profile file is profiles.db", oldFile, "@", "e.db", "profiles.db",
         "The Profile file is a registry database!\n(@%profiles.db)"},
        {"profile file reaches targets.db", nothing, "@", "e.db", "sub/../targets.db",
         "The Profile file is a registry database!\n(@%targets.db)"},
        // SQLite would open both as targets.db, though Linux finds no such file; Windows
        // itself reads "nothere/.." as no folder at all, and there it is the registry.
        {"events file through a missing folder", nothing, "@", "nothere/../targets.db", "h.db",
         platform::dotDotByText
             ? "The Eventsymbols table file is a registry database!\n(@%targets.db)"
             : "The Eventsymbols table file is not a file name in an existing folder!\n"
               "(@%nothere/../targets.db)"},
        {"profile file ending in a separator", nothing, "@", "e.db", "targets.db/",
         "The Profile file is not a file name in an existing folder!\n(@%targets.db/)"},
        // SQLite would take these for a registry's journal or log, and delete them.
        {"profile file named like a journal", nothing, "@", "e.db", "targets.db-journal",
         "The Profile file name ends like an SQLite side file (-journal, -wal or -shm)!\n"
         "(targets.db-journal)"},
        {"events file named like a journal", nothing, "@", "profiles.db-journal", "h.db",
         "The Eventsymbols table file name ends like an SQLite side file (-journal, -wal or "
         "-shm)!\n(profiles.db-journal)"},
        {"profile file named like a log", nothing, "@", "e.db", "targets.db-wal",
         "The Profile file name ends like an SQLite side file (-journal, -wal or -shm)!\n"
         "(targets.db-wal)"},
        // Neither can become a database; the other file must not go first.
        {"events file is a folder", oldFile, "@", "sub", "e.db",
         "The Eventsymbols table file exists and is not a regular file!\n(@%sub)"},
        {"profile file is a folder", oldFile, "@", "e.db", "sub",
         "The Profile file exists and is not a regular file!\n(@%sub)"},
    };
    fs::create_directory(In("sub"));
    const auto expand = [this](std::string text) {
        for (size_t at; (at = text.find_first_of("@%")) != std::string::npos;)
            text.replace(at, 1, text[at] == '@' ? dir.u8string() : platform::separator);
        return wxString::FromUTF8(text);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare(dir);
        const auto before = Snapshot(dir);
        Fill(expand(c.folder), c.events, c.profile);
        ClickDoIt({ErrorBox(expand(c.message))});
        EXPECT_EQ(Snapshot(dir), before);
        ASSERT_NO_FATAL_FAILURE(MakeRegistries());
        fs::remove(In("e.db"));
    }
}

// A registry that cannot take its row is found before any question, and nothing changes.
// A failure that only shows while writing comes after the hotkey files are made; the
// target row is then taken back, so a request registers both rows or neither.
TEST_F(CreateDatabasesTest, BrokenRegistryEndsInErrorAndRegistersNothing)
{
    struct Case {
        const char* name;
        const char* registry;
        std::function<void(const fs::path&)> make; // makes the registry anew
        wxString message;  // "%" stands for the folder and the separator
        bool whileWriting;   // the failure shows only once the hotkey files are made
    };
    const auto schema = [](const char* sql) {
        return [sql](const fs::path& file) {
            fs::remove(file);
            Exec(file, sql);
        };
    };
    const auto bytes = [](const char* content) {
        return [content](const fs::path& file) { std::ofstream(file) << content; };
    };
    const auto plus = [](const char* sql) {
        return [sql](const fs::path& file) { Exec(file, sql); };
    };
    const Case cases[] = {
        {"targets without its table", "targets.db", schema("CREATE TABLE other (x);"),
         DatabaseError(SQLITE_ERROR, "no such table: targets"), false},
        {"profiles without its table", "profiles.db", schema("CREATE TABLE other (x);"),
         DatabaseError(SQLITE_ERROR, "no such table: profiles"), false},
        {"profiles without isuse", "profiles.db",
         schema("CREATE TABLE profiles (target_id INTEGER, title TEXT, filename TEXT);"),
         DatabaseError(SQLITE_ERROR, "table profiles has no column named isuse"), false},
        {"profiles an empty file", "profiles.db", bytes(""),
         DatabaseError(SQLITE_ERROR, "no such table: profiles"), false},
        {"targets not a database", "targets.db", bytes("no database, only these words"),
         DatabaseError(SQLITE_NOTADB, "file is not a database"), false},
        {"profiles trigger aborts", "profiles.db",
         plus("CREATE TRIGGER shut BEFORE INSERT ON profiles BEGIN "
              "SELECT RAISE(ABORT, 'profiles are shut'); END;"),
         DatabaseError(SQLITE_CONSTRAINT_TRIGGER, "profiles are shut"), true},
        {"targets trigger drops the row", "targets.db",
         plus("CREATE TRIGGER drop_it BEFORE INSERT ON targets BEGIN SELECT RAISE(IGNORE); END;"),
         "Hotkey targets database did not add the target row!\n(%targets.db)", true},
        {"profiles trigger drops the row", "profiles.db",
         plus("CREATE TRIGGER drop_it BEFORE INSERT ON profiles BEGIN SELECT RAISE(IGNORE); END;"),
         "Hotkey profiles database did not add the profile row!\n(%profiles.db)", true},
        {"profiles conflict clause drops the row", "profiles.db",
         schema("CREATE TABLE profiles (target_id INTEGER, title TEXT, filename TEXT, "
                "isuse INTEGER UNIQUE ON CONFLICT IGNORE); "
                "INSERT INTO profiles VALUES (7, 'theirs', 'x.db', 1);"),
         "Hotkey profiles database did not add the profile row!\n(%profiles.db)", true},
    };
    const char* const rowsQuery = "SELECT rowid, * FROM targets ORDER BY rowid";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [events, hotkeys] = FreshNames();
        MakeOldDatabase(In(events));
        MakeOldDatabase(In(hotkeys));
        ASSERT_NO_FATAL_FAILURE(MakeRegistries());
        Exec(In("targets.db"), "INSERT INTO targets (title) VALUES ('earlier');");
        c.make(In(c.registry));
        const auto before = Snapshot(dir);
        // A registry that would refuse its row may refuse these readings too.
        const Rows targetsBefore = c.whileWriting ? Query(In("targets.db"), rowsQuery) : Rows{};
        const Rows profilesBefore =
            c.whileWriting ? Query(In("profiles.db"), "SELECT * FROM profiles") : Rows{};
        wxString message = c.message;
        message.Replace("%", Folder() + platform::separator);
        Fill(Folder(), events, hotkeys);

        std::vector<ExpectMessageBox> boxes;
        if (c.whileWriting)
            boxes = {EventsQuestion(wxYES), HotkeysQuestion(wxYES)};
        boxes.push_back(ErrorBox(message));
        ClickDoIt(boxes);

        EXPECT_TRUE(frame->IsShown());
        // Only files the person agreed to replace are new.
        const Rows old = {{"old"}};
        const Rows newEvents = {{"hotkeyevent"}, {"sqlite_sequence"}};
        const Rows newHotkeys = {{"hotkeys"}, {"sqlite_sequence"}};
        EXPECT_EQ(Query(In(events), masterQuery), c.whileWriting ? newEvents : old);
        EXPECT_EQ(Query(In(hotkeys), masterQuery), c.whileWriting ? newHotkeys : old);
        if (c.whileWriting) {
            EXPECT_EQ(Query(In("targets.db"), rowsQuery), targetsBefore);
            EXPECT_EQ(Query(In("profiles.db"), "SELECT * FROM profiles"), profilesBefore);
        } else {
            EXPECT_EQ(Snapshot(dir), before);
        }
    }

    // Repaired, the same window takes the next request.
    ASSERT_NO_FATAL_FAILURE(MakeRegistries());
    ClickDoIt({EventsQuestion(wxYES), HotkeysQuestion(wxYES), SuccessBox()});
    EXPECT_EQ(Query(In("profiles.db"), "SELECT target_id, filename, isuse FROM profiles"),
              (Rows{{"1", "h8.db", "1"}}));
}

// A registry locked for longer than the busy timeout is found before any question.
TEST_F(CreateDatabasesTest, LockedRegistryEndsInBusyErrorAndTheNextRequestWorks)
{
    frame->busyTimeoutMs = 100;
    Fill(Folder(), "e.db", "h.db");
    const auto before = Snapshot(dir);

    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(In("profiles.db").u8string().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ClickDoIt({ErrorBox(DatabaseError(SQLITE_BUSY, "database is locked"))});
    EXPECT_EQ(sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(holder);

    EXPECT_EQ(Snapshot(dir), before);
    EXPECT_EQ(Query(In("targets.db"), "SELECT count(*) FROM targets"), Rows{{"0"}});

    ClickDoIt({SuccessBox()});
    EXPECT_EQ(Query(In("profiles.db"), "SELECT target_id, filename FROM profiles"),
              (Rows{{"1", "h.db"}}));
}

TEST_F(CreateDatabasesTest, TargetRowChangedMeanwhileIsLeftAndNamedInTheBox)
{
    // Another program's trigger rewrites the new row, so it no longer is this request's;
    // the profile fails only once it is written.
    Exec(In("targets.db"), "CREATE TRIGGER other AFTER INSERT ON targets BEGIN "
                           "UPDATE targets SET title = 'theirs' WHERE rowid = new.rowid; END;");
    Exec(In("profiles.db"), "CREATE TRIGGER shut BEFORE INSERT ON profiles BEGIN "
                            "SELECT RAISE(ABORT, 'profiles are shut'); END;");
    Fill(Folder(), "e.db", "h.db");

    ClickDoIt({ErrorBox(DatabaseError(SQLITE_CONSTRAINT_TRIGGER, "profiles are shut") +
                        "\nThe target row 1 of targets.db could not be taken back: it no "
                        "longer holds this request's target\n(" + Folder() +
                        platform::separator + "targets.db)")});

    EXPECT_EQ(Query(In("targets.db"), "SELECT rowid, title, class_symbol FROM targets"),
              (Rows{{"1", "theirs", "EngineMap"}}));
    EXPECT_EQ(Query(In("profiles.db"), "SELECT count(*) FROM profiles"), Rows{{"0"}});
}

TEST_F(CreateDatabasesTest, FailedRemovalShowsNoToolkitBoxAndEndsInDatabaseError)
{
    // A file that cannot be removed: on Linux a file of /proc, which no one, root
    // included, may remove (a link puts it in the folder); on Windows a file another
    // handle holds open without letting it be deleted.
#ifdef _WIN32
    std::ofstream(In("held.db")) << "not a database";
    const HANDLE holder = CreateFileW(In("held.db").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const fs::path kept = In("held.db");
    const char* const keptName = "held.db";
#else
    fs::create_directory_symlink("/proc", In("proc"));
    const fs::path kept = "/proc/version";
    const char* const keptName = "proc/version";
#endif
    ASSERT_TRUE(fs::is_regular_file(kept));
    const auto registries = Snapshot(dir);
    Fill(Folder(), keptName, "h.db");

    std::vector<std::string> seen;
    LogCounter log;
    {
        GTestModalHook hook(__FILE__, __LINE__, "FailedRemoval");
        const RecordBox question(&seen, wxID_YES);
        const RecordBox error(&seen, wxID_OK);
        hook.AddExpectation(question);
        hook.AddExpectation(error);
        ClickButton(frame, ID_DO_IT);
        hook.CheckUnmetExpectations();
    }
    wxLog::FlushActive();

    EXPECT_EQ(log.records, 0) << "the failed removal reached the toolkit's log";
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Error|The selected events db file is exists!\nDo you want to overwrite?|" +
                           std::to_string(wxYES_NO | wxICON_QUESTION));
    // The old file is opened again and the database refuses it; which code it gives
    // depends on whether the process may write to the file: "<name>[<code>]: <message>".
    const std::string& error = seen[1];
    const std::string box = "Error|";
    const std::string bits = "|" + std::to_string(wxICON_ERROR | wxOK);
    ASSERT_GT(error.size(), box.size() + bits.size()) << error;
    EXPECT_EQ(error.substr(0, box.size()), box) << error;
    EXPECT_EQ(error.substr(error.size() - bits.size()), bits) << error;
    const size_t open = error.find('['), close = error.find("]: ");
    ASSERT_TRUE(open != std::string::npos && close != std::string::npos && open + 1 < close)
        << error;
    for (size_t i = open + 1; i < close; ++i)
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(error[i]))) << error;
    EXPECT_TRUE(fs::is_regular_file(kept));
#ifdef _WIN32
    CloseHandle(holder);
#endif
    EXPECT_FALSE(fs::exists(In("h.db")));
    EXPECT_EQ(Snapshot(dir), registries);
}
