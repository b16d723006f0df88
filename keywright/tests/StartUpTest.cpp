// Start-up as the application runs it: the shown, titled window with its icon (every
// size here; on Windows the resource's, at the system's icon size), and the
// translation of texts when a locale exists.
#include "FrameFixture.h"

#include "OrixLogoIcon.h"
#include "Platform.h"
#include "Translate.h"

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/toplevel.h>

#include <set>

namespace {

TEST_F(FrameTest, MainWindowIsShownWithTheOrixLogo)
{
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(Utf8(frame->GetTitle()), "Orixpilot Keywright");
    const wxIconBundle& icons = frame->GetIcons();
    ASSERT_EQ(icons.GetIconCount(), platform::windowIconSizes.size());
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
    EXPECT_EQ(sizes, platform::windowIconSizes);
}

TEST(TranslateTest, UsesTheLiteralWithoutALocale)
{
    ASSERT_EQ(wxGetLocale(), nullptr);
    EXPECT_EQ(Utf8(Translate("Hello bello!")), "Hello bello!");
}

} // namespace
