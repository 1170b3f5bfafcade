#include "viewer/SaveFullIcon.h"

#include "controls/ErrorBox.h"
#include "files/NativePath.h"
#include "viewer/FullIconFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

#include <exception>

namespace glyphor {

namespace {

// The folder of the last full icon saved, for the next one; the home folder
// until then. Not the destination folder: the file lists there are for the
// harvest's own icon files.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QString FullIconName(const QString& iconName)
{
    // A name with bytes that are not UTF-8 is offered as it is shown: the
    // dialog's text field cannot hold them.
    const QString name = files::DisplayPath(QFileInfo(iconName).fileName());
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    return (stem.isEmpty() ? QStringLiteral("Icon") : stem) + QStringLiteral("-full.ico");
}

QString SaveFullIconAs(QWidget* parent, const QString& iconName, std::vector<std::uint8_t> group)
{
    const QString folder = LastFolder().isEmpty() ? QDir::homePath() : LastFolder();
    // Made on the heap and watched: should parent go while the dialog is
    // open, it takes the dialog with it.
    QPointer<QWidget> owner(parent);
    QPointer<QFileDialog> dialog = new QFileDialog(parent, QStringLiteral("Save Full Icon As"),
        QDir(folder).filePath(FullIconName(iconName)),
        QStringLiteral("Icon files (*.ico);;All files (*)"));
    dialog->setObjectName(QStringLiteral("SaveFullIconDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("ico"));
    // A name that is taken is refused after the dialog, never replaced, so
    // the dialog must not ask whether to replace it.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    const int answer = dialog->exec();
    if (!dialog || !owner)
        return {};
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (answer != QDialog::Accepted || chosen.isEmpty() || chosen.first().isEmpty())
        return {};
    const QString& path = chosen.first();
    try {
        WriteFullIconFile(path, group);
    } catch (const std::exception& e) {
        ShowErrorBox(owner, files::DisplayMessage(e.what()));
        return {};
    }
    LastFolder() = QFileInfo(path).absolutePath();
    return path;
}

} // namespace glyphor
