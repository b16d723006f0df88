#include "KeywrightFrame.h"

#include "DirHelper.h"
#include "KeywrightIds.h"
#include "Translate.h"

#include <wx/dirdlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

// clang-format off
wxBEGIN_EVENT_TABLE(KeywrightFrame, wxFrame)
    EVT_CLOSE(KeywrightFrame::OnClose)
    EVT_MENU(ID_MENU_QUIT, KeywrightFrame::OnQuit)
    EVT_MENU(ID_MENU_ABOUT, KeywrightFrame::OnAbout)
    EVT_TEXT(ID_CLASS_SYMBOL, KeywrightFrame::OnClassSymbolChanged)
    EVT_BUTTON(ID_BROWSE, KeywrightFrame::OnButton)
    EVT_BUTTON(ID_CLOSE, KeywrightFrame::OnButton)
    EVT_BUTTON(ID_DO_IT, KeywrightFrame::OnButton)
wxEND_EVENT_TABLE()
// clang-format on

namespace {

wxMenu* MenuWithItem(int id, const wxString& label, const wxString& help)
{
    wxMenu* menu = new wxMenu(wxEmptyString, 0);
    menu->Append(wxMenuItemBase::New(menu, id, label, help, wxITEM_NORMAL, nullptr));
    return menu;
}

} // namespace

KeywrightFrame::KeywrightFrame(wxFrame* parent, const wxString& title)
{
    Create(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
           wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL, wxFrameNameStr);
#ifdef __WXMSW__
    // Windows moves the focus with Tab only inside a control parent, and the toolkit
    // never makes a top-level window one.
    const HWND window = static_cast<HWND>(GetHWND());
    ::SetWindowLongPtr(window, GWL_EXSTYLE,
                       ::GetWindowLongPtr(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
#endif
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    ClearBackground();

    wxMenuBar* menuBar = new wxMenuBar;
    menuBar->Append(MenuWithItem(ID_MENU_QUIT, Translate("&Quit\tAlt-F4"),
                                 Translate("Quit the application")),
                    Translate("&File"));
    menuBar->Append(MenuWithItem(ID_MENU_ABOUT, Translate("&About\tF1"),
                                 Translate("Show info about this application")),
                    Translate("&Help"));
    SetMenuBar(menuBar);

    CreateStatusBar(2, wxSTB_SIZEGRIP | wxFULL_REPAINT_ON_RESIZE, 0, wxStatusLineNameStr);
    SetStatusText(Translate("Hello bello!"), 0);
    SetStatusText("dummy", 1);

    CreateControls();
}

void KeywrightFrame::OnClose(wxCloseEvent&)
{
    Destroy();
}

void KeywrightFrame::OnQuit(wxCommandEvent&)
{
    Destroy();
}

void KeywrightFrame::OnAbout(wxCommandEvent&)
{
}

void KeywrightFrame::OnClassSymbolChanged(wxCommandEvent&)
{
    const wxString symbol = classSymbolText->GetValue().Lower();
    eventsFileText->SetValue(symbol + "events.db");
    profileFileText->SetValue(symbol + "hkeys.db");
}

void KeywrightFrame::OnButton(wxCommandEvent& event)
{
    switch (event.GetId()) {
    case ID_BROWSE:
        Browse();
        break;
    case ID_CLOSE:
        Close(false);
        break;
    case ID_DO_IT:
        // A database failure ends the request, not the program; the form stays as it was.
        try {
            CreateDatabases();
        } catch (const wxSQLite3Exception& e) {
            wxMessageBox(e.GetMessage(), "Error", wxICON_ERROR);
        }
        break;
    default:
        break;
    }
}

wxString KeywrightFrame::BrowseStartFolder() const
{
    const wxString typed = pathText->GetValue();
    return typed.empty() ? DirHelper::GetDir(DIR_ROOT, true) : typed;
}

std::unique_ptr<wxDirDialog> KeywrightFrame::MakeDirDialog()
{
    return std::make_unique<wxDirDialog>(this, wxDirSelectorPromptStr, wxEmptyString,
                                         wxDD_DEFAULT_STYLE, wxDefaultPosition,
                                         wxDefaultSize, wxDirDialogNameStr);
}

void KeywrightFrame::Browse()
{
    std::unique_ptr<wxDirDialog> dialog = MakeDirDialog();
    dialog->SetPath(BrowseStartFolder());
    if (dialog->ShowModal() == wxID_OK)
        pathText->SetValue(dialog->GetPath());
}
