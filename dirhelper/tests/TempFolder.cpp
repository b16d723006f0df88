#include "TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "DirHelper.h"

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "dirhelper-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    root = buffer.data();
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

wxString TempFolder::Path() const
{
    return Wx(root.string());
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
