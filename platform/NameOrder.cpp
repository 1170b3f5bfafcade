#include "platform/NameOrder.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace glyphor {

namespace {

// The user's collation, made to ignore case. The plain C locale has no
// collation of its own worth the name, so the language-neutral one serves there.
const QCollator& Collator()
{
    static const QCollator instance = [] {
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator c(locale);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return instance;
}

// The positions of names in their sorted order, stable among equal names.
std::vector<int> SortedOrder(const QStringList& names)
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.push_back(Collator().sortKey(name));
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&](int a, int b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

} // namespace

int CompareNames(const QString& a, const QString& b)
{
    return Collator().compare(a, b);
}

void SortNames(QStringList& names)
{
    if (names.size() < 2)
        return;
    QStringList sorted;
    sorted.reserve(names.size());
    for (int i : SortedOrder(names))
        sorted.push_back(names[i]);
    names = std::move(sorted);
}

void SortNamesUnique(QStringList& names)
{
    SortNames(names);
    const auto end = std::unique(names.begin(), names.end(),
        [](const QString& a, const QString& b) { return CompareNames(a, b) == 0; });
    names.erase(end, names.end());
}

} // namespace glyphor
