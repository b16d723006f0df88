#include "confined_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <wx/strconv.h>
#include <wx/tokenzr.h>

namespace {

// Removes everything inside the open folder dir_fd, not following links. getdents64
// with a buffer on the stack, not opendir: a 32 KiB allocation per folder dominated
// the harness's time under AddressSanitizer.
void remove_contents(int dir_fd) {
    alignas(8) char buf[8192];
    bool removed_any = false;
    for (;;) {
        const ssize_t n = getdents64(dir_fd, buf, sizeof buf);
        if (n <= 0) {
            // Entries were removed while reading: list again until a pass removes nothing.
            if (n < 0 || !removed_any) return;
            removed_any = false;
            lseek(dir_fd, 0, SEEK_SET);
            continue;
        }
        for (ssize_t off = 0; off < n;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buf + off);
            off += entry->d_reclen;
            const char* name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            if (entry->d_type == DT_DIR) {
                const int child = openat(dir_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
                if (child >= 0) {
                    remove_contents(child);
                    close(child);
                }
                removed_any |= unlinkat(dir_fd, name, AT_REMOVEDIR) == 0;
            } else {
                removed_any |= unlinkat(dir_fd, name, 0) == 0;
            }
        }
    }
}

void remove_below(const std::string& folder, bool including_folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        remove_contents(fd);
        close(fd);
    }
    if (including_folder) rmdir(folder.c_str());
}

}  // namespace

ConfinedFolder::ConfinedFolder() {
    // $TMPDIR first: a run that is killed leaves its folder behind, and a script can
    // point TMPDIR at a place it removes afterwards.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/dirhelper-fuzz-XXXXXX";
    char* name = pattern.data();
    if (mkdtemp(name) == nullptr) {
        perror("mkdtemp");
        std::abort();
    }
    path_ = wxString::FromUTF8(name);
}

ConfinedFolder::~ConfinedFolder() { remove_below(std::string(path_.utf8_str()), true); }

void ConfinedFolder::Clear() const { remove_below(std::string(path_.utf8_str()), false); }

wxString Harmless(const wxString& text) {
    wxString safe;
    // A NUL would cut the name short when it reaches the system, so it must not hide a "..".
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
        safe += (*it == wxT('\0')) ? wxUniChar('_') : *it;
    const wxArrayString segments = wxStringTokenize(safe, wxT("/"), wxTOKEN_RET_EMPTY_ALL);
    wxString out;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out += wxT("/");
        out += segments[i] == wxT("..") ? wxString(wxT("_..")) : segments[i];
    }
    return out;
}

wxString ConfinedFolder::Inside(const wxString& text) const {
    wxString relative = Harmless(text);
    while (relative.StartsWith(wxT("/"))) relative.Remove(0, 1);  // absolute: made relative
    return path_ + wxT("/") + relative;
}

wxString TextFromBytes(const std::string& bytes) {
    if (bytes.empty()) return wxString();
    // The toolkit also decodes some byte runs that are not UTF-8 (F4 90 .. gives a code
    // point past U+10FFFF) into a text that converts to no file name at all. No user
    // can type such a text, so it is read one character per byte instead.
    const wxString utf8 = wxString::FromUTF8(bytes.data(), bytes.size());
    bool unicode = !utf8.empty();
    for (wxString::const_iterator it = utf8.begin(); unicode && it != utf8.end(); ++it) {
        const wxUint32 c = (*it).GetValue();
        unicode = c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    }
    if (unicode) return utf8;
    return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}
