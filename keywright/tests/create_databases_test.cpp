// "Do it!" on a healthy folder: new files, registry rows, overwrite questions, texts.
#include "create_databases_fixture.h"

#include <wx/textctrl.h>

#include <cstdlib>
#include <utility>

namespace fs = std::filesystem;

namespace {

const Rows eventsMaster = {{"table", "hotkeyevent", EventsTableSql()},
                           {"table", "sqlite_sequence", "CREATE TABLE sqlite_sequence(name,seq)"}};
const Rows hotkeysMaster = {{"table", "hotkeys", HotkeysTableSql()},
                            {"table", "sqlite_sequence", "CREATE TABLE sqlite_sequence(name,seq)"}};
const char* const masterQuery = "SELECT type, name, sql FROM sqlite_master ORDER BY rowid";
const char* const targetsQuery =
    "SELECT rowid, title, class_symbol, symboltablefile FROM targets ORDER BY rowid";
const char* const profilesQuery = "SELECT target_id, title, filename, isuse, typeof(target_id), "
                                  "typeof(isuse) FROM profiles ORDER BY rowid";

} // namespace

TEST_F(CreateDatabasesTest, CreatesBothDatabasesAndRegistersTargetAndProfile)
{
    // Earlier registrations, so the new row ids differ in the two registries.
    Exec(In("targets.db"), "INSERT INTO targets (title) VALUES ('a'), ('b');");
    Exec(In("profiles.db"), "INSERT INTO profiles (target_id, title) VALUES (1, 'x');");
    Fill(Folder(), "enginemapevents.db", "enginemaphkeys.db");

    ClickDoIt({SuccessBox()});

    EXPECT_EQ(Query(In("enginemapevents.db"), masterQuery), eventsMaster);
    EXPECT_EQ(Query(In("enginemaphkeys.db"), masterQuery), hotkeysMaster);
    EXPECT_EQ(Query(In("enginemapevents.db"), "SELECT count(*) FROM hotkeyevent"), Rows{{"0"}});
    EXPECT_EQ(Query(In("enginemaphkeys.db"), "SELECT count(*) FROM hotkeys"), Rows{{"0"}});
    const Rows targets = Query(In("targets.db"), targetsQuery);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[2], (std::vector<std::string>{"3", "Engine map", "EngineMap",
                                                    "enginemapevents.db"}));
    const Rows profiles = Query(In("profiles.db"), profilesQuery);
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[1], (std::vector<std::string>{"3", "Default", "enginemaphkeys.db", "1",
                                                     "integer", "integer"}));
    // The form is left as it was.
    EXPECT_EQ(Utf8(frame->eventsFileText->GetValue()), "enginemapevents.db");
    EXPECT_EQ(Utf8(frame->pathText->GetValue()), dir.u8string());

    // The same request again replaces both files and appends a second pair of rows.
    MakeOldDatabase(In("enginemapevents.db"));
    ClickDoIt({EventsQuestion(wxYES), HotkeysQuestion(wxYES), SuccessBox()});
    EXPECT_EQ(Query(In("enginemapevents.db"), masterQuery), eventsMaster);
    EXPECT_EQ(Query(In("enginemaphkeys.db"), masterQuery), hotkeysMaster);
    EXPECT_EQ(Query(In("targets.db"), targetsQuery).back(),
              (std::vector<std::string>{"4", "Engine map", "EngineMap", "enginemapevents.db"}));
    EXPECT_EQ(Query(In("profiles.db"), profilesQuery).back(),
              (std::vector<std::string>{"4", "Default", "enginemaphkeys.db", "1", "integer",
                                        "integer"}));
}

// A target row id beyond 32 bits reaches the profile whole.
TEST_F(CreateDatabasesTest, TargetRowIdIsKeptWhole)
{
    Exec(In("targets.db"), "INSERT INTO targets (target_id, title) VALUES (2147483647, 'a');");
    Fill(Folder(), "e.db", "h.db");
    ClickDoIt({SuccessBox()});
    EXPECT_EQ(Query(In("targets.db"), "SELECT rowid FROM targets ORDER BY rowid"),
              (Rows{{"2147483647"}, {"2147483648"}}));
    EXPECT_EQ(Query(In("profiles.db"), profilesQuery),
              (Rows{{"2147483648", "Default", "h.db", "1", "integer", "integer"}}));
}

TEST_F(CreateDatabasesTest, FolderEndingInSeparatorStillWorks)
{
    Fill(Folder() + platform::separator, "e.db", "h.db");
    ClickDoIt({SuccessBox()});
    EXPECT_EQ(Query(In("e.db"), masterQuery), eventsMaster);
    EXPECT_EQ(Query(In("h.db"), masterQuery), hotkeysMaster);
    EXPECT_EQ(Query(In("targets.db"), "SELECT symboltablefile FROM targets"), Rows{{"e.db"}});
    EXPECT_EQ(Query(In("profiles.db"), "SELECT filename FROM profiles"), Rows{{"h.db"}});
}

// Which old files exist, how the questions are answered, and what must follow.
TEST_F(CreateDatabasesTest, AsksBeforeReplacingAndLosesNothingOnNo)
{
    struct Case {
        const char* name;
        bool eventsExists;
        bool hotkeysExists;
        std::vector<int> answers; // events question first, when it is asked
        bool created;
    };
    const Case cases[] = {
        {"yes, yes", true, true, {wxYES, wxYES}, true},
        {"yes, no", true, true, {wxYES, wxNO}, false},
        {"no", true, true, {wxNO}, false},
        {"events only, yes", true, false, {wxYES}, true},
        {"events only, no", true, false, {wxNO}, false},
        {"hotkeys only, yes", false, true, {wxYES}, true},
        {"hotkeys only, no", false, true, {wxNO}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [events, hotkeys] = FreshNames();
        if (c.eventsExists)
            MakeOldDatabase(In(events));
        if (c.hotkeysExists)
            MakeOldDatabase(In(hotkeys));
        const auto before = Snapshot(dir);
        Fill(Folder(), events, hotkeys);

        std::vector<ExpectMessageBox> boxes;
        size_t answer = 0;
        if (c.eventsExists)
            boxes.push_back(EventsQuestion(c.answers[answer++]));
        if (c.hotkeysExists && answer < c.answers.size())
            boxes.push_back(HotkeysQuestion(c.answers[answer++]));
        if (c.created)
            boxes.push_back(SuccessBox());
        ClickDoIt(boxes);

        if (c.created) {
            EXPECT_EQ(Query(In(events), masterQuery), eventsMaster);
            EXPECT_EQ(Query(In(hotkeys), masterQuery), hotkeysMaster);
            EXPECT_EQ(Query(In("targets.db"), "SELECT symboltablefile FROM targets").back(),
                      std::vector<std::string>{events});
        } else {
            EXPECT_EQ(Snapshot(dir), before) << "a No must leave every file as it was";
        }
    }
}

TEST_F(CreateDatabasesTest, SameNameInBothFieldsAsksOnceAndHoldsBothTables)
{
    const Rows bothTables = {{"table", "hotkeyevent", EventsTableSql()},
                             {"table", "sqlite_sequence", "CREATE TABLE sqlite_sequence(name,seq)"},
                             {"table", "hotkeys", HotkeysTableSql()}};
    Fill(Folder(), "shared.db", "shared.db");
    ClickDoIt({SuccessBox()});
    EXPECT_EQ(Query(In("shared.db"), masterQuery), bothTables);

    // The file now exists: one question covers both names.
    const auto before = Snapshot(dir);
    ClickDoIt({EventsQuestion(wxNO)});
    EXPECT_EQ(Snapshot(dir), before);

    ClickDoIt({EventsQuestion(wxYES), SuccessBox()});
    EXPECT_EQ(Query(In("shared.db"), masterQuery), bothTables);
    EXPECT_EQ(Query(In("targets.db"), "SELECT symboltablefile FROM targets"),
              (Rows{{"shared.db"}, {"shared.db"}}));
    EXPECT_EQ(Query(In("profiles.db"), "SELECT filename FROM profiles"),
              (Rows{{"shared.db"}, {"shared.db"}}));
}

TEST_F(CreateDatabasesTest, TextsAreStoredExactlyAsUtf8)
{
    const std::string title = u8"O'Brien's \"tool\"; DROP TABLE targets; --";
    const std::string classSymbol = u8"Größe日本'";
    const std::string events = u8"ü'ev; x.db";
    const std::string profileTitle = u8"'); DELETE FROM profiles; --";
    const std::string profile = u8"日本'hk.db";
    Fill(Folder(), wxString::FromUTF8(events), wxString::FromUTF8(profile),
         wxString::FromUTF8(title), wxString::FromUTF8(classSymbol),
         wxString::FromUTF8(profileTitle));

    ClickDoIt({SuccessBox()});

    EXPECT_EQ(Query(In(events), masterQuery), eventsMaster);
    EXPECT_EQ(Query(In(profile), masterQuery), hotkeysMaster);
    // hex() shows the stored bytes themselves, so a changed encoding cannot pass.
    auto hex = [](const std::string& text) {
        static const char digits[] = "0123456789ABCDEF";
        std::string out;
        for (unsigned char ch : text) {
            out += digits[ch >> 4];
            out += digits[ch & 15];
        }
        return out;
    };
    EXPECT_EQ(Query(In("targets.db"),
                    "SELECT hex(title), hex(class_symbol), hex(symboltablefile) FROM targets"),
              (Rows{{hex(title), hex(classSymbol), hex(events)}}));
    EXPECT_EQ(Query(In("profiles.db"), "SELECT hex(title), hex(filename), isuse FROM profiles"),
              (Rows{{hex(profileTitle), hex(profile), "1"}}));
}

// Two names are one file only when the system says so; texts that merely look alike
// (after tidying "..", or expanding "$NAME") each get their own question.
TEST_F(CreateDatabasesTest, OnlyTheSystemDecidesThatTwoNamesAreOneFile)
{
    // A file literally named "$KEYWRIGHT_LOOKALIKE", while that variable names another.
    ASSERT_TRUE(platform::SetEnv("KEYWRIGHT_LOOKALIKE", "ev.db"));
    MakeOldDatabase(In("ev.db"));
    MakeOldDatabase(In("$KEYWRIGHT_LOOKALIKE"));
    MakeOldDatabase(In("x.db"));
    fs::create_directories(In("sub/deeper"));
    const auto before = Snapshot(dir);
    Fill(Folder(), "ev.db", "$KEYWRIGHT_LOOKALIKE");
    ClickDoIt({EventsQuestion(wxYES), HotkeysQuestion(wxNO)});
    EXPECT_EQ(Snapshot(dir), before);

    // One file under two names: one question, and both names get their fresh table.
    fs::create_hard_link(In("x.db"), In("hard.db"));
    Fill(Folder(), "x.db", "hard.db");
    ClickDoIt({EventsQuestion(wxYES), SuccessBox()});
    EXPECT_EQ(Query(In("x.db"), masterQuery), eventsMaster);
    EXPECT_EQ(Query(In("hard.db"), masterQuery), hotkeysMaster);

    // The same through symbolic links, where the system makes them.
    for (const auto& [target, link] : {std::pair{"sub/deeper", "link"}, {"ev.db", "soft.db"},
                                       {"targets.db", "reg.db"}}) {
        const std::string refused = platform::MakeSymlink(target, In(link));
        if (!refused.empty())
            GTEST_SKIP() << refused;
    }
    const auto beforeLinks = Snapshot(dir);
    // "link/../x.db" is sub/x.db to the system, wherever the text seems to point.
    Fill(Folder(), "link/../x.db", "x.db");
    ClickDoIt({HotkeysQuestion(wxNO)});
    EXPECT_EQ(Snapshot(dir), beforeLinks);
    // A link to a registry is the registry.
    Fill(Folder(), "reg.db", "h.db");
    ClickDoIt({ErrorBox("The Eventsymbols table file is a registry database!\n(" + Folder() +
                        platform::separator + "targets.db)")});
    EXPECT_EQ(Snapshot(dir), beforeLinks);
    Fill(Folder(), "ev.db", "soft.db");
    ClickDoIt({EventsQuestion(wxYES), SuccessBox()});
    EXPECT_EQ(Query(In("ev.db"), masterQuery), eventsMaster);
    EXPECT_EQ(Query(In("soft.db"), masterQuery), hotkeysMaster);
    EXPECT_EQ(Query(In("profiles.db"), "SELECT filename FROM profiles"),
              (Rows{{"hard.db"}, {"soft.db"}}));
}
