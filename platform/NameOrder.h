#pragma once
// The order of names in the browsers: alphabetical by the user's locale,
// without regard to letter case, as a sorted list box keeps its strings.

#include <QString>
#include <QStringList>

namespace glyphor {

// Negative, zero or positive as a sorts before, with or after b.
int CompareNames(const QString& a, const QString& b);

// Sorts in place; names that compare equal keep their order. One collation
// key per name, so that thousands of names sort quickly.
void SortNames(QStringList& names);

// Sorts and keeps once each run of names that compare equal (the first).
void SortNamesUnique(QStringList& names);

} // namespace glyphor
