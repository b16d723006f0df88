// Command and control identifiers of the main window; every other window uses wxID_ANY.
#pragma once

enum {
    ID_MENU_QUIT = 1000,
    ID_MENU_ABOUT = 1001,
    ID_CLASS_SYMBOL = 1002,
    ID_BROWSE = 1003,
    ID_CLOSE = 1004,
    ID_DO_IT = 1005
};
