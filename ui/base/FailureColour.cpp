#include "ui/base/FailureColour.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinimumContrast = 4.5;

double Linear(unsigned char channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const wxColour& c) {
    return 0.2126 * Linear(c.Red()) + 0.7152 * Linear(c.Green()) + 0.0722 * Linear(c.Blue());
}

unsigned char Channel(double value) { return static_cast<unsigned char>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

double ContrastRatio(const wxColour& a, const wxColour& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

wxColour FailureTextColour(const wxColour& background) {
    const double l = Luminance(background);
    // Toward black when black stands out more than white does, else toward white.
    const bool bLight = (l + 0.05) / 0.05 >= 1.05 / (l + 0.05);
    wxColour red = bLight ? wxColour(200, 0, 0) : wxColour(255, 110, 110);
    for (int step = 0; step < 40 && ContrastRatio(red, background) < kMinimumContrast; ++step) {
        if (bLight)
            red = wxColour(Channel(red.Red() * 0.9), Channel(red.Green() * 0.9), Channel(red.Blue() * 0.9));
        else
            red = wxColour(Channel(red.Red() + (255 - red.Red()) * 0.15), Channel(red.Green() + (255 - red.Green()) * 0.15),
                           Channel(red.Blue() + (255 - red.Blue()) * 0.15));
    }
    return red;
}
