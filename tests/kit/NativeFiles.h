#pragma once
// Files and folders of the tests by the program's own paths (QString), made,
// written, read and removed through the system's bytes: QTemporaryDir, QDir
// and QFile take names through a lossy conversion and can neither make nor
// remove a name that is not UTF-8.

#include "kit/Bytes.h"
#include "kit/Files.h"

#include <QString>
#include <QStringList>

namespace glyphor::kit {

QString PathOf(const ScratchFolder& folder);

// Makes folder and the folders above it.
void MakePath(const QString& folder);
// Makes folder and empty files of these names in it.
void MakeFiles(const QString& folder, const QStringList& names);
// Makes folders of these names in folder.
void MakeFolders(const QString& folder, const QStringList& names);
// pattern with %1 replaced by first, first + 1, ... (count names), each
// number padded with zeros to width digits: ("Icon%1.ico", 2, 4) gives
// Icon0000.ico and Icon0001.ico.
QStringList NumberedNames(const QString& pattern, int count, int width, int first = 0);
// Removes path and everything below it.
void RemoveAll(const QString& path);

bool WriteBytes(const QString& path, const Bytes& bytes);
// The whole file; nothing when it cannot be read.
Bytes ReadBytes(const QString& path);

// A file of the corpus by its path inside it; empty when it is not there.
QString CorpusFile(const QString& relative);

} // namespace glyphor::kit
