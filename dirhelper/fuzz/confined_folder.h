// A temporary folder that fuzzed texts are confined to: every text becomes a path
// below it, with ".." segments renamed and a leading separator dropped, so nothing
// the harness asks for is ever made outside it (the harness may run as root).
#pragma once

#include <wx/string.h>

class ConfinedFolder {
public:
    ConfinedFolder();   // creates a fresh folder below $TMPDIR or /tmp
    ~ConfinedFolder();  // removes it with everything in it
    ConfinedFolder(const ConfinedFolder&) = delete;
    ConfinedFolder& operator=(const ConfinedFolder&) = delete;

    const wxString& path() const { return path_; }
    // The folder + separator + the text made harmless.
    wxString Inside(const wxString& text) const;
    // Empties the folder, so each input starts from the same state.
    void Clear() const;

private:
    wxString path_;
};

// The text with every ".." segment renamed and NULs replaced: safe to append below a
// folder of the confined one, as DirHelper appends names to its files folder.
wxString Harmless(const wxString& text);

// A fuzzed byte string as a wxString: UTF-8 when it is valid UTF-8 (every character a
// Unicode scalar value), else one character per byte (ISO 8859-1), so every byte value
// reaches the code and every text converts to a file name.
wxString TextFromBytes(const std::string& bytes);
