// keywright-make-registries.exe: the Windows way to make an empty pair of hotkey
// registries, targets.db and profiles.db, in a folder, from the schema files the Linux
// script uses (built in, so the program can be copied alone). It answers as the script:
//   keywright-make-registries [--] FOLDER
//   keywright-make-registries --help | --version
// The folder is made when missing. Registries that exist are never replaced: the program
// then changes nothing and fails.
#include <windows.h>

#include <sqlite3.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>

#include "RegistrySchema.h"

namespace {

const wchar_t* const prog = L"keywright-make-registries";

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                 nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring wide(const char* text) {
  int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
  if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
  return out;
}

// A console shows any name through WriteConsoleW; a pipe or a file gets UTF-8.
void say(DWORD which, const std::wstring& line) {
  HANDLE out = GetStdHandle(which);
  std::wstring text = line + L"\r\n";
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    std::string bytes = utf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}
void tell(const std::wstring& line) { say(STD_OUTPUT_HANDLE, line); }
void complain(const std::wstring& line) { say(STD_ERROR_HANDLE, std::wstring(prog) + L": " + line); }

std::wstring usage() { return std::wstring(L"usage: ") + prog + L" [--] FOLDER"; }

std::wstring system_message(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = n ? std::wstring(text, n) : L"error " + std::to_wstring(code);
  LocalFree(text);
  while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L'.')) out.pop_back();
  return out;
}

// Runs one schema into a new database file. SQLite takes UTF-8 names on Windows too, and a
// database opened by its UTF-8 name keeps its text in UTF-8, as the Linux registries do.
bool make_database(const std::wstring& file, const char* schema) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(utf8(file).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, schema, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) complain(file + L": " + wide(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  if (sqlite3_close(db) != SQLITE_OK && rc == SQLITE_OK) rc = SQLITE_ERROR;
  return rc == SQLITE_OK;
}

// A temporary file of the folder's, so a failure leaves no half-made pair behind.
std::wstring temporary_in(const std::wstring& folder, const wchar_t* stem) {
  wchar_t name[MAX_PATH + 16];
  if (GetTempFileNameW(folder.c_str(), stem, 0, name) == 0) return {};
  return name;
}

int make_pair(const std::wstring& folder) {
  const std::wstring targets = folder + L"\\targets.db";
  const std::wstring profiles = folder + L"\\profiles.db";
  for (const std::wstring& f : {targets, profiles}) {
    if (GetFileAttributesW(f.c_str()) != INVALID_FILE_ATTRIBUTES) {
      complain(f + L" exists; nothing was changed");
      return 1;
    }
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(folder), error);
  if (error) {
    complain(folder + L": " + wide(error.message().c_str()));
    return 1;
  }
  std::wstring tmp_targets = temporary_in(folder, L"tgt");
  std::wstring tmp_profiles = temporary_in(folder, L"prf");
  if (tmp_targets.empty() || tmp_profiles.empty()) {
    complain(folder + L": " + system_message(GetLastError()));
    if (!tmp_targets.empty()) DeleteFileW(tmp_targets.c_str());
    return 1;
  }
  bool made = make_database(tmp_targets, kTargetsSchema) && make_database(tmp_profiles, kProfilesSchema);
  // Without MOVEFILE_REPLACE_EXISTING: a registry that appeared meanwhile stays as it was.
  bool placed = made && MoveFileExW(tmp_targets.c_str(), targets.c_str(), MOVEFILE_WRITE_THROUGH);
  if (made && !placed) complain(targets + L": " + system_message(GetLastError()));
  bool both = placed && MoveFileExW(tmp_profiles.c_str(), profiles.c_str(), MOVEFILE_WRITE_THROUGH);
  if (placed && !both) {
    complain(profiles + L": " + system_message(GetLastError()));
    DeleteFileW(targets.c_str());  // ours: placed a moment ago
  }
  DeleteFileW(tmp_targets.c_str());
  DeleteFileW(tmp_profiles.c_str());
  if (!both) return 1;
  tell(L"created " + targets + L" and " + profiles);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && (std::wcscmp(argv[1], L"--help") == 0 || std::wcscmp(argv[1], L"-h") == 0)) {
    tell(usage());
    return 0;
  }
  if (argc == 2 && std::wcscmp(argv[1], L"--version") == 0) {
    tell(std::wstring(prog) + L" " + wide(KEYWRIGHT_VERSION));
    return 0;
  }
  int first = 1;
  // "--" ends the options, so after it a folder may be called anything.
  if (argc > 1 && std::wcscmp(argv[1], L"--") == 0) {
    first = 2;
  } else if (argc > 1 && argv[1][0] == L'-' && argv[1][1] != L'\0') {
    complain(std::wstring(argv[1]) + L" is taken for an option (a folder whose name begins with - goes after --)");
    say(STD_ERROR_HANDLE, usage());
    return 2;
  }
  if (argc - first != 1 || argv[first][0] == L'\0') {
    say(STD_ERROR_HANDLE, usage());
    return 2;
  }
  return make_pair(argv[first]);
}
