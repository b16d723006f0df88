// The window as built: style, menus, status bar, the form's windows in tab order, the
// sizers' flags, and how the form behaves when the window is resized.
#include "FrameFixture.h"

#include "KeywrightIds.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <vector>

#include <wx/settings.h>

namespace {

TEST_F(FrameTest, FrameStyleIsTheDefaultFrameStylePlusTabTraversal)
{
    EXPECT_EQ(frame->GetWindowStyleFlag(), wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL);
    EXPECT_LT(frame->GetId(), 0); // wxID_ANY: an identifier the toolkit hands out
    EXPECT_EQ(Utf8(frame->GetTitle()), "Orixpilot Keywright");
    EXPECT_EQ(frame->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
}

TEST_F(FrameTest, MenusCarryLabelsAcceleratorsAndHelp)
{
    struct MenuCase {
        int menu;
        const char* title;
        int item;
        const char* label;
        int accelFlags;
        int accelKey;
        const char* help;
    };
    const MenuCase cases[] = {
        {0, "&File", ID_MENU_QUIT, "&Quit", wxACCEL_ALT, WXK_F4, "Quit the application"},
        {1, "&Help", ID_MENU_ABOUT, "&About", wxACCEL_NORMAL, WXK_F1,
         "Show info about this application"},
    };
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetMenuCount(), 2u);
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(Utf8(bar->GetMenuLabel(c.menu)), c.title);
        wxMenu* menu = bar->GetMenu(c.menu);
        ASSERT_EQ(menu->GetMenuItemCount(), 1u);
        wxMenuItem* item = menu->FindItemByPosition(0);
        EXPECT_EQ(item->GetId(), c.item);
        EXPECT_EQ(item->GetKind(), wxITEM_NORMAL);
        EXPECT_EQ(item->GetSubMenu(), nullptr);
        EXPECT_EQ(Utf8(item->GetItemLabel().BeforeFirst('\t')), c.label);
        EXPECT_EQ(Utf8(item->GetHelp()), c.help);
        std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
        ASSERT_NE(accel, nullptr);
        EXPECT_EQ(accel->GetFlags(), c.accelFlags);
        EXPECT_EQ(accel->GetKeyCode(), c.accelKey);
    }
}

TEST_F(FrameTest, StatusBarHasTwoFieldsWithTheirTexts)
{
    wxStatusBar* status = frame->GetStatusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetId(), 0);
    EXPECT_EQ(status->GetFieldsCount(), 2);
    EXPECT_TRUE(status->HasFlag(wxSTB_SIZEGRIP));
    EXPECT_TRUE(status->HasFlag(wxFULL_REPAINT_ON_RESIZE));
    EXPECT_FALSE(status->HasFlag(wxSTB_SHOW_TIPS));
    EXPECT_EQ(Utf8(status->GetStatusText(0)), "Hello bello!");
    EXPECT_EQ(Utf8(status->GetStatusText(1)), "dummy");
}

struct WindowCase {
    enum Kind { Box, Field, Label, Button } kind;
    wxWindowID id;
    const char* text;
};

wxString TextOf(wxWindow* window)
{
    if (wxTextCtrl* field = dynamic_cast<wxTextCtrl*>(window))
        return field->GetValue();
    return window->GetLabel();
}

bool IsKind(wxWindow* window, WindowCase::Kind kind)
{
    switch (kind) {
    case WindowCase::Box:
        return dynamic_cast<wxStaticBox*>(window) != nullptr;
    case WindowCase::Field:
        return dynamic_cast<wxTextCtrl*>(window) != nullptr;
    case WindowCase::Label:
        return dynamic_cast<wxStaticText*>(window) != nullptr;
    case WindowCase::Button:
        return dynamic_cast<wxButton*>(window) != nullptr;
    }
    return false;
}

TEST_F(FrameTest, FormWindowsAreCreatedInTabOrder)
{
    using K = WindowCase;
    const WindowCase expected[] = {
        {K::Box, wxID_ANY, "Target properties"},
        {K::Field, wxID_ANY, ""},
        {K::Field, ID_CLASS_SYMBOL, ""},
        {K::Field, wxID_ANY, ""},
        {K::Label, wxID_ANY, "Title:"},
        {K::Label, wxID_ANY, "Class symbol:\n(for example the name of the class)"},
        {K::Label, wxID_ANY, "Eventsymbols table file:"},
        {K::Box, wxID_ANY, "Profiles"},
        {K::Field, wxID_ANY, "Default"},
        {K::Field, wxID_ANY, ""},
        {K::Label, wxID_ANY, "Title:"},
        {K::Label, wxID_ANY, "Profile file:"},
        {K::Box, wxID_ANY, "Path"},
        {K::Field, wxID_ANY, ""},
        {K::Button, ID_BROWSE, "Browse"},
        {K::Button, ID_DO_IT, "Do it!"},
        {K::Button, ID_CLOSE, "Close"},
    };
    std::vector<wxWindow*> form;
    for (wxWindow* child : frame->GetChildren())
        if (!dynamic_cast<wxStatusBar*>(child) && !dynamic_cast<wxMenuBar*>(child))
            form.push_back(child);
    ASSERT_EQ(form.size(), std::size(expected));
    for (size_t i = 0; i < form.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "window " << i + 1 << " " << expected[i].text);
        EXPECT_TRUE(IsKind(form[i], expected[i].kind));
        EXPECT_EQ(Utf8(TextOf(form[i])), expected[i].text);
        // wxID_ANY windows get fresh negative identifiers from the toolkit.
        if (expected[i].id == wxID_ANY)
            EXPECT_LT(form[i]->GetId(), 0);
        else
            EXPECT_EQ(form[i]->GetId(), expected[i].id);
    }
    // The members point at the fields in their places.
    EXPECT_EQ(form[1], frame->titleText);
    EXPECT_EQ(form[2], frame->classSymbolText);
    EXPECT_EQ(form[3], frame->eventsFileText);
    EXPECT_EQ(form[8], frame->profileTitleText);
    EXPECT_EQ(form[9], frame->profileFileText);
    EXPECT_EQ(form[13], frame->pathText);
}

// One sizer item: what it holds (a window, or a nested sizer's kind), proportion, flags.
struct ItemCase {
    const char* what;
    int proportion;
    int flags;
};

void ExpectItems(wxSizer* sizer, const std::vector<ItemCase>& expected)
{
    ASSERT_NE(sizer, nullptr);
    const wxSizerItemList& items = sizer->GetChildren();
    ASSERT_EQ(items.size(), expected.size());
    size_t i = 0;
    for (wxSizerItem* item : items) {
        SCOPED_TRACE(expected[i].what);
        EXPECT_EQ(item->GetProportion(), expected[i].proportion);
        EXPECT_EQ(item->GetFlag(), expected[i].flags);
        EXPECT_EQ(item->GetBorder(), 5);
        ++i;
    }
}

wxSizer* NestedSizer(wxSizer* sizer, size_t index)
{
    return sizer->GetItem(index)->GetSizer();
}

TEST_F(FrameTest, SizersUseTheirProportionsFlagsAndFivePixelBorders)
{
    const int group = wxALL | wxEXPAND;
    const int label = wxALL | wxALIGN_CENTER_VERTICAL;
    const int field = wxALL | wxEXPAND | wxALIGN_CENTER_VERTICAL;

    wxBoxSizer* root = dynamic_cast<wxBoxSizer*>(frame->GetSizer());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetOrientation(), wxVERTICAL);
    ExpectItems(root, {{"target group", 0, group},
                       {"profiles group", 0, group},
                       {"path group", 0, group},
                       {"button row", 0, wxALL | wxALIGN_CENTER_HORIZONTAL}});

    const char* titles[] = {"Target properties", "Profiles", "Path"};
    for (size_t g = 0; g < 3; ++g) {
        SCOPED_TRACE(titles[g]);
        wxStaticBoxSizer* box = dynamic_cast<wxStaticBoxSizer*>(NestedSizer(root, g));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetOrientation(), wxVERTICAL);
        EXPECT_EQ(Utf8(box->GetStaticBox()->GetLabel()), titles[g]);
        ExpectItems(box, {{"content", 0, group}});
    }

    for (size_t g = 0; g < 2; ++g) {
        wxFlexGridSizer* grid = dynamic_cast<wxFlexGridSizer*>(NestedSizer(NestedSizer(root, g), 0));
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetCols(), 2);
        EXPECT_EQ(grid->GetVGap(), 0);
        EXPECT_EQ(grid->GetHGap(), 0);
        EXPECT_TRUE(grid->IsColGrowable(1));
        EXPECT_FALSE(grid->IsColGrowable(0));
        std::vector<ItemCase> rows;
        for (size_t r = 0; r < (g == 0 ? 3u : 2u); ++r) {
            rows.push_back({"label", 0, label});
            rows.push_back({"field", 0, field});
        }
        ExpectItems(grid, rows);
    }
    EXPECT_EQ(NestedSizer(NestedSizer(root, 0), 0)->GetItem(size_t(3))->GetWindow(),
              frame->classSymbolText);

    wxBoxSizer* pathRow = dynamic_cast<wxBoxSizer*>(NestedSizer(NestedSizer(root, 2), 0));
    ASSERT_NE(pathRow, nullptr);
    EXPECT_EQ(pathRow->GetOrientation(), wxHORIZONTAL);
    ExpectItems(pathRow, {{"path field", 1, label}, {"Browse", 0, label}});

    wxBoxSizer* buttonRow = dynamic_cast<wxBoxSizer*>(NestedSizer(root, 3));
    ASSERT_NE(buttonRow, nullptr);
    EXPECT_EQ(buttonRow->GetOrientation(), wxHORIZONTAL);
    ExpectItems(buttonRow, {{"Do it!", 0, wxALL}, {"Close", 0, wxALL}});
}

TEST_F(FrameTest, InitialSizeIsTheMinimumSize)
{
    EXPECT_EQ(frame->GetMinSize(), frame->GetSize());
    EXPECT_EQ(frame->GetClientSize(), frame->GetSizer()->GetMinSize());
    frame->SetSize(wxSize(10, 10));
    EXPECT_GE(frame->GetSize().x, frame->GetMinSize().x);
    EXPECT_GE(frame->GetSize().y, frame->GetMinSize().y);
}

struct Geometry {
    std::vector<wxRect> rects;
};

std::vector<wxWindow*> FormWindows(wxFrame* frame)
{
    std::vector<wxWindow*> form;
    for (wxWindow* child : frame->GetChildren())
        if (!dynamic_cast<wxStatusBar*>(child) && !dynamic_cast<wxMenuBar*>(child) &&
            !dynamic_cast<wxStaticBox*>(child))
            form.push_back(child);
    return form;
}

void ResizeClient(wxFrame* frame, const wxSize& delta)
{
    frame->SetClientSize(frame->GetClientSize() + delta);
    frame->Layout();
    PumpEvents();
}

TEST_F(FrameTest, WideningGrowsTheFieldsOnly)
{
    const std::vector<wxWindow*> form = FormWindows(frame);
    std::vector<wxRect> before;
    for (wxWindow* w : form)
        before.push_back(w->GetRect());

    ResizeClient(frame, wxSize(200, 0));

    const wxWindow* fields[] = {frame->titleText,        frame->classSymbolText,
                                frame->eventsFileText,   frame->profileTitleText,
                                frame->profileFileText,  frame->pathText};
    for (size_t i = 0; i < form.size(); ++i) {
        SCOPED_TRACE(Utf8(form[i]->GetLabel()) + " / " + Utf8(form[i]->GetName()));
        const bool isField = std::find(std::begin(fields), std::end(fields), form[i]) !=
                             std::end(fields);
        const wxRect after = form[i]->GetRect();
        EXPECT_EQ(after.height, before[i].height);
        if (isField)
            EXPECT_EQ(after.width, before[i].width + 200);
        else
            EXPECT_EQ(after.width, before[i].width);
    }

    // The button row stays centred.
    const wxRect doIt = Child(ID_DO_IT)->GetRect();
    const wxRect close = Child(ID_CLOSE)->GetRect();
    const int client = frame->GetClientSize().x;
    EXPECT_NEAR(doIt.GetLeft(), client - 1 - close.GetRight(), 1);
}

TEST_F(FrameTest, MakingTallerGrowsNothing)
{
    const std::vector<wxWindow*> form = FormWindows(frame);
    std::vector<wxRect> before;
    for (wxWindow* w : form)
        before.push_back(w->GetRect());

    ResizeClient(frame, wxSize(0, 150));

    for (size_t i = 0; i < form.size(); ++i) {
        SCOPED_TRACE(Utf8(form[i]->GetLabel()));
        EXPECT_EQ(form[i]->GetRect(), before[i]);
    }
}

} // namespace
