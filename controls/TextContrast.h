#pragma once
// How well a text colour stands out from what lies under it, as the Web
// Content Accessibility Guidelines measure it: the ratio of the two colours'
// relative luminances, each plus 0.05, from 1 (none) to 21 (black on white).
// Ordinary text needs at least 4.5 : 1 to be read with low vision.

#include <QRgb>

#include <optional>
#include <vector>

namespace glyphor {

inline constexpr double kReadableContrast = 4.5;

// The relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(QRgb colour);
// The contrast ratio of two colours, whichever is lighter.
double ContrastRatio(QRgb a, QRgb b);
// The lowest contrast of colour against each of backgrounds; 21 for none.
double LowestContrast(QRgb colour, const std::vector<QRgb>& backgrounds);

// The colour to write in over backgrounds: preferred where it reaches 4.5 : 1
// against every one of them, else white or black, whichever reaches it
// (white first); nothing when neither does, which happens only when the
// backgrounds range from dark to light.
std::optional<QRgb> ReadableTextColour(QRgb preferred, const std::vector<QRgb>& backgrounds);

// The colour taken toward black: each channel times (1 - amount), amount
// from 0 (unchanged) to 1 (black).
QRgb Darkened(QRgb colour, double amount);

} // namespace glyphor
