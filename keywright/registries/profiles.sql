-- The hotkey profiles registry, profiles.db.
CREATE TABLE profiles (
  profile_id INTEGER PRIMARY KEY AUTOINCREMENT,
  target_id INTEGER NOT NULL,
  title TEXT,
  filename TEXT,
  isuse INTEGER NOT NULL DEFAULT 0
);
