#include "GuiTest.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

void PumpEvents()
{
    for (int round = 0; round < 3; ++round) {
        wxTheApp->ProcessPendingEvents();
        while (wxTheApp->Pending())
            wxTheApp->Dispatch();
        wxTheApp->ProcessIdle();
    }
}

void ClickButton(wxWindow* parent, wxWindowID id)
{
    wxWindow* button = parent->FindWindow(id);
    ASSERT_NE(button, nullptr) << "no window " << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

bool PumpEventsUntil(const std::function<bool()>& condition)
{
    wxStopWatch watch;
    while (!condition()) {
        if (watch.Time() > 2000)
            return false;
        PumpEvents();
        wxMilliSleep(5);
    }
    return true;
}

long MessageBoxStyleBits(long style)
{
    return style & (wxICON_MASK | wxOK | wxCANCEL | wxYES | wxNO | wxHELP);
}

namespace {

int DialogAnswer(int answer)
{
    switch (answer) {
    case wxOK:
        return wxID_OK;
    case wxYES:
        return wxID_YES;
    case wxNO:
        return wxID_NO;
    case wxCANCEL:
        return wxID_CANCEL;
    case wxHELP:
        return wxID_HELP;
    default:
        return answer;
    }
}

} // namespace

ExpectMessageBox::ExpectMessageBox(const wxString& message, const wxString& caption,
                                   long iconAndButtons, int answer)
    : message_(message), caption_(caption), iconAndButtons_(iconAndButtons),
      answer_(DialogAnswer(answer))
{
}

int ExpectMessageBox::OnInvoked(wxMessageDialog* dialog) const
{
    EXPECT_EQ(Utf8(dialog->GetMessage()), Utf8(message_)) << "message of the box";
    EXPECT_EQ(Utf8(dialog->GetCaption()), Utf8(caption_)) << "caption of the box";
    EXPECT_EQ(MessageBoxStyleBits(dialog->GetMessageDialogStyle()),
              MessageBoxStyleBits(iconAndButtons_))
        << "icon and button bits of the box \"" << Utf8(message_) << "\"";
    return answer_;
}

wxString ExpectMessageBox::GetDefaultDescription() const
{
    return "a message box \"" + message_ + "\" captioned \"" + caption_ + "\"";
}

std::string Utf8(const wxString& text)
{
    return text.utf8_string();
}

void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wx assertion \"" << Utf8(cond) << "\" failed in " << Utf8(func) << ": "
        << Utf8(msg);
}
