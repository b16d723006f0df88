// DirHelper: the suite's table of data folders, built once from the data root,
// and the one-character path separator that the rest of keywright joins paths with.
#pragma once

#include <wx/hashmap.h>
#include <wx/string.h>

// Folder kinds; the values are stored layout, 0 to 18 without gaps.
enum DirKind {
    DIR_GRAPHICS_CACHE = 0,
    DIR_FILES = 1,
    DIR_GRAPHICS = 2,
    DIR_CONFIG = 3,
    DIR_ICONS = 4,
    DIR_PROJECTS = 5,
    DIR_ROOT = 6,
    DIR_WEBCACHE = 7,
    DIR_CONFIGLETS = 8,
    DIR_CONFIGFILTERS = 9,
    DIR_HOTKEYS = 10,
    DIR_DEFAULT_FIRMWARE_CONFIGS = 11,
    DIR_FILES_BASE = 12,
    DIR_LOGS = 13,
    DIR_HELP = 14,
    DIR_DEFAULT_STATEMENTS = 15,
    DIR_MAPS = 16,
    DIR_TILES = 17,
    DIR_FONTS = 18
};

WX_DECLARE_HASH_MAP(int, wxString, wxIntegerHash, wxIntegerEqual, DirTable);

class DirHelper {
public:
    DirHelper() {}
    virtual ~DirHelper() {}

    static void Init(const wxString& root);
    static wxString GetDir(int kind, bool withSeparator = false);
    static wxString GetSeparator();
    static void SetDir(int kind, const wxString& path);
    static void SetFilesDir(int number, const wxString& name);
    static void SetFilesDir(const wxString& identifier, const wxString& name);
    static void CreateDirs();
    static void MakePath(const wxString& path);
    static void MakeDir(const wxString& path, int mode);
    static wxString UniqueFileName(const wxString& fileName, const wxString& folder,
                                   bool withTime, bool withDate);

private:
    // Defined in this order in DirHelper.cpp: the separator is made before the table.
    static wxString separator;
    static DirTable table;
};
