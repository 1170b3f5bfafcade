#include "harvest/SourceKinds.h"

#include <algorithm>

namespace glyphor {

namespace {

// Upper case for the letters a to z only: the rule the walk has always used
// for .EXE and .DLL, which leaves every other character as it is.
char16_t AsciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

bool IsEndingCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

} // namespace

SourceKinds::SourceKinds()
    : m_endings({ QStringLiteral("EXE"), QStringLiteral("DLL") })
{
}

SourceKinds SourceKinds::All()
{
    QStringList endings = SourceKinds().m_endings;
    for (const QString& e : kOtherIconSources)
        endings << e.toUpper();
    return SourceKinds(endings);
}

std::optional<SourceKinds> SourceKinds::Parse(const QString& list, QString* bad)
{
    if (list.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        return All();
    const QStringList known = All().m_endings;
    QStringList endings;
    for (QString e : list.split(QLatin1Char(','))) {
        e = e.trimmed();
        // Only the kinds the harvest knows: any other ending ("zip", ".exe",
        // a typing error) would be a harvest that silently finds nothing.
        if (!std::all_of(e.begin(), e.end(), IsEndingCharacter) || !known.contains(e.toUpper())) {
            if (bad)
                *bad = e;
            return std::nullopt;
        }
        if (!endings.contains(e.toUpper()))
            endings << e.toUpper();
    }
    return SourceKinds(endings);
}

QString SourceKinds::knownList()
{
    return All().mask().remove(QStringLiteral("*.")).replace(QLatin1Char(';'), QLatin1String(", "));
}

bool SourceKinds::matches(const QString& name) const
{
    for (const QString& ending : m_endings) {
        const qsizetype length = ending.size() + 1;
        if (name.size() < length || name[name.size() - length] != QLatin1Char('.'))
            continue;
        bool same = true;
        for (qsizetype i = 0; i < ending.size() && same; ++i)
            same = AsciiUpper(name[name.size() - ending.size() + i].unicode())
                == ending[i].unicode();
        if (same)
            return true;
    }
    return false;
}

bool SourceKinds::matches(std::string_view name) const
{
    for (const QString& ending : m_endings) {
        const std::size_t length = std::size_t(ending.size()) + 1;
        if (name.size() < length || name[name.size() - length] != '.')
            continue;
        bool same = true;
        for (qsizetype i = 0; i < ending.size() && same; ++i)
            same = char16_t(AsciiUpper(static_cast<unsigned char>(
                       name[name.size() - std::size_t(ending.size()) + std::size_t(i)])))
                == ending[i].unicode();
        if (same)
            return true;
    }
    return false;
}

QString SourceKinds::mask() const
{
    QStringList patterns;
    for (const QString& e : m_endings)
        patterns << QStringLiteral("*.") + e.toLower();
    return patterns.join(QLatin1Char(';'));
}

} // namespace glyphor
