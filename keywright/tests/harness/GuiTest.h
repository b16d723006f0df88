// What every keywright GUI test includes: GoogleTest, the toolkit's dialog-testing macros
// wired to GoogleTest, and helpers for driving windows without a person.
//
//   wxTEST_DIALOG(frame->DoSomething(),
//                 ExpectMessageBox("The selected path is not exists!", "Error",
//                                  wxICON_ERROR | wxOK, wxOK));
//
// A modal box shown outside wxTEST_DIALOG, or one that does not match the next
// expectation, fails the test and is dismissed with Cancel.
#pragma once

#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include "GTestModalHook.h"

#include <functional>
#include <string>

#include <wx/msgdlg.h>
#include <wx/window.h>

// Delivers pending events, idle events and delayed deletions (Destroy()).
void PumpEvents();

// Pumps events until the condition holds or about two seconds pass; returns the condition.
bool PumpEventsUntil(const std::function<bool()>& condition);

// The icon and button bits of a message box style: what wx 3.2 lets a test observe of
// the style a box was shown with (wx adds wxOK to a box without buttons and a default
// icon to one without an icon).
long MessageBoxStyleBits(long style);

// Expects a wxMessageBox/wxMessageDialog with exactly this message and caption, whose
// icon and button bits equal iconAndButtons, and answers it: answer is a wxMessageBox
// result (wxOK, wxYES, wxNO, wxCANCEL) or a dialog identifier (wxID_YES ...).
class ExpectMessageBox : public wxExpectModalBase<wxMessageDialog, ExpectMessageBox> {
public:
    ExpectMessageBox(const wxString& message, const wxString& caption, long iconAndButtons,
                     int answer);

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;
    wxString GetDefaultDescription() const override;

private:
    wxString message_;
    wxString caption_;
    long iconAndButtons_;
    int answer_;
};

// Clicks the button with this identifier inside parent, as the button itself does:
// a button event from the button, handled by the button's own handler chain.
void ClickButton(wxWindow* parent, wxWindowID id);

// A failed wx assertion as a test failure, never a box nobody answers (wxSetAssertHandler).
void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg);

// Readable text of a wxString in test failure messages.
std::string Utf8(const wxString& text);
