#include "controls/TextContrast.h"

#include <algorithm>
#include <cmath>

namespace glyphor {

namespace {

double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(QRgb colour)
{
    return 0.2126 * Linear(qRed(colour)) + 0.7152 * Linear(qGreen(colour))
        + 0.0722 * Linear(qBlue(colour));
}

double ContrastRatio(QRgb a, QRgb b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double LowestContrast(QRgb colour, const std::vector<QRgb>& backgrounds)
{
    double lowest = 21.0;
    for (const QRgb background : backgrounds)
        lowest = std::min(lowest, ContrastRatio(colour, background));
    return lowest;
}

std::optional<QRgb> ReadableTextColour(QRgb preferred, const std::vector<QRgb>& backgrounds)
{
    for (const QRgb candidate : { preferred, qRgb(255, 255, 255), qRgb(0, 0, 0) }) {
        if (LowestContrast(candidate, backgrounds) >= kReadableContrast)
            return candidate;
    }
    return std::nullopt;
}

QRgb Darkened(QRgb colour, double amount)
{
    const double keep = 1.0 - std::clamp(amount, 0.0, 1.0);
    return qRgb(int(std::lround(qRed(colour) * keep)), int(std::lround(qGreen(colour) * keep)),
        int(std::lround(qBlue(colour) * keep)));
}

} // namespace glyphor
