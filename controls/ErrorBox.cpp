#include "controls/ErrorBox.h"

#include "controls/DialogFit.h"
#include "controls/ErrorText.h"

#include <QApplication>
#include <QMessageBox>

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
    ShowMessageBox(QMessageBox::Critical, ApplicationTitle(), text, parent);
}

} // namespace glyphor
