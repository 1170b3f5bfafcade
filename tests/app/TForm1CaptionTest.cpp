// The main window's title bar: its stored look, its place above the menu bar,
// its buttons, Alt+F4 and the window menu closing through the window's
// normal close, and the window menu's move by the keyboard.
#include "AppTestMain.h"
#include "app/TForm1.h"
#include "controls/TGradientCaption.h"
#include "controls/TextContrast.h"
#include "platform/SettingsStore.h"

#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

using namespace glyphor;

class TForm1CaptionTest : public QObject {
    Q_OBJECT

private slots:
    void storedLook()
    {
        TForm1 form;
        TGradientCaption* caption = form.GradientCaption1;
        QCOMPARE(caption->color(), platform::ThemedColor(0x800080));
        QCOMPARE(caption->enabled(), TGradientCaption::geAlways);
        QCOMPARE(caption->numColors(), 64);
        QCOMPARE(caption->companyText()->caption(), QString("Tarnwell Developments"));
        QCOMPARE(caption->companyText()->fontKind(), TCompanyText::fkSystemBI);
        QCOMPARE(caption->appNameText()->caption(), QString("-"));
        QCOMPARE(caption->appNameText()->fontKind(), TCompanyText::fkSystemB);
        QCOMPARE(caption->captionText()->caption(), QString("Glyphor 2"));
        QCOMPARE(caption->captionText()->fontKind(), TCompanyText::fkSystem);
        QVERIFY(caption->companyText()->font().bold() && caption->companyText()->font().italic());
        QVERIFY(!caption->captionText()->font().bold());
    }

    void stripAboveTheMenuBar()
    {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        // A 2-pixel frame, the 24-pixel title bar, then the window as it was.
        const int menu = form.menuBar()->height();
        QCOMPARE(form.menuBar()->geometry(), QRect(2, 26, kClientWidth, menu));
        QCOMPARE(form.centralWidget()->geometry().topLeft(), QPoint(2, 26 + menu));
        QCOMPARE(form.Label1->geometry(),
            QRect(2, 26 + menu + kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight));
        QCOMPARE(form.size(), QSize(kClientWidth + 4, menu + kClientHeight + 28));

        // Purple to the active title-bar colour in 64 bands, on the strip's
        // first row, above the icon and texts.
        const QImage image = form.grab().toImage();
        const QRect strip = form.GradientCaption1->CaptionRect();
        QList<QRgb> colours;
        for (int x = strip.left(); x <= strip.right(); ++x)
            if (colours.isEmpty() || colours.last() != image.pixel(x, strip.top()))
                colours << image.pixel(x, strip.top());
        QCOMPARE(colours.size(), 64);
        QCOMPARE(colours.first(), qRgb(0x80, 0x00, 0x80));
        // It ends in the title-bar colour, darkened as far as the texts need
        // to stand out in white (the light scheme's blue is too light for
        // "Glyphor 2" near the end).
        const QRgb highlight = form.palette().color(QPalette::Highlight).rgb();
        bool darkenedHighlight = false;
        for (int tenths = 0; tenths <= 10; ++tenths)
            darkenedHighlight
                = darkenedHighlight || colours.last() == Darkened(highlight, tenths / 10.0);
        QVERIFY(darkenedHighlight);
    }

    void closingStoresTheCount_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("count");
        QTest::newRow("close button") << "button" << 1234;
        QTest::newRow("Alt+F4") << "keys" << 4321;
        QTest::newRow("window menu") << "menu" << 2143;
    }

    void closingStoresTheCount()
    {
        QFETCH(QString, how);
        QFETCH(int, count);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.ExtractedCount = count;
        if (how == "button") {
            const QRect close
                = CaptionButtonRects(form.size(), form.GradientCaption1->Frame()).close;
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, close.center());
        } else if (how == "keys") {
            QTest::keyClick(form.windowHandle(), Qt::Key_F4, Qt::AltModifier);
        } else {
            QTest::keyClick(form.windowHandle(), Qt::Key_Space, Qt::AltModifier);
            QMenu* menu = form.GradientCaption1->windowMenu();
            QTRY_VERIFY(menu->isVisible());
            QTest::keyClick(menu, Qt::Key_C); // &Close
        }
        QTRY_VERIFY(!form.isVisible());
        QCOMPARE(platform::SettingsStore().loadCount(), count);
    }

    // Alt+Space opens the window menu under the icon; the main window keeps
    // its size, so Size and Maximize do not apply, and Move moves it by the
    // keyboard.
    void windowMenuMovesTheWindowByTheKeyboard()
    {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.move(200, 150);
        const QPoint start = form.pos();
        TGradientCaption* caption = form.GradientCaption1;
        QTest::keyClick(form.windowHandle(), Qt::Key_Space, Qt::AltModifier);
        QMenu* menu = caption->windowMenu();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), form.mapToGlobal(QPoint(2, 26)));
        for (const auto& [entry, enabled] :
            { std::pair { WindowMenuEntry::Restore, false }, { WindowMenuEntry::Move, true },
                { WindowMenuEntry::Size, false }, { WindowMenuEntry::Minimize, true },
                { WindowMenuEntry::Maximize, false }, { WindowMenuEntry::Close, true } })
            QCOMPARE(caption->windowMenuEntry(entry)->isEnabled(), enabled);
        QTest::keyClick(menu, Qt::Key_M);
        QTRY_VERIFY(caption->keyboardMoving());
        for (Qt::Key key : { Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Up })
            QTest::keyClick(form.windowHandle(), key);
        QTest::keyClick(form.windowHandle(), Qt::Key_Return);
        QVERIFY(!caption->keyboardMoving());
        QCOMPARE(form.pos(), start + QPoint(3 * kKeyboardMoveStep, -kKeyboardMoveStep));
        QVERIFY(form.isVisible());
    }

    void minimizeButton()
    {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect minimize
            = CaptionButtonRects(form.size(), form.GradientCaption1->Frame()).minimize;
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, minimize.center());
        QTRY_VERIFY(form.isMinimized());
    }
};

G2_APP_TEST_MAIN(TForm1CaptionTest)

#include "TForm1CaptionTest.moc"
