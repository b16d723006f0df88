// Texts that go through the locale's catalogue when a locale exists: the title, menus and
// first status text; the form's labels and "dummy" never do.
#include "FrameFixture.h"

#include "KeywrightIds.h"
#include "Translate.h"

#include <wx/intl.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/translation.h>

#include <cstdint>
#include <map>
#include <string>

namespace {

// A GNU message catalogue (.mo) in memory: header, two offset tables, the strings.
std::string MessageCatalogue(const std::map<std::string, std::string>& entries)
{
    std::map<std::string, std::string> all = entries;
    all[""] = "Content-Type: text/plain; charset=UTF-8\n";
    const uint32_t count = static_cast<uint32_t>(all.size());
    const uint32_t originals = 28, translations = originals + 8 * count;
    uint32_t text = translations + 8 * count;
    std::string head, tables[2], strings;
    auto word = [](std::string& out, uint32_t value) {
        out.append(reinterpret_cast<const char*>(&value), 4);
    };
    for (uint32_t value : {0x950412deu, 0u, count, originals, translations, 0u, text})
        word(head, value);
    for (int side = 0; side < 2; ++side)
        for (const auto& [original, translated] : all) {
            const std::string& s = side == 0 ? original : translated;
            word(tables[side], static_cast<uint32_t>(s.size()));
            word(tables[side], text);
            strings += s;
            strings += '\0';
            text += static_cast<uint32_t>(s.size() + 1);
        }
    return head + tables[0] + tables[1] + strings;
}

class MemoryLoader : public wxTranslationsLoader {
public:
    explicit MemoryLoader(std::string catalogue) : catalogue_(std::move(catalogue)) {}

    wxMsgCatalog* LoadCatalog(const wxString& domain, const wxString&) override
    {
        return wxMsgCatalog::CreateFromData(
            wxScopedCharBuffer::CreateNonOwned(catalogue_.data(), catalogue_.size()), domain);
    }
    wxArrayString GetAvailableTranslations(const wxString&) const override
    {
        wxArrayString languages;
        languages.push_back("de");
        return languages;
    }

private:
    std::string catalogue_;
};

TEST_F(FrameTest, LocaleTranslatesTitleMenusAndFirstStatusTextOnly)
{
    frame->Destroy();
    PumpEvents();

    wxLogNull quiet; // the test machine may lack the system locale; the catalogue is ours
    wxLocale locale;
    locale.Init(wxLANGUAGE_DEFAULT, wxLOCALE_DONT_LOAD_DEFAULT);
    ASSERT_EQ(wxGetLocale(), &locale);
    wxTranslations* translations = wxTranslations::Get();
    ASSERT_NE(translations, nullptr);
    translations->SetLoader(new MemoryLoader(MessageCatalogue({
        {"Orixpilot Keywright", "Orixpilot Tastenmeister"},
        {"&File", "&Datei"},
        {"&Quit\tAlt-F4", "&Beenden\tAlt-F4"},
        {"Quit the application", "Programm beenden"},
        {"&Help", "&Hilfe"},
        {"Hello bello!", "Hallo Welt!"},
        {"dummy", "Attrappe"},
        {"Title:", "Titel:"},
        {"Browse", "Durchsuchen"},
    })));
    translations->SetLanguage("de");
    ASSERT_TRUE(translations->AddCatalog("keywright"));

    EXPECT_EQ(Utf8(Translate("Hello bello!")), "Hallo Welt!");
    EXPECT_EQ(Utf8(Translate("not in the catalogue")), "not in the catalogue");

    Rebuild(new KeywrightFrame(nullptr, Translate("Orixpilot Keywright")));
    EXPECT_EQ(Utf8(frame->GetTitle()), "Orixpilot Tastenmeister");
    wxMenuBar* bar = frame->GetMenuBar();
    EXPECT_EQ(Utf8(bar->GetMenuLabel(0)), "&Datei");
    EXPECT_EQ(Utf8(bar->GetMenuLabel(1)), "&Hilfe");
    wxMenuItem* quit = bar->FindItem(ID_MENU_QUIT);
    EXPECT_EQ(Utf8(quit->GetItemLabelText()), "Beenden");
    EXPECT_EQ(Utf8(quit->GetHelp()), "Programm beenden");
    // Not in the catalogue: the literal.
    EXPECT_EQ(Utf8(bar->FindItem(ID_MENU_ABOUT)->GetHelp()), "Show info about this application");
    EXPECT_EQ(Utf8(frame->GetStatusBar()->GetStatusText(0)), "Hallo Welt!");
    EXPECT_EQ(Utf8(frame->GetStatusBar()->GetStatusText(1)), "dummy");
    EXPECT_EQ(Utf8(frame->FindWindow(ID_BROWSE)->GetLabel()), "Browse");
    for (wxWindow* child : frame->GetChildren())
        EXPECT_NE(Utf8(child->GetLabel()), "Titel:");

    frame->Destroy();
    PumpEvents();
}

} // namespace
