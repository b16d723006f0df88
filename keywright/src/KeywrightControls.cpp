// The form: three framed groups of labelled fields and the button row, laid out so the
// fields widen with the window and nothing grows in height.
#include "KeywrightFrame.h"

#include "KeywrightIds.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

const int kBorder = 5;
const int kCentredFlags = wxALL | wxALIGN_CENTER_VERTICAL;
const int kFieldFlags = wxALL | wxEXPAND | wxALIGN_CENTER_VERTICAL;
const int kGroupFlags = wxALL | wxEXPAND;

wxTextCtrl* NewField(wxWindow* parent, wxWindowID id, const wxString& text)
{
    return new wxTextCtrl(parent, id, text, wxDefaultPosition, wxDefaultSize, 0,
                          wxDefaultValidator, wxTextCtrlNameStr);
}

wxStaticText* NewLabel(wxWindow* parent, const wxString& text)
{
    return new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0,
                            wxStaticTextNameStr);
}

wxButton* NewButton(wxWindow* parent, wxWindowID id, const wxString& label)
{
    return new wxButton(parent, id, label, wxDefaultPosition, wxDefaultSize, 0,
                        wxDefaultValidator, wxButtonNameStr);
}

// Two columns, labels left; the field column takes the extra width.
wxFlexGridSizer* NewGrid()
{
    wxFlexGridSizer* grid = new wxFlexGridSizer(2, 0, 0);
    grid->AddGrowableCol(1, 0);
    return grid;
}

void AddRow(wxFlexGridSizer* grid, wxStaticText* label, wxTextCtrl* field)
{
    grid->Add(label, 0, kCentredFlags, kBorder);
    grid->Add(field, 0, kFieldFlags, kBorder);
}

} // namespace

void KeywrightFrame::CreateControls()
{
    // Creation order is the tab order.
    wxStaticBoxSizer* targetGroup = new wxStaticBoxSizer(wxVERTICAL, this, "Target properties");
    titleText = NewField(this, wxID_ANY, "");
    classSymbolText = NewField(this, ID_CLASS_SYMBOL, "");
    eventsFileText = NewField(this, wxID_ANY, "");
    wxStaticText* titleLabel = NewLabel(this, "Title:");
    wxStaticText* classSymbolLabel =
        NewLabel(this, "Class symbol:\n(for example the name of the class)");
    wxStaticText* eventsFileLabel = NewLabel(this, "Eventsymbols table file:");
    wxFlexGridSizer* targetGrid = NewGrid();
    AddRow(targetGrid, titleLabel, titleText);
    AddRow(targetGrid, classSymbolLabel, classSymbolText);
    AddRow(targetGrid, eventsFileLabel, eventsFileText);
    targetGroup->Add(targetGrid, 0, kGroupFlags, kBorder);

    wxStaticBoxSizer* profilesGroup = new wxStaticBoxSizer(wxVERTICAL, this, "Profiles");
    profileTitleText = NewField(this, wxID_ANY, "Default");
    profileFileText = NewField(this, wxID_ANY, "");
    wxStaticText* profileTitleLabel = NewLabel(this, "Title:");
    wxStaticText* profileFileLabel = NewLabel(this, "Profile file:");
    wxFlexGridSizer* profilesGrid = NewGrid();
    AddRow(profilesGrid, profileTitleLabel, profileTitleText);
    AddRow(profilesGrid, profileFileLabel, profileFileText);
    profilesGroup->Add(profilesGrid, 0, kGroupFlags, kBorder);

    wxBoxSizer* root = new wxBoxSizer(wxVERTICAL);
    root->Add(targetGroup, 0, kGroupFlags, kBorder);
    root->Add(profilesGroup, 0, kGroupFlags, kBorder);

    wxStaticBoxSizer* pathGroup = new wxStaticBoxSizer(wxVERTICAL, this, "Path");
    pathText = NewField(this, wxID_ANY, "");
    wxButton* browseButton = NewButton(this, ID_BROWSE, "Browse");
    wxBoxSizer* pathRow = new wxBoxSizer(wxHORIZONTAL);
    pathRow->Add(pathText, 1, kCentredFlags, kBorder);
    pathRow->Add(browseButton, 0, kCentredFlags, kBorder);
    pathGroup->Add(pathRow, 0, kGroupFlags, kBorder);
    root->Add(pathGroup, 0, kGroupFlags, kBorder);

    wxButton* doItButton = NewButton(this, ID_DO_IT, "Do it!");
    wxButton* closeButton = NewButton(this, ID_CLOSE, "Close");
    wxBoxSizer* buttonRow = new wxBoxSizer(wxHORIZONTAL);
    buttonRow->Add(doItButton, 0, wxALL, kBorder);
    buttonRow->Add(closeButton, 0, wxALL, kBorder);
    root->Add(buttonRow, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, kBorder);

    SetSizer(root, true);
    root->SetSizeHints(this);
}
