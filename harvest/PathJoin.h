#pragma once
// Joining a folder and a name the way the file lists do: one "/" between
// them, none added when the folder already ends with one (only "/" does).

#include <QString>

namespace glyphor {

inline QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

} // namespace glyphor
