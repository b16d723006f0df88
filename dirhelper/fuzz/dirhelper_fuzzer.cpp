// DirHelper on arbitrary texts: a fuzzed sequence of Init, GetDir, SetDir, both
// SetFilesDir, MakePath, CreateDirs and UniqueFileName calls, every path confined
// to one temporary folder, each result checked against the folder layout and the disk.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <string>

#include <wx/filefn.h>
#include <wx/init.h>
#include <wx/tokenzr.h>

#include "DirHelper.h"
#include "confined_folder.h"

namespace {

[[noreturn]] void Fail(const char* what, int line) {
    dprintf(2, "dirhelper_fuzzer.cpp:%d: check failed: %s\n", line, what);
    std::abort();
}
#define CHECK(cond) \
    do { \
        if (!(cond)) Fail(#cond, __LINE__); \
    } while (0)

// Where each kind lies below the root, "/" standing for the separator.
const char* const kBelowRoot[19] = {
    "/graphics/cache", "/ORIX_Files", "/graphics", "/config", "/graphics/icons", "/orixprojects",
    "", "/webcache", "/configlets", "/configfilters", "/config/hotkeys",
    "/defaultfirmwareconfigs", "/ORIX_Files", "/logs", "/help", "/config/defaultstatements",
    "/graphics/cache/maps", "/graphics/cache/maps/tiles", "/fonts"};

ConfinedFolder* folder = nullptr;

bool IsDir(const wxString& path) {
    struct stat st;
    return stat(path.fn_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CheckLayout(const wxString& root) {
    CHECK(DirHelper::GetSeparator() == wxT("/"));
    for (int kind = 0; kind < 19; ++kind) {
        const wxString expected = root + wxString::FromUTF8(kBelowRoot[kind]);
        CHECK(DirHelper::GetDir(kind, false) == expected);
        CHECK(DirHelper::GetDir(kind, true) == expected + wxT("/"));
    }
}

std::string Bytes(FuzzedDataProvider& in) { return in.ConsumeRandomLengthString(300); }

// MakePath must leave a folder at the path when nothing stands in the way: no segment
// too long for the file system, no file where a folder belongs.
bool Creatable(const wxString& path) {
    const std::string bytes(path.utf8_str());
    if (bytes.size() >= 4000) return false;
    const wxArrayString segments = wxStringTokenize(path, wxT("/"));
    for (const wxString& s : segments)
        if (std::string(s.utf8_str()).size() > 255) return false;
    wxString prefix;
    for (size_t i = 0; i < segments.size(); ++i) {
        prefix += (i ? wxT("/") : wxT("")) + segments[i];
        struct stat st;
        if (!prefix.empty() && stat(prefix.fn_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return false;
    }
    return true;
}

// Runs one input's calls; returns whether they may have left something on disk that the
// next input must not see.
bool RunOne(FuzzedDataProvider& in) {
    bool touched_disk = false;
    wxString root = folder->Inside(wxT("root"));
    DirHelper::Init(root);
    CheckLayout(root);
    std::set<int> added;  // kinds outside the layout that SetDir gave an entry since Init

    for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
        const int op = in.ConsumeIntegralInRange(0, 8);
        touched_disk = touched_disk || (op >= 2 && op <= 7);
        switch (op) {
        case 0:
            root = folder->Inside(TextFromBytes(Bytes(in)));
            DirHelper::Init(root);
            CheckLayout(root);
            added.clear();
            break;
        case 1: {
            const int kind = in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, 20)
                                              : in.ConsumeIntegral<int>();
            const bool sep = in.ConsumeBool();
            const wxString dir = DirHelper::GetDir(kind, sep);
            const bool has_entry = (kind >= 0 && kind <= 18) || added.count(kind) != 0;
            CHECK(dir.empty() != has_entry);
            if (has_entry) CHECK(dir == DirHelper::GetDir(kind, false) + (sep ? wxT("/") : wxT("")));
            break;
        }
        case 2: {
            const int number = in.ConsumeIntegral<int>();
            const wxString name = Harmless(TextFromBytes(Bytes(in)));
            const wxString before = DirHelper::GetDir(DIR_FILES);
            DirHelper::SetFilesDir(number, name);
            const wxString after = DirHelper::GetDir(DIR_FILES);
            const wxString wanted = DirHelper::GetDir(DIR_FILES_BASE, true) +
                                    (name.empty() ? wxString::Format(wxT("%i"), number)
                                                  : name + wxString::Format(wxT("-%i"), number));
            if (number == 0)
                CHECK(after == before);
            else
                CHECK(after == (IsDir(wanted) ? wanted : before));
            break;
        }
        case 3: {
            const wxString identifier = Harmless(TextFromBytes(Bytes(in)));
            const wxString name = Harmless(TextFromBytes(Bytes(in)));
            const wxString before = DirHelper::GetDir(DIR_FILES);
            DirHelper::SetFilesDir(identifier, name);
            const wxString after = DirHelper::GetDir(DIR_FILES);
            const wxString wanted =
                DirHelper::GetDir(DIR_FILES_BASE, true) + name + wxT("-") + identifier;
            if (identifier.empty() || name.empty())
                CHECK(after == before);
            else
                CHECK(after == (IsDir(wanted) ? wanted : before));
            break;
        }
        case 4: {
            const wxString path = folder->Inside(TextFromBytes(Bytes(in)));
            const bool creatable = Creatable(path);
            DirHelper::MakePath(path);
            if (creatable) CHECK(IsDir(path));
            break;
        }
        case 5: {
            const int kind = in.ConsumeIntegralInRange(-1, 19);
            const wxString path = folder->Inside(TextFromBytes(Bytes(in)));
            const wxString before = DirHelper::GetDir(kind);
            const bool existed = IsDir(path);
            DirHelper::SetDir(kind, path);
            const wxString after = DirHelper::GetDir(kind);
            CHECK(after == (IsDir(path) ? path : before));
            if (existed) CHECK(after == path);
            if (after == path) added.insert(kind);
            break;
        }
        case 6:
            DirHelper::CreateDirs();
            for (int kind = 0; kind < 19; ++kind)
                if (kind != DIR_FILES && kind != DIR_FILES_BASE && Creatable(DirHelper::GetDir(kind)))
                    CHECK(IsDir(DirHelper::GetDir(kind)));
            break;
        case 7: {
            // A file in the way, for UniqueFileName to step around.
            const wxString path = folder->Inside(TextFromBytes(Bytes(in)));
            if (FILE* f = fopen(path.fn_str(), "wx")) fclose(f);
            break;
        }
        case 8: {
            const wxString name = TextFromBytes(Bytes(in));
            const wxString where = in.ConsumeBool()
                                       ? DirHelper::GetDir(in.ConsumeIntegralInRange(0, 18), true)
                                       : folder->Inside(TextFromBytes(Bytes(in)));
            // Nothing is created here, so the folder may carry a NUL: the system never
            // sees what follows it.
            wxString folderText = where;
            if (in.ConsumeBool()) folderText += wxUniChar(0) + TextFromBytes(Bytes(in));
            const bool withTime = in.ConsumeBool();
            const bool withDate = in.ConsumeBool();
            const wxString result = DirHelper::UniqueFileName(name, folderText, withTime, withDate);
            CHECK(result.StartsWith(where));
            CHECK(!wxFileExists(result));
            // The name's own folder is dropped: nothing of it after the last separator.
            CHECK(result.Mid(where.length()).Find(wxT('/')) == wxNOT_FOUND);
            break;
        }
        }
    }
    return touched_disk;
}

}  // namespace

// Every input makes and frees thousands of small strings; with the default 256 MiB
// quarantine each allocation touched fresh pages and halved the executions per second.
// 16 MiB still holds freed blocks back for many inputs. ASAN_OPTIONS can override it.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static wxInitializer wx;  // the toolkit's base library, for its conversions and dates
    static ConfinedFolder confined;
    folder = &confined;
    // The toolkit fills some caches on first use (time zone, conversions); do that here
    // so they are not taken for leaks of the first input.
    DirHelper::Init(folder->Inside(wxT("warm")));
    DirHelper::UniqueFileName(wxT("a.b"), folder->path() + wxT("/"), true, true);
    DirHelper::CreateDirs();
    folder->Clear();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (RunOne(in)) folder->Clear();
    return 0;
}
