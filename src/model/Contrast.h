#pragma once

#include "model/Layout.h"

/// How light a colour looks: its relative luminance, 0 for black to 1 for white, from the
/// sRGB components (the measure the web's accessibility guidelines use).
double RelativeLuminance(Colour colour);

/// How far apart two colours are in lightness: (lighter + 0.05) / (darker + 0.05), from 1 for
/// equal colours to 21 for black and white. Text needs about 3 to be read at a glance.
double ContrastRatio(Colour a, Colour b);

/// The smallest contrast at which a short label in a normal font is still easy to read.
constexpr double kReadableContrast = 3.0;

/// `preferred` when it stands out enough from `background`, else `fallback`: a colour chosen
/// for its meaning that the running theme makes unreadable gives way to the theme's own text.
Colour ReadableTextColour(Colour preferred, Colour fallback, Colour background);
