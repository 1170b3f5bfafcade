#include "controls/DialogFit.h"

#include "platform/CaptionMetrics.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QSpacerItem>

#include <algorithm>

namespace glyphor {

namespace {

// The pixel size of the title font of the toolkit's own title bars.
constexpr int kToolkitTitlePixels = 14;

QString IconName(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Information:
        return QStringLiteral("Information");
    case QMessageBox::Warning:
        return QStringLiteral("Warning");
    case QMessageBox::Critical:
        return QStringLiteral("Error");
    case QMessageBox::Question:
        return QStringLiteral("Question");
    case QMessageBox::NoIcon:
        break;
    }
    return QString();
}

// Fits a text input dialog as it is shown: the dialog keeps the size its
// layout asks for, and the text field, which spans the dialog, asks for the
// title's width.
class InputDialogFitter : public QObject {
public:
    explicit InputDialogFitter(QInputDialog* dialog)
        : QObject(dialog)
        , m_dialog(dialog)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            QLayout* layout = m_dialog->layout();
            auto* edit = m_dialog->findChild<QLineEdit*>();
            if (layout && edit) {
                const QMargins margins = layout->contentsMargins();
                edit->setMinimumWidth(
                    TitleBarWidth(m_dialog->windowTitle()) - margins.left() - margins.right());
                layout->setSizeConstraint(QLayout::SetFixedSize);
                layout->activate();
            }
        }
        return false;
    }

private:
    QInputDialog* m_dialog;
};

} // namespace

int TitleTextWidth(const QString& title)
{
    QFont toolkit;
    toolkit.setPixelSize(kToolkitTitlePixels);
    return std::max(QFontMetrics(platform::SystemCaptionFont()).horizontalAdvance(title),
        QFontMetrics(toolkit).horizontalAdvance(title));
}

int TitleBarWidth(const QString& title)
{
    return TitleTextWidth(title) + kTitleBarChrome;
}

QMessageBox* NewMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons, QWidget* parent)
{
    auto* box = new QMessageBox(icon, title, text, buttons, parent, kFixedDialogFlags);
    // The box works out its own fixed size from its layout when it is shown;
    // a row of the title's width across the layout makes it that wide.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const QMargins margins = grid->contentsMargins();
        grid->addItem(new QSpacerItem(TitleBarWidth(title) - margins.left() - margins.right(), 0,
                          QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (auto* picture = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label")))
        picture->setAccessibleName(IconName(icon));
    return box;
}

void ShowMessageBox(
    QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent)
{
    QPointer<QMessageBox> box = NewMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->exec();
    delete box.data();
}

void FitInputDialog(QInputDialog& dialog)
{
    dialog.setWindowFlags(kFixedDialogFlags);
    // The dialog lays itself out as it is shown, and so is fitted then.
    dialog.installEventFilter(new InputDialogFitter(&dialog));
}

} // namespace glyphor
