#include "platform/ErrorBox.h"

#include "platform/ErrorText.h"

#include <QApplication>
#include <QMessageBox>

namespace glyphor::platform {

QString ApplicationTitle()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Glyphor 2") : name;
}

void ShowErrorBox(QWidget* parent, const QString& message)
{
    const QString text = QString::fromStdString(ErrorBoxText(message.toStdString()));
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace glyphor::platform
