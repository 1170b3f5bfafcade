#include "browse/DriveListModel.h"

#include "files/NativePath.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

namespace glyphor {

DriveListModel::DriveListModel(QObject* parent)
    : QObject(parent)
{
    rebuild();
    QString here;
    try {
        here = platform::CurrentDirectory();
    } catch (const EInOutError&) {
        here = QStringLiteral("/");
    }
    QVector<platform::Volume> volumes;
    for (const Item& item : m_items)
        volumes.push_back({ item.root, item.kind, {}, {} });
    m_drive = platform::VolumeRootOf(here, volumes);
    m_selectedIndex = indexOfRoot(m_drive);
}

QString DriveListModel::itemText(const platform::Volume& volume, TextCase textCase)
{
    // Run by run between undecodable bytes: the case functions would turn
    // their marks into replacement characters.
    auto cased = [&](const QString& text) {
        QString out;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && !files::IsUndecodableByte(text[i]))
                continue;
            const QString run = text.mid(start, i - start);
            out += textCase == TextCase::Lower ? run.toLower() : run.toUpper();
            if (i < text.size())
                out += text[i];
            start = i + 1;
        }
        return out;
    };
    // A mount point, share or label need not be valid UTF-8 either.
    if (volume.kind == platform::VolumeKind::Network && !volume.source.isEmpty())
        return files::DisplayPath(volume.root + QLatin1Char(' ') + cased(volume.source));
    return files::DisplayPath(
        volume.root + QStringLiteral(" [") + cased(volume.label) + QLatin1Char(']'));
}

QString DriveListModel::spokenText(const platform::Volume& volume)
{
    QString kind;
    switch (volume.kind) {
    case platform::VolumeKind::Removable:
        kind = QStringLiteral("removable drive");
        break;
    case platform::VolumeKind::Fixed:
        kind = QStringLiteral("fixed drive");
        break;
    case platform::VolumeKind::Network:
        kind = QStringLiteral("network drive");
        break;
    case platform::VolumeKind::CdRom:
        kind = QStringLiteral("CD-ROM drive");
        break;
    case platform::VolumeKind::Ram:
        kind = QStringLiteral("RAM disk");
        break;
    }
    QString text = files::DisplayPath(volume.root) + QStringLiteral(", ") + kind;
    if (volume.kind == platform::VolumeKind::Network && !volume.source.isEmpty())
        return text + QStringLiteral(", ") + files::DisplayPath(volume.source);
    if (volume.label.isEmpty())
        return text + QStringLiteral(", no label");
    return text + QStringLiteral(", label ") + files::DisplayPath(volume.label);
}

void DriveListModel::setDrive(const QString& root)
{
    if (m_selectedIndex >= 0 && root == m_drive)
        return;
    m_drive = root;
    if (root.isEmpty()) {
        m_selectedIndex = -1;
    } else {
        const int index = indexOfRoot(root);
        if (index >= 0)
            m_selectedIndex = index;
    }
    emit changed();
}

void DriveListModel::setTextCase(TextCase textCase)
{
    m_textCase = textCase;
    rebuild();
}

void DriveListModel::rebuild()
{
    m_items.clear();
    for (const platform::Volume& volume : platform::MountedVolumes())
        m_items.push_back(
            { itemText(volume, m_textCase), volume.kind, volume.root, spokenText(volume) });
    m_selectedIndex = indexOfRoot(m_drive);
    emit itemsChanged();
}

int DriveListModel::indexOfRoot(const QString& root) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i].root == root)
            return i;
    }
    return -1;
}

void DriveListModel::pick(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_selectedIndex = index;
    emit clicked();
    setDrive(m_items[index].root);
    emit changed();
}

} // namespace glyphor
