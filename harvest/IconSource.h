#pragma once
// Where captures take their icons from: the platform's extraction for the
// program, something else for tests that need icons of a known picture.

#include "iconfile/IconImage.h"

#include <QString>

#include <optional>

namespace glyphor {

class IconSource {
public:
    virtual ~IconSource() = default;
    // The number of icons of the file; 0 when it gives none.
    virtual int count(const QString& path) const = 0;
    // Icon index of the file; nothing for an index it does not have (-1, the
    // index of an icon picker without selection, included).
    virtual std::optional<IconImage> extract(const QString& path, int index) const = 0;
};

// The platform's icon extraction.
class PlatformIconSource final : public IconSource {
public:
    int count(const QString& path) const override;
    std::optional<IconImage> extract(const QString& path, int index) const override;
};

} // namespace glyphor
