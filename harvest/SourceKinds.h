#pragma once
// The kinds of file a harvest takes icons from, by the ending of their names:
// programs and libraries (.exe, .dll) always, and on request the other icon
// sources of Windows software: icon libraries (.icl), control panel applets
// (.cpl), ActiveX controls (.ocx), screen savers (.scr), drivers (.drv),
// resource-only libraries (.mun), filters (.ax) and icon files (.ico). What
// a file holds is told from its content; its ending only decides whether a
// harvest looks at it.

#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>

namespace glyphor {

class SourceKinds {
public:
    // .exe and .dll.
    SourceKinds();
    // Every kind above.
    static SourceKinds All();
    // A list of the endings above without their dots, separated by commas
    // ("exe,dll,icl"), in any case, or "all". Nothing for an empty list or
    // any other ending; bad then names it.
    static std::optional<SourceKinds> Parse(const QString& list, QString* bad = nullptr);
    // The endings Parse takes, for people: "exe, dll, icl, ...".
    static QString knownList();

    // Whether the name ends in "." and one of the endings, without regard to
    // the case of the letters a to z. So x.exe.bak is not taken and a file
    // named ".dll" is.
    bool matches(const QString& name) const;
    // The same for a name held as the system's bytes (an archive member's).
    bool matches(std::string_view name) const;

    // The mask of a file list that shows these kinds: "*.exe;*.dll;...".
    QString mask() const;
    const QStringList& endings() const { return m_endings; }
    bool operator==(const SourceKinds&) const = default;

private:
    explicit SourceKinds(QStringList endings)
        : m_endings(std::move(endings))
    {
    }

    QStringList m_endings; // upper case, without the dot
};

// The kinds beyond .exe and .dll, as the option that adds them names them.
inline const QStringList kOtherIconSources
    = { "icl", "cpl", "ocx", "scr", "drv", "mun", "ax", "ico" };

} // namespace glyphor
