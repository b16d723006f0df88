// Browse: where the folder chooser starts, and what OK and Cancel do to the path field.
#include "FrameFixture.h"

#include "KeywrightIds.h"
#include "Platform.h"

#include <wx/dirdlg.h>
#include <wx/textctrl.h>

namespace {

// GTK's chooser only reports folders GTK itself accepted, so the test dialog keeps the
// start folder it was given and returns the folder the test chose.
class RecordingDirDialog : public wxDirDialog {
public:
    using wxDirDialog::wxDirDialog;

    void SetPath(const wxString& path) override
    {
        startFolder = path;
        wxDirDialog::SetPath(path);
    }
    wxString GetPath() const override { return chosen; }

    wxString startFolder;
    wxString chosen;
};

class RecordingFrame : public KeywrightFrame {
public:
    using KeywrightFrame::KeywrightFrame;
    using KeywrightFrame::MakeDirDialog;

protected:
    std::unique_ptr<wxDirDialog> MakeDirDialog() override
    {
        return std::make_unique<RecordingDirDialog>(this, wxDirSelectorPromptStr, wxEmptyString,
                                                    wxDD_DEFAULT_STYLE);
    }
};

// Answers the chooser: records where it started, and chooses `chosen` when answering OK.
class ExpectChooser : public wxExpectModalBase<RecordingDirDialog, ExpectChooser> {
public:
    ExpectChooser(wxString* startedAt, const wxString& chosen, int answer)
        : startedAt_(startedAt), chosen_(chosen), answer_(answer)
    {
    }

protected:
    int OnInvoked(RecordingDirDialog* dialog) const override
    {
        *startedAt_ = dialog->startFolder;
        dialog->chosen = chosen_;
        return answer_;
    }

private:
    wxString* startedAt_;
    wxString chosen_;
    int answer_;
};

TEST_F(FrameTest, ChooserStartsAtTheTypedTextOrAtTheDataRoot)
{
    struct Case {
        const char* typed;
        std::string start;
    };
    const Case cases[] = {
        // The data root with the native separator.
        {"", std::string(kDataRoot) + platform::separator},
        {"/no/such/folder", "/no/such/folder"},
        {"relative/../x ", "relative/../x "},
        {"/tmp/", "/tmp/"},
    };
    Rebuild(new RecordingFrame(nullptr, "Orixpilot Keywright"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        frame->pathText->SetValue(c.typed);
        EXPECT_EQ(Utf8(frame->BrowseStartFolder()), c.start);
        wxString startedAt;
        wxTEST_DIALOG(ClickButton(frame, ID_BROWSE), ExpectChooser(&startedAt, "", wxID_CANCEL));
        EXPECT_EQ(Utf8(startedAt), c.start);
    }
}

TEST_F(FrameTest, OkReplacesThePathAndAnythingElseKeepsIt)
{
    struct Case {
        const char* before;
        int answer;
        const char* after;
    };
    const Case cases[] = {
        {"/old", wxID_OK, "/chosen/folder"},
        {"", wxID_OK, "/chosen/folder"},
        {"/old", wxID_CANCEL, "/old"},
        {"", wxID_CANCEL, ""},
        {"/old", wxID_CLOSE, "/old"},
    };
    Rebuild(new RecordingFrame(nullptr, "Orixpilot Keywright"));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " answer " << c.answer);
        frame->pathText->SetValue(c.before);
        wxString startedAt;
        wxTEST_DIALOG(ClickButton(frame, ID_BROWSE), ExpectChooser(&startedAt, "/chosen/folder", c.answer));
        EXPECT_EQ(Utf8(frame->pathText->GetValue()), c.after);
    }
}

// The program's own chooser: a wxDirDialog on the frame with the toolkit's prompt.
class ExpectPlainChooser : public wxExpectModalBase<wxDirDialog, ExpectPlainChooser> {
public:
    explicit ExpectPlainChooser(wxWindow* parent) : parent_(parent) {}

protected:
    int OnInvoked(wxDirDialog* dialog) const override
    {
        EXPECT_EQ(dialog->GetParent(), parent_);
        EXPECT_EQ(Utf8(dialog->GetMessage()), Utf8(wxDirSelectorPromptStr));
        EXPECT_TRUE(dialog->HasFlag(wxDD_DEFAULT_STYLE));
        EXPECT_EQ(dynamic_cast<RecordingDirDialog*>(dialog), nullptr);
        return wxID_CANCEL;
    }

private:
    wxWindow* parent_;
};

TEST_F(FrameTest, RealChooserIsAFolderDialogOnTheFrame)
{
    frame->pathText->SetValue("/tmp");
    wxTEST_DIALOG(ClickButton(frame, ID_BROWSE), ExpectPlainChooser(frame));
    EXPECT_EQ(Utf8(frame->pathText->GetValue()), "/tmp");
}

} // namespace
