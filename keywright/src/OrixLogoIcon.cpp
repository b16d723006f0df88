#include "OrixLogoIcon.h"

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/toplevel.h>

#ifndef __WXMSW__
#include "OrixLogoIconData.h" // generated from keywright/res/orixLogoIcon-*.png
#endif

wxIconBundle OrixLogoIcons()
{
    wxIconBundle bundle;
#ifdef __WXMSW__
    bundle.AddIcon(wxIcon("orixLogoIcon", wxBITMAP_TYPE_ICO_RESOURCE, -1, -1));
#else
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    for (const OrixLogoImage& image : orixLogoImages) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap::NewFromPNGData(image.data, image.size));
        if (icon.IsOk())
            bundle.AddIcon(icon);
    }
#endif
    return bundle;
}

void SetOrixLogoIcon(wxTopLevelWindow* window)
{
#ifdef __WXMSW__
    // The resource icon at the default size, as the window has always had it.
    window->SetIcon(wxIcon("orixLogoIcon", wxBITMAP_TYPE_ICO_RESOURCE, -1, -1));
#else
    window->SetIcons(OrixLogoIcons());
#endif
}
