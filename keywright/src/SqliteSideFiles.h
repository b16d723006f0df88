// SQLite keeps a database's journal, write-ahead log and shared-memory index beside it,
// named after it with "-journal", "-wal" and "-shm". A hotkeys or events database made
// under such a name is taken by SQLite for the side file of another database, which may
// then roll it back into that database or delete it. Pure text work, so both systems'
// rules can be checked anywhere; keywright applies the one it runs on.
#pragma once

#include <wx/string.h>

// How the system matches a file's name: exactly as written, or as Windows does ("\" and
// "/" both separators, letter case ignored, trailing dots and spaces dropped).
enum class NameMatching { exact, windows };

#ifdef __WXMSW__
inline constexpr NameMatching nativeNameMatching = NameMatching::windows;
#else
inline constexpr NameMatching nativeNameMatching = NameMatching::exact;
#endif

// True when the last part of fileName ends in "-journal", "-wal" or "-shm".
bool IsSqliteSideFileName(const wxString& fileName, NameMatching matching);
