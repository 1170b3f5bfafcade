#include "app/FolderCommands.h"

#include "browse/TDirectoryListBox.h"
#include "controls/DialogFit.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

namespace glyphor {

namespace {

enum class DialogType { Warning, Information };

// The toolkit's message dialog: the type's title and icon and one OK button.
void ShowMessageDialog(QWidget* parent, DialogType type, const QString& text)
{
    const bool warning = type == DialogType::Warning;
    ShowMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information,
        warning ? QStringLiteral("Warning") : QStringLiteral("Information"), text, parent);
}

// The name of the new folder as typed; empty when the user cancelled.
QString AskNewFolderName(const QString& folder, QWidget* parent)
{
    QPointer<QInputDialog> dialog = new QInputDialog(parent);
    dialog->setWindowTitle(QStringLiteral("Create Directory"));
    dialog->setLabelText(files::DisplayPath(folder));
    dialog->setTextValue(QString());
    if (auto* edit = dialog->findChild<QLineEdit*>())
        edit->setMaxLength(kMaxNewFolderName);
    FitInputDialog(*dialog);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    QString text = dialog && accepted ? dialog->textValue() : QString();
    delete dialog.data();
    return text;
}

} // namespace

QString ParentFolder(const QString& folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

void CreateDir(TDirectoryListBox& destination, QWidget* parent)
{
    const QString name = AskNewFolderName(destination.directory(), parent);
    if (name.isEmpty())
        return;
    // The name is taken as typed, blanks and further folders included.
    const QString path = platform::JoinPath(destination.directory(), name);
    if (platform::MakeFolder(path) == 0)
        ShowMessageDialog(parent, DialogType::Information, QStringLiteral("New directory created"));
    else
        ShowMessageDialog(parent, DialogType::Warning, QStringLiteral("Cannot create directory"));
    // Also after a failure: an existing folder of that name is where the
    // user wanted to be, and for any other failure the list reports why it
    // cannot go there.
    destination.setDirectory(path);
}

void DeleteDir(TDirectoryListBox& destination, QWidget* parent)
{
    const QString folder = destination.directory();
    // The lists leave the folder for its own parent, whichever folder the
    // process's current directory is in; the folder cannot be removed while
    // they show it.
    destination.setDirectory(ParentFolder(folder));
    // Only an empty folder goes; nothing inside one is ever deleted.
    const bool removed = platform::RemoveFolder(folder);
    if (removed)
        destination.rebuild(); // the removed folder's entry goes from the parent's listing
    const QString shown = files::DisplayPath(folder);
    if (removed)
        ShowMessageDialog(
            parent, DialogType::Information, shown + QStringLiteral(" Directory removed"));
    else
        ShowMessageDialog(
            parent, DialogType::Warning, shown + QStringLiteral(" Cannot remove directory"));
}

} // namespace glyphor
