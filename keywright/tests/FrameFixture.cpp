#include "FrameFixture.h"

#include "DirHelper.h"
#include "KeywrightApp.h"

void FrameTest::SetUp()
{
    DirHelper::Init(kDataRoot);
    frame = OpenMainWindow();
    PumpEvents();
}

void FrameTest::TearDown()
{
    if (frame)
        frame->Destroy();
    PumpEvents();
}

void FrameTest::Rebuild(KeywrightFrame* replacement)
{
    if (frame)
        frame->Destroy();
    frame = replacement;
    frame->Show();
    PumpEvents();
}

wxWindow* FrameTest::Child(wxWindowID id) const
{
    return frame->FindWindow(id);
}
