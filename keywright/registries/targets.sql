-- The hotkey targets registry, targets.db. target_id is the row id that profiles refer to.
CREATE TABLE targets (
  target_id INTEGER PRIMARY KEY AUTOINCREMENT,
  title TEXT,
  class_symbol TEXT,
  symboltablefile TEXT
);
