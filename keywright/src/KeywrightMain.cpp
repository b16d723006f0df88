// Program entry: the toolkit's macro registers the application factory, which checks the
// toolkit's build signature before it creates KeywrightApp.
#include "KeywrightApp.h"

wxIMPLEMENT_APP(KeywrightApp);
