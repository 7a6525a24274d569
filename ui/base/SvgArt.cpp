#include "ui/base/SvgArt.h"

#include <algorithm>
#include <cmath>

#include <wx/display.h>

#include "app/Desktop.h"
#include "ui/base/Resources.h"

wxImage RenderArtImage(const std::string& name, int width, int height, const ArtReplacements& replacements) {
    if (width <= 0 || height <= 0) return wxImage();
    const CSvgPicture picture(ResourceDir() + "art/" + name + ".svg", replacements);
    if (!picture.IsOk()) return wxImage();
    const RgbaPixels pixels = picture.Render(width / picture.Width());
    if (pixels.width != width || pixels.height != height) return wxImage();
    wxImage image(width, height, false);
    image.InitAlpha();
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = image.GetAlpha();
    for (std::size_t at = 0; at < static_cast<std::size_t>(width) * height; ++at) {
        std::copy_n(&pixels.rgba[4 * at], 3, rgb + 3 * at);
        alpha[at] = pixels.rgba[4 * at + 3];
    }
    return image;
}

wxBitmap RenderArt(const std::string& name, const wxSize& logical, double scale, const ArtReplacements& replacements) {
    if (!(scale >= 1.0)) scale = 1.0;
    const wxImage image = RenderArtImage(name, static_cast<int>(std::lround(logical.x * scale)),
                                         static_cast<int>(std::lround(logical.y * scale)), replacements);
    if (!image.IsOk()) return wxBitmap();
    return wxBitmap(image, wxBITMAP_SCREEN_DEPTH, scale);
}

double DisplayScale() {
    if (wxDisplay::GetCount() == 0) return 1.0;
    const double scale = wxDisplay(0u).GetScaleFactor();
    return scale >= 1.0 ? scale : 1.0;
}
