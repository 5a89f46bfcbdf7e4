#include "model/Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

/// One sRGB component (0 ... 255) as linear light (0 ... 1).
double Linear(int component) {
    const double c = component / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(Colour colour) {
    return 0.2126 * Linear(RedOf(colour)) + 0.7152 * Linear(GreenOf(colour)) +
           0.0722 * Linear(BlueOf(colour));
}

double ContrastRatio(Colour a, Colour b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour ReadableTextColour(Colour preferred, Colour fallback, Colour background) {
    return ContrastRatio(preferred, background) >= kReadableContrast ? preferred : fallback;
}
