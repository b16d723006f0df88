// GoogleTest main for keywright's unit tests: the toolkit initialised without a window
// (on Windows wxStandardPaths wants an application object), its assertions failures.
#include "GuiTest.h"

#include <wx/init.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    wxSetAssertHandler(AssertToFailure);
    wxInitializer toolkit(argc, argv);
    if (!toolkit.IsOk())
        return 1;
    return RUN_ALL_TESTS();
}
