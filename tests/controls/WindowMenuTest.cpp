// The window menu of a drawn title bar without a window: which entries apply
// to which window, where a click opens it, and the move and size change by
// the keyboard that Move and Size start.
#include "controls/WindowMenu.h"

#include <QTest>

using namespace glyphor;

Q_DECLARE_METATYPE(glyphor::CaptionFrame)
Q_DECLARE_METATYPE(glyphor::KeyboardMove::Kind)
Q_DECLARE_METATYPE(glyphor::KeyboardMove::Outcome)

namespace {

CaptionFrame Frame(BorderStyle style, bool minimize, bool maximize, bool minimized = false)
{
    CaptionFrame frame;
    frame.style = style;
    frame.minimize = minimize;
    frame.maximize = maximize;
    frame.minimized = minimized;
    return frame;
}

// The entries as "Restore -Move ...", a "-" before each disabled one.
QString Entries(const CaptionFrame& frame, bool maximized)
{
    static const char* const names[kWindowMenuEntries]
        = { "Restore", "Move", "Size", "Minimize", "Maximize", "Close" };
    QStringList out;
    for (int i = 0; i < kWindowMenuEntries; ++i)
        out << (WindowMenuEntryEnabled(static_cast<WindowMenuEntry>(i), frame, maximized)
                ? QString(names[i])
                : "-" + QString(names[i]));
    return out.join(' ');
}

} // namespace

class WindowMenuTest : public QObject {
    Q_OBJECT

private slots:
    void entries_data()
    {
        QTest::addColumn<CaptionFrame>("frame");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fixed size, minimize button (the main window)") << Frame(BorderStyle::Single,
            true, false) << false << "-Restore Move -Size Minimize -Maximize Close";
        QTest::newRow("sizeable") << Frame(BorderStyle::Sizeable, true, true) << false
                                  << "-Restore Move Size Minimize Maximize Close";
        QTest::newRow("maximized") << Frame(BorderStyle::Sizeable, true, true) << true
                                   << "Restore -Move -Size Minimize -Maximize Close";
        QTest::newRow("minimized") << Frame(BorderStyle::Single, true, false, true) << false
                                   << "Restore -Move -Size -Minimize -Maximize Close";
        QTest::newRow("tool window") << Frame(BorderStyle::ToolWindow, false, false) << false
                                     << "-Restore Move -Size -Minimize -Maximize Close";
    }
    void entries()
    {
        QFETCH(CaptionFrame, frame);
        QFETCH(bool, maximized);
        QFETCH(QString, expected);
        QCOMPARE(Entries(frame, maximized), expected);
    }

    // The small icon stands 2 pixels into the strip and is centred in its
    // height; a click on it or its margins opens the menu.
    void whereAClickOpensTheMenu()
    {
        const CaptionFrame main = Frame(BorderStyle::Single, true, false);
        QCOMPARE(CaptionIconRect(QSize(437, 416), main), QRect(4, 5, 16, 16));
        QCOMPARE(WindowMenuButtonRect(QSize(437, 416), main), QRect(2, 2, 19, 23));
        CaptionFrame oldStyle = main;
        oldStyle.newStyle = false;
        QCOMPARE(CaptionIconRect(QSize(300, 200), oldStyle), QRect());
        QCOMPARE(WindowMenuButtonRect(QSize(300, 200), oldStyle), QRect(2, 2, 22, 23));
        const CaptionFrame tool = Frame(BorderStyle::ToolWindow, false, false);
        QCOMPARE(WindowMenuButtonRect(QSize(200, 100), tool), QRect());
        CaptionFrame noMenu = main;
        noMenu.systemMenu = false;
        QCOMPARE(WindowMenuButtonRect(QSize(437, 416), noMenu), QRect());
    }

    void keyboardMove_data()
    {
        QTest::addColumn<KeyboardMove::Kind>("kind");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<KeyboardMove::Outcome>("last");
        QTest::addColumn<QRect>("geometry");
        using Kind = KeyboardMove::Kind;
        using Outcome = KeyboardMove::Outcome;
        QTest::newRow("arrows move by steps")
            << Kind::Move << QList<int> { Qt::Key_Left, Qt::Key_Left, Qt::Key_Down }
            << Outcome::Changed << QRect(84, 108, 50, 40);
        QTest::newRow("Enter ends where it is")
            << Kind::Move << QList<int> { Qt::Key_Right, Qt::Key_Return } << Outcome::Ended
            << QRect(108, 100, 50, 40);
        QTest::newRow("Escape puts it back")
            << Kind::Move << QList<int> { Qt::Key_Right, Qt::Key_Up, Qt::Key_Escape }
            << Outcome::Cancelled << QRect(100, 100, 50, 40);
        QTest::newRow("other keys do nothing") << Kind::Move << QList<int> { Qt::Key_A }
                                               << Outcome::Ignored << QRect(100, 100, 50, 40);
        QTest::newRow("size grows to the largest")
            << Kind::Size << QList<int> { Qt::Key_Right, Qt::Key_Right, Qt::Key_Down }
            << Outcome::Changed << QRect(100, 100, 60, 48);
        QTest::newRow("size stops at the smallest")
            << Kind::Size << QList<int> { Qt::Key_Up, Qt::Key_Up, Qt::Key_Up } << Outcome::Ignored
            << QRect(100, 100, 50, 30);
    }
    void keyboardMove()
    {
        QFETCH(KeyboardMove::Kind, kind);
        QFETCH(QList<int>, keys);
        QFETCH(KeyboardMove::Outcome, last);
        QFETCH(QRect, geometry);
        KeyboardMove move(kind, QRect(100, 100, 50, 40), QSize(30, 30), QSize(60, 60));
        KeyboardMove::Outcome outcome = KeyboardMove::Outcome::Ignored;
        for (int key : keys)
            outcome = move.key(key);
        QCOMPARE(outcome, last);
        QCOMPARE(move.geometry(), geometry);
        QCOMPARE(move.start(), QRect(100, 100, 50, 40));
    }
};

QTEST_MAIN(WindowMenuTest)
#include "WindowMenuTest.moc"
