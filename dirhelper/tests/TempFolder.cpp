#include "TempFolder.h"

#include <fstream>

#include "DirHelper.h"
#include "MakeTempFolder.h"

TempFolder::TempFolder() : root(MakeTempFolder("dirhelper")) {}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

wxString TempFolder::Path() const
{
    return Wx(root.u8string());
}

wxString TempFolder::Path(const std::string& relative) const
{
    return Path() + Native("/" + relative);
}

std::filesystem::path TempFolder::Fs(const std::string& relative) const
{
    return relative.empty() ? root : root / relative;
}

void TempFolder::MakeFolder(const std::string& relative) const
{
    std::filesystem::create_directories(Fs(relative));
}

void TempFolder::MakeFile(const std::string& relative) const
{
    std::ofstream(Fs(relative)) << "x";
}

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

std::string Std(const wxString& text)
{
    return std::string(text.utf8_str());
}

wxString Native(const std::string& slashed)
{
    wxString path = Wx(slashed);
    path.Replace(wxT("/"), DirHelper::GetSeparator());
    return path;
}
