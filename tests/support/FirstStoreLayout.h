#pragma once
// The tables of an item and its user properties as the store's first layout
// (user_version 1) made them. Frozen on purpose: a store written then must
// still open (the store's tests), and the fill's benchmark measures the
// floor of saving items on the same tables.

inline constexpr const char* kFirstLayoutItemTables =
    "CREATE TABLE items(id INTEGER PRIMARY KEY AUTOINCREMENT, uid TEXT NOT NULL UNIQUE,"
    " folder INTEGER NOT NULL, start REAL NOT NULL, start_key INTEGER NOT NULL, end REAL NOT NULL,"
    " subject TEXT NOT NULL, body TEXT NOT NULL, busy_status INTEGER NOT NULL,"
    " reminder_set INTEGER NOT NULL, reminder_minutes INTEGER NOT NULL,"
    " reminder_play_sound INTEGER NOT NULL, reminder_sound_file TEXT NOT NULL);"
    "CREATE INDEX items_folder_start ON items(folder, start_key);"
    "CREATE TABLE item_properties(item INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,"
    " position INTEGER NOT NULL, name TEXT NOT NULL, folded TEXT NOT NULL, type INTEGER NOT NULL,"
    " number REAL, text TEXT, PRIMARY KEY(item, position), UNIQUE(item, folded)) WITHOUT ROWID;";

// The rest of the first layout: the folders' fields and the change count.
inline constexpr const char* kFirstLayoutOtherTables =
    "CREATE TABLE folder_fields(folder INTEGER NOT NULL, name TEXT NOT NULL, folded TEXT NOT NULL,"
    " type INTEGER NOT NULL, PRIMARY KEY(folder, folded)) WITHOUT ROWID;"
    "CREATE TABLE counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;";
