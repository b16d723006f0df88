// Start-up as the application runs it: the shown, titled window with all its icon sizes,
// and the translation of texts when a locale exists.
#include "FrameFixture.h"

#include "OrixLogoIcon.h"
#include "Translate.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/toplevel.h>

#include <set>

namespace {

TEST_F(FrameTest, MainWindowIsShownWithTheOrixLogoInSixSizes)
{
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(Utf8(frame->GetTitle()), "Orixpilot Keywright");
    const wxIconBundle& icons = frame->GetIcons();
    ASSERT_EQ(icons.GetIconCount(), 6u);
    std::set<int> sizes;
    for (size_t i = 0; i < icons.GetIconCount(); ++i) {
        const wxIcon icon = icons.GetIconByIndex(i);
        EXPECT_EQ(icon.GetWidth(), icon.GetHeight());
        sizes.insert(icon.GetWidth());
        wxBitmap bitmap;
        bitmap.CopyFromIcon(icon);
        const wxImage image = bitmap.ConvertToImage();
        ASSERT_TRUE(image.HasAlpha()) << icon.GetWidth() << " px";
        // The corners of the rounded tile are transparent, its centre is opaque.
        EXPECT_EQ(image.GetAlpha(0, 0), 0);
        EXPECT_EQ(image.GetAlpha(image.GetWidth() / 2, image.GetHeight() / 2), 255);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 72, 96}));
}

TEST(TranslateTest, UsesTheLiteralWithoutALocale)
{
    ASSERT_EQ(wxGetLocale(), nullptr);
    EXPECT_EQ(Utf8(Translate("Hello bello!")), "Hello bello!");
}

} // namespace
