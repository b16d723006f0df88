// HotkeySchema: the statement texts of the "Do it!" workflow.
// SQLite keeps a CREATE TABLE text verbatim in sqlite_master, so the two below are kept
// byte for byte as the suite's other hotkey files hold them, each on one line.
#pragma once

namespace HotkeySchema {

// Events database: one empty table of event symbols.
inline constexpr const char eventsTable[] =
    "CREATE TABLE [hotkeyevent] (                         [event_id] INTEGER  NOT NULL PRIMARY KEY AUTOINCREMENT,                         [symbol] VARCHAR(64)  NULL,                         [title] VARCHAR(256)  NULL ); ";

// Hotkeys database: one empty table of key bindings.
inline constexpr const char hotkeysTable[] =
    "CREATE TABLE [hotkeys] (                             [id] INTEGER  NOT NULL PRIMARY KEY AUTOINCREMENT,                             [event_id] INTEGER  NULL,                             [keystring] VARCHAR(64)  NULL );";

// Registry rows. The field texts go in as bound parameters, so quotes and
// semicolons in them are stored as typed and can never change the statement.
inline constexpr const char insertTarget[] =
    "insert into targets (title,class_symbol,symboltablefile) values (?,?,?)";
inline constexpr const char insertProfile[] =
    "insert into profiles (target_id,title,filename,isuse) values (?,?,?,?)";
// Takes back a target row whose profile could not be appended: by its full row id, and
// only while that row still holds this request's texts.
inline constexpr const char removeTarget[] =
    "DELETE FROM targets WHERE rowid = ? AND title IS ? AND class_symbol IS ? AND "
    "symboltablefile IS ?";

// The suite's registries, expected in the chosen folder next to the new files.
inline constexpr const char targetsFile[] = "targets.db";
inline constexpr const char profilesFile[] = "profiles.db";

} // namespace HotkeySchema
