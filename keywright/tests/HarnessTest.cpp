// The harness itself: boxes are answered by what they say, and anything unexpected
// fails the test instead of waiting for a person.
#include "GuiTest.h"

#include <gtest/gtest-spi.h>

#include <wx/dirdlg.h>
#include <wx/msgdlg.h>

namespace {

struct BoxCase {
    const char* what;
    long stylePassed;
    long observedBits; // what wx 3.2 shows for that style
    int answer;
    int expectedResult;
};

TEST(HarnessTest, AnswersMessageBoxesByMessageCaptionIconAndButtons)
{
    const BoxCase cases[] = {
        {"error box", wxICON_ERROR, wxICON_ERROR | wxOK, wxOK, wxOK},
        {"question answered yes", wxYES_NO | wxICON_QUESTION, wxYES_NO | wxICON_QUESTION, wxYES,
         wxYES},
        {"question answered no", wxYES_NO | wxICON_QUESTION, wxYES_NO | wxICON_QUESTION, wxNO,
         wxNO},
        {"info box", wxOK | wxCENTRE, wxOK | wxICON_INFORMATION, wxOK, wxOK},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        int result = 0;
        wxTEST_DIALOG(result = wxMessageBox("line one\nline two", "Caption", c.stylePassed),
                      ExpectMessageBox("line one\nline two", "Caption", c.observedBits,
                                       c.answer));
        EXPECT_EQ(result, c.expectedResult);
    }
}

void ShowBoxWithOtherCaption()
{
    wxTEST_DIALOG(wxMessageBox("text", "Info", wxOK),
                  ExpectMessageBox("text", "Error", wxOK | wxICON_INFORMATION, wxOK));
}

void ShowBoxWithOtherMessage()
{
    wxTEST_DIALOG(wxMessageBox("text", "Error", wxICON_ERROR),
                  ExpectMessageBox("other text", "Error", wxOK | wxICON_ERROR, wxOK));
}

void ShowBoxWithOtherIcon()
{
    wxTEST_DIALOG(wxMessageBox("text", "Error", wxICON_ERROR),
                  ExpectMessageBox("text", "Error", wxOK | wxICON_QUESTION, wxOK));
}

void ShowBoxWhereDirDialogExpected()
{
    struct AnyDirDialog : wxExpectModalBase<wxDirDialog, AnyDirDialog> {
        int OnInvoked(wxDirDialog*) const override { return wxID_OK; }
    };
    wxTEST_DIALOG(wxMessageBox("surprise", "Error", wxICON_ERROR), AnyDirDialog());
}

void ExpectBoxThatNeverComes()
{
    wxTEST_DIALOG((void)0, ExpectMessageBox("never", "Error", wxOK | wxICON_ERROR, wxOK));
}

TEST(HarnessTest, MismatchedBoxesFailTheTest)
{
    EXPECT_NONFATAL_FAILURE(ShowBoxWithOtherCaption(), "caption of the box");
    EXPECT_NONFATAL_FAILURE(ShowBoxWithOtherMessage(), "message of the box");
    EXPECT_NONFATAL_FAILURE(ShowBoxWithOtherIcon(), "icon and button bits");
    EXPECT_NONFATAL_FAILURE(ShowBoxWhereDirDialogExpected(), "shown unexpectedly");
    EXPECT_NONFATAL_FAILURE(ExpectBoxThatNeverComes(), "was not shown");
}

TEST(HarnessTest, BoxOutsideAnyExpectationFailsAndIsDismissed)
{
    static int result = 0;
    EXPECT_NONFATAL_FAILURE(result = wxMessageBox("nobody expects this", "Error", wxYES_NO),
                            "nobody expects this");
    EXPECT_EQ(result, wxCANCEL);
}

TEST(HarnessTest, WxAssertionFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(wxFAIL_MSG("deliberate assertion"), "deliberate assertion");
}

} // namespace
