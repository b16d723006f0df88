// A main window built the way start-up builds it, with the data root /srv/orix.
#pragma once

#include "GuiTest.h"
#include "KeywrightFrame.h"

#include <wx/weakref.h>

class FrameTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the frame through the given factory instead of the plain constructor.
    void Rebuild(KeywrightFrame* replacement);

    wxWindow* Child(wxWindowID id) const;

    wxWeakRef<KeywrightFrame> frame;
};

inline const char* const kDataRoot = "/srv/orix";
