// A fresh folder below the system's temporary folder, removed with everything in it
// when the test ends; tests never touch the working folder.
#pragma once

#include <filesystem>
#include <string>

#include <wx/string.h>

#include "WxStringPrinter.h"

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder itself, without a trailing separator.
    wxString Path() const;
    // The folder joined with a relative path whose parts are separated by "/".
    wxString Path(const std::string& relative) const;
    std::filesystem::path Fs(const std::string& relative = std::string()) const;

    void MakeFolder(const std::string& relative) const;
    void MakeFile(const std::string& relative) const;

private:
    std::filesystem::path root;
};

// Conversions between the toolkit's strings and the standard library's.
wxString Wx(const std::string& text);
std::string Std(const wxString& text);
// A path written with "/" between its parts, in the native separator.
wxString Native(const std::string& slashed);
