// The program's dialogs as a title bar shows them: wide enough for the whole
// title beside the title bar's icon and buttons, and asking for no minimize
// or maximize button.

#include "controls/DialogFit.h"

#include <QAccessible>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using namespace glyphor;

namespace {

void CheckFlags(const QWidget& dialog)
{
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowTitleHint);
}

} // namespace

class DialogFitTest : public QObject {
    Q_OBJECT

private slots:
    void titleBarWidthLeavesRoomForTheIconAndButtons()
    {
        // Wider than the title alone by the room of the icon and three
        // buttons on either side of a centred title.
        const QString title = QStringLiteral("Create Directory");
        QCOMPARE(TitleBarWidth(title), TitleTextWidth(title) + kTitleBarChrome);
        QVERIFY(TitleTextWidth(QStringLiteral("Glyphor 2 - a Tarnwell utility"))
            > TitleTextWidth(QStringLiteral("Warning")));
        QFont fourteen;
        fourteen.setPixelSize(14);
        QVERIFY(TitleTextWidth(title) >= QFontMetrics(fourteen).horizontalAdvance(title));
    }

    void messageBoxesAreWideEnoughForTheirTitles_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("iconName");
        // The program's own boxes with their shortest texts.
        QTest::newRow("Information")
            << "Information"
            << "New directory created" << int(QMessageBox::Information) << "Information";
        QTest::newRow("Warning") << "Warning"
                                 << "Cannot create directory" << int(QMessageBox::Warning)
                                 << "Warning";
        QTest::newRow("stop question")
            << "Glyphor 2"
            << "Stop searching?" << int(QMessageBox::Question) << "Question";
        QTest::newRow("error box") << "Glyphor 2 - a Tarnwell utility"
                                   << "Disk full." << int(QMessageBox::Critical) << "Error";
    }

    void messageBoxesAreWideEnoughForTheirTitles()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QString, iconName);
        QPointer<QMessageBox> box
            = NewMessageBox(QMessageBox::Icon(icon), title, text, QMessageBox::Ok, nullptr);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QVERIFY2(box->width() >= TitleBarWidth(title),
            qPrintable(QString("%1 < %2").arg(box->width()).arg(TitleBarWidth(title))));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        CheckFlags(*box);
        auto* picture = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
        QVERIFY(picture);
        QCOMPARE(QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Name), iconName);
        delete box.data();
    }

    void theInputDialogIsFixedAndWideEnoughForItsTitle()
    {
        QInputDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Create Directory"));
        dialog.setLabelText(QStringLiteral("/tmp"));
        FitInputDialog(dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY2(dialog.width() >= TitleBarWidth(dialog.windowTitle()),
            qPrintable(
                QString("%1 < %2").arg(dialog.width()).arg(TitleBarWidth(dialog.windowTitle()))));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        CheckFlags(dialog);
        // Still the text input it was.
        QVERIFY(dialog.findChild<QLineEdit*>()->isVisible());
    }
};

QTEST_MAIN(DialogFitTest)
#include "DialogFitTest.moc"
