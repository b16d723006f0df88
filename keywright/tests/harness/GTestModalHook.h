// The modal-dialog hook behind wxTEST_DIALOG: expectation failures become GoogleTest
// failures, and a box nobody expected is dismissed instead of waiting for a person.
#pragma once

#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/string.h>

#include <gtest/gtest.h>

#include <wx/testing.h>

class GTestModalHook : public wxTestingModalHook {
public:
    GTestModalHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func), file_(file), line_(line)
    {
    }

protected:
    int Enter(wxDialog* dialog) override
    {
        const int answer = wxTestingModalHook::Enter(dialog);
        // The base class has already reported the surprise; never let it show.
        return answer == wxID_NONE ? wxID_CANCEL : answer;
    }

    void ReportFailure(const wxString& message) override
    {
        ADD_FAILURE_AT(file_, line_) << message.utf8_string();
    }

private:
    const char* file_;
    int line_;
};
