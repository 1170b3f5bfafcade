// The gradient caption bar on a form: its properties and their rules, the
// strip as it is painted (on an image, without a window), and the title-bar
// work it does for a frameless window.
#include "controls/TGradientCaption.h"
#include "util/Error.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCloseEvent>
#include <QFontInfo>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTest>

using namespace glyphor;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kActive = 0xFF0000C0; // the palette's active title-bar colour here
constexpr QRgb kInactive = 0xFF00A000;

// A fixed-size window with minimize and close, as the main window is, in a
// palette whose title-bar colours are easy to tell apart.
class Form : public QWidget {
public:
    Form()
    {
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        setFixedSize(300, 120);
        QPalette colors = palette();
        colors.setColor(QPalette::Highlight, QColor::fromRgb(kActive));
        colors.setColor(QPalette::Dark, QColor::fromRgb(kInactive));
        setPalette(colors);
    }
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closes;
        event->accept();
    }
};

// The strip painted for one state on an image of the window's size.
QImage Painted(const TGradientCaption& caption, bool active)
{
    QImage image(caption.form()->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    caption.PaintCaption(painter, active);
    return image;
}

// The colours along one row of a rectangle, run by run.
QList<QPair<int, QRgb>> Runs(const QImage& image, const QRect& rect, int y)
{
    QList<QPair<int, QRgb>> runs;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (runs.isEmpty() || runs.last().second != pixel)
            runs.append({ 0, pixel });
        ++runs.last().first;
    }
    return runs;
}

QPoint Centre(const QRect& rect)
{
    return rect.center();
}

QAccessibleInterface* face(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

} // namespace

class TGradientCaptionTest : public QObject {
    Q_OBJECT

private slots:
    void assistiveToolsFindTheDrawnButtons()
    {
        // A button named as the drawn one stands over each, takes neither
        // the focus nor the mouse, and its press does what a click does.
        Form form;
        TGradientCaption caption(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const CaptionButtons drawn = CaptionButtonRects(form.size(), caption.Frame());
        QAbstractButton* close = caption.accessibleButton(CaptionButton::Close);
        QAbstractButton* minimize = caption.accessibleButton(CaptionButton::Minimize);
        QVERIFY(close && minimize);
        QVERIFY(!caption.accessibleButton(CaptionButton::Maximize));
        QCOMPARE(close->geometry(), drawn.close);
        QCOMPARE(minimize->geometry(), drawn.minimize);
        QCOMPARE(caption.accessibleWindowMenuButton()->geometry(),
            WindowMenuButtonRect(form.size(), caption.Frame()));
        for (QAbstractButton* button : { close, minimize }) {
            QAccessibleInterface* spoken = face(button);
            QCOMPARE(spoken->role(), QAccessible::Button);
            QCOMPARE(spoken->text(QAccessible::Name),
                button == close ? QString("Close") : QString("Minimize"));
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QVERIFY(button->testAttribute(Qt::WA_TransparentForMouseEvents));
        }
        face(minimize)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(form.isMinimized());
        form.showNormal();
        face(close)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(form.closes, 1);
    }

    void cleanup() { platform::SetCaptionFontSource({}); }

    void startsWithItsDefaults()
    {
        Form form;
        TGradientCaption caption(&form);
        QCOMPARE(caption.color(), platform::ThemedColor(0));
        QCOMPARE(caption.enabled(), TGradientCaption::geAlways);
        QCOMPARE(caption.numColors(), 64);
        for (TCompanyText* piece : { static_cast<TCompanyText*>(caption.companyText()),
                 static_cast<TCompanyText*>(caption.appNameText()) }) {
            QCOMPARE(piece->caption(), QString());
            QCOMPARE(piece->fontKind(), TCompanyText::fkSystem);
            QCOMPARE(piece->font(), caption.captionFont());
            QVERIFY(piece->isVisible());
            QCOMPARE(
                piece->colorActive(), platform::ThemedColor(platform::SystemColor::CaptionText));
            QCOMPARE(piece->colorInactive(),
                platform::ThemedColor(platform::SystemColor::InactiveCaptionText));
            QVERIFY(!piece->isFontStored());
        }
    }

    void ownerMustBeAForm()
    {
        Form form;
        QWidget child(&form);
        try {
            TGradientCaption caption(&child);
            QFAIL("a child widget was taken as a form");
        } catch (const Error& error) {
            QCOMPARE(QString(error.what()), QString("Invalid class typecast"));
        }
        QCOMPARE(child.children().size(), 0);
    }

    void numColorsRule_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("1 taken") << 1 << 1;
        QTest::newRow("256 taken") << 256 << 256;
        QTest::newRow("0 ignored") << 0 << 64;
        QTest::newRow("negative ignored") << -5 << 64;
        QTest::newRow("above 256 gives 256") << 1000 << 256;
    }

    void numColorsRule()
    {
        QFETCH(int, value);
        QFETCH(int, expected);
        Form form;
        TGradientCaption caption(&form);
        caption.setNumColors(value);
        QCOMPARE(caption.numColors(), expected);
    }

    void fontKinds()
    {
        Form form;
        TGradientCaption caption(&form);
        TCompanyText* piece = caption.companyText();
        piece->setFontKind(TCompanyText::fkSystemBI);
        QVERIFY(piece->font().bold() && piece->font().italic());
        QCOMPARE(piece->font().family(), caption.captionFont().family());
        piece->setFontKind(TCompanyText::fkSystemI);
        QVERIFY(!piece->font().bold() && piece->font().italic());

        // A font of its own makes the kind custom, and the kind keeps it.
        QFont own("DejaVu Serif");
        own.setPixelSize(40);
        piece->setFont(own);
        QCOMPARE(piece->fontKind(), TCompanyText::fkCustom);
        QVERIFY(piece->isFontStored());
        piece->setFontKind(TCompanyText::fkCustom);
        QCOMPARE(piece->font().pixelSize(), 40);

        // Auto height keeps the face at the caption font's character height,
        // also for a font given later.
        piece->setFontKind(TCompanyText::fkAutoHeight);
        QCOMPARE(piece->font().family(), own.family());
        QCOMPARE(
            QFontInfo(piece->font()).pixelSize(), QFontInfo(caption.captionFont()).pixelSize());
        piece->setFont(own);
        QCOMPARE(piece->fontKind(), TCompanyText::fkAutoHeight);
        QCOMPARE(
            QFontInfo(piece->font()).pixelSize(), QFontInfo(caption.captionFont()).pixelSize());
    }

    void captionTextIsTheFormsCaption()
    {
        Form form;
        form.setWindowTitle("Before");
        TGradientCaption caption(&form);
        QCOMPARE(caption.captionText()->caption(), QString("Before"));
        caption.captionText()->setCaption("After");
        QCOMPARE(form.windowTitle(), QString("After"));
        form.setWindowTitle("Set by the form");
        QCOMPARE(caption.captionText()->caption(), QString("Set by the form"));
    }

    void paintedGradient_data()
    {
        QTest::addColumn<int>("numColors");
        QTest::addColumn<int>("enabled");
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("bands");
        QTest::addColumn<QRgb>("first");
        QTest::addColumn<QRgb>("last");
        QTest::newRow("1: one band of Color")
            << 1 << int(TGradientCaption::geAlways) << true << 1 << kRed << kRed;
        QTest::newRow("2: two halves")
            << 2 << int(TGradientCaption::geAlways) << true << 2 << kRed << kActive;
        QTest::newRow("64 bands") << 64 << int(TGradientCaption::geAlways) << true << 64 << kRed
                                  << kActive;
        QTest::newRow("inactive gradient")
            << 64 << int(TGradientCaption::geAlways) << false << 64 << kRed << kInactive;
        QTest::newRow("when active, active")
            << 64 << int(TGradientCaption::geWhenActive) << true << 64 << kRed << kActive;
        QTest::newRow("when active, inactive: plain")
            << 64 << int(TGradientCaption::geWhenActive) << false << 1 << kInactive << kInactive;
        QTest::newRow("never: plain")
            << 64 << int(TGradientCaption::geNever) << true << 1 << kActive << kActive;
    }

    void paintedGradient()
    {
        QFETCH(int, numColors);
        QFETCH(int, enabled);
        QFETCH(bool, active);
        QFETCH(int, bands);
        QFETCH(QRgb, first);
        QFETCH(QRgb, last);
        Form form;
        form.setWindowTitle(QString()); // no text over the colours
        TGradientCaption caption(&form);
        caption.setColor(kRed);
        caption.setNumColors(numColors);
        caption.setEnabled(TGradientCaption::TGradEnabled(enabled));
        const QImage image = Painted(caption, active);
        const QRect rect = caption.CaptionRect();
        QCOMPARE(rect, QRect(2, 2, 300 + 4 - 2 - 2 - 24 - 44, 23));
        for (int y : { rect.top(), rect.bottom() }) {
            const auto runs = Runs(image, rect, y);
            QCOMPARE(runs.size(), bands);
            QCOMPARE(runs.first().second, first);
            QCOMPARE(runs.last().second, last);
            int narrowest = INT_MAX, widest = 0;
            for (const auto& run : runs) {
                narrowest = std::min(narrowest, run.first);
                widest = std::max(widest, run.first);
            }
            QVERIFY2(widest - narrowest <= 1,
                qPrintable(QString("%1 to %2").arg(narrowest).arg(widest)));
        }
        // Nothing outside the rectangle.
        QCOMPARE(image.pixel(rect.left() - 1, rect.top()), 0xFFFFFFFFu);
        QCOMPARE(image.pixel(rect.right() + 1, rect.top()), 0xFFFFFFFFu);
        QCOMPARE(image.pixel(rect.left(), rect.bottom() + 1), 0xFFFFFFFFu);
    }

    void systemColourFollowsTheScheme()
    {
        Form form;
        TGradientCaption caption(&form);
        caption.setColor(platform::SystemColor::InactiveCaption);
        caption.setNumColors(1);
        const QPoint left = caption.CaptionRect().topLeft();
        QCOMPARE(Painted(caption, true).pixel(left), kInactive);
        QPalette colors = form.palette();
        colors.setColor(QPalette::Dark, QColor::fromRgb(kRed));
        form.setPalette(colors);
        QCOMPARE(Painted(caption, true).pixel(left), kRed);
    }

    void textsAreDrawnWhereTheyFit()
    {
        Form form;
        form.setWindowTitle("Caption");
        TGradientCaption caption(&form);
        caption.setNumColors(1);
        caption.setColor(kRed);
        caption.companyText()->setCaption("Company");
        caption.companyText()->setColorActive(0x00FFFF);
        caption.appNameText()->setCaption("-");
        const auto cyanPixels = [&] {
            const QRect rect = caption.CaptionRect();
            const QImage image = Painted(caption, true);
            int count = 0;
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    count += image.pixel(x, y) == 0xFF00FFFFu;
            return count;
        };
        QVERIFY(cyanPixels() > 20);
        // A narrower window drops the company text first.
        form.setFixedSize(150, form.height());
        QCOMPARE(cyanPixels(), 0);
    }

    void formBecomesFramelessAndGetsItBack()
    {
        Form form;
        form.show();
        auto* caption = new TGradientCaption(&form);
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(form.isVisible());
        QCOMPARE(form.contentsMargins(), QMargins(2, 26, 2, 2));
        QCOMPARE(form.size(), QSize(304, 148));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        delete caption;
        QVERIFY(!(form.windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(form.isVisible());
        QCOMPARE(form.contentsMargins(), QMargins());
        QCOMPARE(form.size(), QSize(300, 120));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        // Destroyed with its form, it leaves the form alone.
        auto* other = new Form;
        QPointer<TGradientCaption> owned = new TGradientCaption(other);
        delete other;
        QVERIFY(!owned);
    }

    void buttonsCloseAndMinimize()
    {
        Form form;
        TGradientCaption caption(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const CaptionButtons buttons = CaptionButtonRects(form.size(), caption.Frame());
        // Pressed and released off the button: nothing happens.
        QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, Centre(buttons.close));
        QTest::mouseMove(form.windowHandle(), QPoint(100, 60));
        QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, QPoint(100, 60));
        QCOMPARE(form.closes, 0);
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, Centre(buttons.minimize));
        QTRY_VERIFY(form.isMinimized());
        form.showNormal();
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, Centre(buttons.close));
        QCOMPARE(form.closes, 1);
        QVERIFY(!form.isVisible());
    }

    void altF4ClosesThroughTheNormalClose()
    {
        Form form;
        TGradientCaption caption(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(form.closes, 1);
    }

    void draggingTheStripMovesTheWindow()
    {
        Form form;
        TGradientCaption caption(&form);
        form.move(100, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint start = form.pos();
        // The offscreen platform cannot move a window itself, so this is the
        // move by hand, as under an X server without a window manager.
        QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, QPoint(60, 12));
        QTest::mouseMove(form.windowHandle(), QPoint(110, 42));
        QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, QPoint(60, 12));
        QCOMPARE(form.pos(), start + QPoint(50, 30));
        // Below the strip the mouse is the form's, not a move.
        QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, QPoint(60, 60));
        QTest::mouseMove(form.windowHandle(), QPoint(90, 90));
        QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, QPoint(90, 90));
        QCOMPARE(form.pos(), start + QPoint(50, 30));
    }

    // The window menu as the desktop's: Alt+Space and a click on the small
    // icon open it under the icon, a right click on the bar at the mouse;
    // the entries that do not apply to a window of a fixed size are disabled.
    void windowMenuOpens_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QPoint>("at"); // in the form, where the menu's corner is
        QTest::newRow("Alt+Space") << "keys" << QPoint(2, 26);
        QTest::newRow("click on the icon") << "icon" << QPoint(2, 26);
        QTest::newRow("right click on the bar") << "right" << QPoint(120, 10);
    }
    void windowMenuOpens()
    {
        QFETCH(QString, how);
        QFETCH(QPoint, at);
        Form form;
        TGradientCaption caption(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QMenu* menu = caption.windowMenu();
        QVERIFY(menu && !menu->isVisible());
        if (how == "keys")
            QTest::keyClick(&form, Qt::Key_Space, Qt::AltModifier);
        else if (how == "icon")
            QTest::mousePress(form.windowHandle(), Qt::LeftButton, {},
                CaptionIconRect(form.size(), caption.Frame()).center());
        else
            QTest::mousePress(form.windowHandle(), Qt::RightButton, {}, at);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), form.mapToGlobal(at));
        QStringList entries;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                entries << (action->isEnabled() ? "" : "-") + action->text();
        QCOMPARE(entries,
            QStringList(
                { "-&Restore", "&Move", "-&Size", "Mi&nimize", "-Ma&ximize", "&Close\tAlt+F4" }));
        menu->hide();
        QCOMPARE(form.closes, 0);
    }

    // Move by the keyboard: the arrows move the window by steps; Enter ends
    // the move where it is, Escape puts the window back, and a click ends it
    // without doing anything else (here, on the close button).
    void moveByTheKeyboard_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("Enter") << "enter" << QPoint(-16, 8);
        QTest::newRow("Escape") << "escape" << QPoint(0, 0);
        QTest::newRow("a click") << "click" << QPoint(-16, 8);
    }
    void moveByTheKeyboard()
    {
        QFETCH(QString, end);
        QFETCH(QPoint, moved);
        Form form;
        TGradientCaption caption(&form);
        form.move(100, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QPoint start = form.pos();
        QTest::keyClick(&form, Qt::Key_Space, Qt::AltModifier);
        QMenu* menu = caption.windowMenu();
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_M); // &Move
        QTRY_VERIFY(caption.keyboardMoving());
        QVERIFY(!menu->isVisible());
        QTest::keyClick(form.windowHandle(), Qt::Key_Left);
        QTest::keyClick(form.windowHandle(), Qt::Key_Left);
        QTest::keyClick(form.windowHandle(), Qt::Key_Down);
        QCOMPARE(form.pos(), start + QPoint(-16, 8));
        if (end == "enter") {
            QTest::keyClick(form.windowHandle(), Qt::Key_Return);
        } else if (end == "escape") {
            QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
        } else {
            const QRect close = CaptionButtonRects(form.size(), caption.Frame()).close;
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, Centre(close));
        }
        QVERIFY(!caption.keyboardMoving());
        QCOMPARE(form.pos(), start + moved);
        QCOMPARE(form.closes, 0);
        // The keys are the window's again.
        QTest::keyClick(form.windowHandle(), Qt::Key_Left);
        QCOMPARE(form.pos(), start + moved);
    }

    void windowMenuEntriesAct()
    {
        Form form;
        TGradientCaption caption(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        caption.windowMenuEntry(WindowMenuEntry::Minimize)->trigger();
        QTRY_VERIFY(form.isMinimized());
        caption.ShowWindowMenu();
        QVERIFY(caption.windowMenuEntry(WindowMenuEntry::Restore)->isEnabled());
        caption.windowMenuEntry(WindowMenuEntry::Restore)->trigger();
        QTRY_VERIFY(!form.isMinimized());
        caption.windowMenu()->hide();
        caption.windowMenuEntry(WindowMenuEntry::Close)->trigger();
        QTRY_COMPARE(form.closes, 1);
        QVERIFY(!form.isVisible());
    }

    void activationRepaintsInItsColours()
    {
        Form form;
        TGradientCaption caption(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // The room of the buttons shows the plain title-bar colour.
        const QPoint room(caption.CaptionRect().right() + 2, 10);
        QCOMPARE(form.grab().toImage().pixel(room), kActive);
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(&form, &deactivate);
        QVERIFY(!caption.IsCaptionActive());
        QCOMPARE(form.grab().toImage().pixel(room), kInactive);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form, &activate);
        QCOMPARE(form.grab().toImage().pixel(room), kActive);
    }

    void desktopChangesReachTheSystemFonts()
    {
        Form form;
        TGradientCaption caption(&form);
        caption.companyText()->setFontKind(TCompanyText::fkSystemBI);
        caption.appNameText()->setFontKind(TCompanyText::fkAutoHeight);
        QFont own("DejaVu Serif");
        own.setPixelSize(9);
        caption.captionText()->setFont(own);

        QFont desktop("DejaVu Sans Mono");
        desktop.setPixelSize(21);
        platform::SetCaptionFontSource([desktop] { return desktop; });
        // The user picks another colour scheme.
        const QPalette before = QApplication::palette();
        QPalette scheme = before;
        scheme.setColor(QPalette::Window, Qt::yellow);
        QApplication::setPalette(scheme);
        QApplication::setPalette(before);
        QCoreApplication::processEvents(); // the toolkit posts the change

        QCOMPARE(caption.captionFont().family(), desktop.family());
        const QFont company = caption.companyText()->font();
        QCOMPARE(company.family(), desktop.family());
        QCOMPARE(company.pixelSize(), 21);
        QVERIFY(company.bold() && company.italic());
        QCOMPARE(QFontInfo(caption.appNameText()->font()).pixelSize(), 21);
        QCOMPARE(caption.captionText()->font(), own);
        QCOMPARE(caption.captionText()->fontKind(), TCompanyText::fkCustom);
    }
};

QTEST_MAIN(TGradientCaptionTest)
#include "TGradientCaptionTest.moc"
