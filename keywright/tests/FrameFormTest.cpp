// The form's behaviour: initial texts and the file names proposed from the class symbol.
#include "FrameFixture.h"

#include "KeywrightIds.h"

#include <wx/menu.h>
#include <wx/textctrl.h>

namespace {

// Types the text one character at a time, as the keyboard would, after clearing the field.
void Type(wxTextCtrl* field, const wxString& text)
{
    field->Clear();
    for (wxUniChar c : text)
        field->AppendText(wxString(c));
}

TEST_F(FrameTest, StartsWithDefaultProfileTitleAndOtherwiseEmptyFields)
{
    EXPECT_EQ(Utf8(frame->profileTitleText->GetValue()), "Default");
    for (wxTextCtrl* field : {frame->titleText, frame->classSymbolText, frame->eventsFileText,
                              frame->profileFileText, frame->pathText})
        EXPECT_EQ(Utf8(field->GetValue()), "");
}

TEST_F(FrameTest, ClassSymbolProposesTheTwoFileNames)
{
    struct Case {
        const char* typed;
        const char* events;
        const char* hkeys;
    };
    const Case cases[] = {
        {"MyApp", "myappevents.db", "myapphkeys.db"},
        {"", "events.db", "hkeys.db"},
        {"ABC_Def9", "abc_def9events.db", "abc_def9hkeys.db"},
        {" Two Words ", " two words events.db", " two words hkeys.db"},
        {"dir/Name.x", "dir/name.xevents.db", "dir/name.xhkeys.db"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Type(frame->classSymbolText, "Previous");
        Type(frame->classSymbolText, c.typed);
        EXPECT_EQ(Utf8(frame->eventsFileText->GetValue()), c.events);
        EXPECT_EQ(Utf8(frame->profileFileText->GetValue()), c.hkeys);
        EXPECT_EQ(Utf8(frame->classSymbolText->GetValue()), c.typed);
    }
}

TEST_F(FrameTest, HandTypedFileNamesSurviveUntilTheClassSymbolChanges)
{
    Type(frame->classSymbolText, "MyApp");
    Type(frame->eventsFileText, "mine.db");
    Type(frame->profileFileText, "keys.db");
    // Editing the file fields leaves the class symbol alone, and nothing else rewrites them.
    EXPECT_EQ(Utf8(frame->classSymbolText->GetValue()), "MyApp");
    Type(frame->titleText, "A title");
    frame->pathText->SetValue("/tmp");
    EXPECT_EQ(Utf8(frame->eventsFileText->GetValue()), "mine.db");
    EXPECT_EQ(Utf8(frame->profileFileText->GetValue()), "keys.db");

    frame->classSymbolText->AppendText("2");
    EXPECT_EQ(Utf8(frame->eventsFileText->GetValue()), "myapp2events.db");
    EXPECT_EQ(Utf8(frame->profileFileText->GetValue()), "myapp2hkeys.db");
}

TEST_F(FrameTest, AboutDoesNothing)
{
    wxCommandEvent about(wxEVT_MENU, ID_MENU_ABOUT);
    EXPECT_TRUE(frame->ProcessWindowEvent(about)); // handled, and no box appears
    PumpEvents();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(Utf8(frame->GetStatusBar()->GetStatusText(0)), "Hello bello!");
}

} // namespace
