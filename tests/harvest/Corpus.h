#pragma once
// The corpus of real executables, found through G2_CORPUS (default
// $HOME/.cache/glyphor2/corpus). Tests skip themselves when it is absent.

#include <QDir>
#include <QString>

#include <cstdlib>

namespace glyphor::test {

inline QString CorpusRoot()
{
    if (const char* env = std::getenv("G2_CORPUS"); env && *env)
        return QString::fromLocal8Bit(env);
    return QDir::homePath() + "/.cache/glyphor2/corpus";
}

// A file of the corpus by its path inside it; empty when missing.
inline QString CorpusFile(const QString& relative)
{
    const QString path = CorpusRoot() + "/" + relative;
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace glyphor::test
