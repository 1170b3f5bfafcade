#pragma once
// The comparison in progress as whoever shows the merge keeps it until it can
// be shown: a merge names millions of comparisons, and copying each pair of
// names into a text would cost more than the comparisons.

#include "harvest/RunTexts.h"

#include <QString>

namespace glyphor {

class PendingComparison {
public:
    void set(const QString& collected, const QString& destination)
    {
        // The collected name is the same string for all of one icon's
        // comparisons; only a new one is copied.
        if (collected.constData() != m_collected.constData())
            m_collected = collected;
        m_destination = destination;
        m_pending = true;
    }
    // A later text replaces it.
    void clear() { m_pending = false; }
    bool pending() const { return m_pending; }
    QString text() const { return ComparingText(m_collected, m_destination); }

private:
    bool m_pending = false;
    QString m_collected;
    QString m_destination;
};

} // namespace glyphor
