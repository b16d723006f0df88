// The main window: the form of six fields in three groups, the menus, the status bar,
// and the handlers behind them. "Do it!" runs CreateDatabases (CreateDatabases.cpp).
#pragma once

#include <memory>

#include <wx/containr.h>
#include <wx/frame.h>

class wxDirDialog;
class wxTextCtrl;

// Navigation-enabled, so Tab and Shift+Tab walk the form's fields in creation order on
// every system, as they do in a dialog (a plain frame leaves it to the platform, and
// Windows does not do it for a frame).
class KeywrightFrame : public wxNavigationEnabled<wxFrame> {
public:
    KeywrightFrame(wxFrame* parent, const wxString& title);

    // Builds the form's controls and sizers; the constructor calls it last.
    void CreateControls();

    // The database-creation workflow behind "Do it!".
    void CreateDatabases();

    // Where the folder chooser starts: the path field's text as typed, or the data root
    // with a trailing separator when the field is empty.
    wxString BrowseStartFolder() const;

    // How long a database connection waits for a lock (milliseconds).
    int busyTimeoutMs = 60000;

    // The form's fields, owned by the frame as its children.
    wxTextCtrl* classSymbolText = nullptr;
    wxTextCtrl* titleText = nullptr;
    wxTextCtrl* eventsFileText = nullptr;
    wxTextCtrl* profileTitleText = nullptr;
    wxTextCtrl* profileFileText = nullptr;
    wxTextCtrl* pathText = nullptr;

protected:
    // The one place the folder chooser is made, so a test can substitute a dialog whose
    // chosen path it controls (GTK's native chooser reports only paths GTK accepted).
    virtual std::unique_ptr<wxDirDialog> MakeDirDialog();

private:
    void OnClose(wxCloseEvent& event);
    void OnQuit(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnClassSymbolChanged(wxCommandEvent& event);
    void OnButton(wxCommandEvent& event);

    void Browse();

    wxDECLARE_EVENT_TABLE();
};
