// The application object: derives the data root, then opens the main window.
#pragma once

#include <wx/app.h>

class KeywrightFrame;

class KeywrightApp : public wxApp {
public:
    bool OnInit() override;
};

// Creates, decorates and shows the main window; the toolkit owns it afterwards.
KeywrightFrame* OpenMainWindow();
