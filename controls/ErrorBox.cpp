#include "controls/ErrorBox.h"

#include "controls/DialogFit.h"
#include "controls/ErrorText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace glyphor {

namespace {

QString& StoredTitle()
{
    static QString title;
    return title;
}

} // namespace

QString ApplicationTitle()
{
    const QString& title = StoredTitle();
    return title.isEmpty() ? QStringLiteral("Glyphor 2") : title;
}

void SetApplicationTitle(const QString& title)
{
    StoredTitle() = title;
}

void ShowErrorBox(QWidget* parent, const QString& message)
{
    const QString text = QString::fromStdString(ErrorBoxText(message.toStdString()));
    // On the heap and guarded, as the box is a child of a window that could
    // go while it is up.
    QPointer<QMessageBox> box
        = NewMessageBox(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box->exec();
    delete box.data();
}

} // namespace glyphor
