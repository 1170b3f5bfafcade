// The arithmetic of the drawn title bar: the caption rectangle and buttons of
// each kind of frame, the rounding of MulDiv, the gradient bands and the
// placing and dropping of the three texts.
#include "controls/CaptionGeometry.h"

#include <QTest>

#include <climits>

using namespace glyphor;

Q_DECLARE_METATYPE(glyphor::CaptionFrame)

namespace {

CaptionFrame Frame(
    BorderStyle style, bool minimize = false, bool maximize = false, bool help = false)
{
    CaptionFrame frame;
    frame.style = style;
    frame.minimize = minimize;
    frame.maximize = maximize;
    frame.help = help;
    return frame;
}

} // namespace

class CaptionGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void captionRect_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<CaptionFrame>("frame");
        QTest::addColumn<QRect>("expected");
        // Inside the 2-pixel frame, 23 high, short of the close button's 24
        // and the minimize/maximize pair's 44.
        QTest::newRow("main window")
            << QSize(437, 416) << Frame(BorderStyle::Single, true) << QRect(2, 2, 365, 23);
        QTest::newRow("sizeable, min and max")
            << QSize(300, 200) << Frame(BorderStyle::Sizeable, true, true) << QRect(4, 4, 224, 23);
        QTest::newRow("dialog keeps room for help only")
            << QSize(300, 200) << Frame(BorderStyle::Dialog, true, true, true)
            << QRect(2, 2, 248, 23);
        // The small title bar and one small button's room (16 + 2).
        QTest::newRow("tool window")
            << QSize(200, 100) << Frame(BorderStyle::ToolWindow, true) << QRect(2, 2, 178, 17);
        QTest::newRow("sizeable tool window")
            << QSize(200, 100) << Frame(BorderStyle::SizeToolWin) << QRect(4, 4, 174, 17);
        CaptionFrame minimized = Frame(BorderStyle::Sizeable, true, true);
        minimized.minimized = true;
        QTest::newRow("minimized: thin frame")
            << QSize(300, 200) << minimized << QRect(2, 2, 228, 23);
        CaptionFrame oldStyle = Frame(BorderStyle::Single, true);
        oldStyle.newStyle = false;
        QTest::newRow("old style: menu box at the left")
            << QSize(300, 200) << oldStyle << QRect(24, 2, 230, 23);
        QTest::newRow("too narrow: 2 pixels")
            << QSize(50, 100) << Frame(BorderStyle::Single, true) << QRect(2, 2, 2, 23);
        QTest::newRow("no border") << QSize(300, 200) << Frame(BorderStyle::None) << QRect();
    }

    void captionRect()
    {
        QFETCH(QSize, window);
        QFETCH(CaptionFrame, frame);
        QFETCH(QRect, expected);
        QCOMPARE(CaptionRect(window, frame), expected);
    }

    void buttons()
    {
        // The main window: close at the right, minimize next to it.
        const CaptionButtons main
            = CaptionButtonRects(QSize(437, 416), Frame(BorderStyle::Single, true));
        QCOMPARE(main.close, QRect(413, 4, 20, 19));
        QCOMPARE(main.minimize, QRect(391, 4, 20, 19));
        QVERIFY(main.maximize.isEmpty() && main.help.isEmpty());
        // With a maximize button, minimize moves one room further left.
        const CaptionButtons both
            = CaptionButtonRects(QSize(437, 416), Frame(BorderStyle::Sizeable, true, true));
        QCOMPARE(both.maximize, QRect(389, 6, 20, 19));
        QCOMPARE(both.minimize, QRect(369, 6, 20, 19));
        // A tool window: one small close button.
        const CaptionButtons tool
            = CaptionButtonRects(QSize(200, 100), Frame(BorderStyle::ToolWindow, true));
        QCOMPARE(tool.close, QRect(182, 4, 14, 13));
        QVERIFY(tool.minimize.isEmpty());
        QCOMPARE(NonClientMargins(Frame(BorderStyle::Single)), QMargins(2, 26, 2, 2));
        QCOMPARE(NonClientMargins(Frame(BorderStyle::None)), QMargins());
    }

    void mulDiv_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("numerator");
        QTest::addColumn<int>("denominator");
        QTest::addColumn<int>("expected");
        QTest::newRow("half rounds up") << 1 << 1 << 2 << 1;
        QTest::newRow("negative half rounds down") << -1 << 1 << 2 << -1;
        QTest::newRow("below half") << 1 << 1 << 3 << 0;
        QTest::newRow("negative divisor") << 5 << 3 << -2 << -8;
        QTest::newRow("64-bit product") << 100000 << 100000 << 100000 << 100000;
        QTest::newRow("zero divisor") << 2 << 3 << 0 << -1;
        QTest::newRow("result beyond 32 bits") << INT_MAX << INT_MAX << 1 << -1;
    }

    void mulDiv()
    {
        QFETCH(int, number);
        QFETCH(int, numerator);
        QFETCH(int, denominator);
        QFETCH(int, expected);
        QCOMPARE(MulDiv(number, numerator, denominator), expected);
    }

    void gradientBands_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        // One, two and 64 bands are checked where they are painted.
        QTest::newRow("two halves") << 365 << 2;
        QTest::newRow("more bands than pixels") << 40 << 256;
        QTest::newRow("no band asked for gives one") << 40 << 0;
    }

    void gradientBands()
    {
        QFETCH(int, width);
        QFETCH(int, count);
        const QRgb from = qRgb(0x80, 0x00, 0x80);
        const QRgb to = qRgb(0x30, 0x8C, 0xC6);
        const auto bands = GradientBands(10, 10 + width, from, to, count);
        QCOMPARE(int(bands.size()), std::max(count, 1));
        QCOMPARE(bands.front().color, from);
        QCOMPARE(bands.back().color, count > 1 ? to : from);
        QCOMPARE(bands.front().left, 10);
        QCOMPARE(bands.back().right, 10 + width);
        int narrowest = INT_MAX;
        int widest = 0;
        for (std::size_t i = 0; i < bands.size(); ++i) {
            if (i > 0)
                QCOMPARE(bands[i].left, bands[i - 1].right);
            narrowest = std::min(narrowest, bands[i].right - bands[i].left);
            widest = std::max(widest, bands[i].right - bands[i].left);
        }
        QVERIFY(widest - narrowest <= 1);
        if (count == 2)
            QCOMPARE(bands[0].right, 10 + 183); // 182.5 rounds up
    }

    void gradientChannelsRoundToNearest()
    {
        // 0 to 255 in 4 bands: 0, 85, 170, 255; 255 to 0 the other way.
        const auto up = GradientBands(0, 4, qRgb(0, 255, 10), qRgb(255, 0, 11), 4);
        const QRgb expected[]
            = { qRgb(0, 255, 10), qRgb(85, 170, 10), qRgb(170, 85, 11), qRgb(255, 0, 11) };
        for (int i = 0; i < 4; ++i)
            QCOMPARE(up[i].color, expected[i]);
    }

    void textLayout_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<QList<int>>("widths"); // company, app name, caption; -1: invisible
        QTest::addColumn<bool>("newStyle");
        QTest::addColumn<QList<int>>("lefts"); // where each is drawn, -1: not drawn
        // Widths with their steps: 43 + 13 + 33 = 89, 13 + 33 = 46.
        QTest::newRow("all three fit")
            << 100 << QList<int> { 40, 10, 30 } << true << QList<int> { 3, 46, 59 };
        QTest::newRow("exact fit is no fit")
            << 89 << QList<int> { 40, 10, 30 } << true << QList<int> { -1, 3, 16 };
        QTest::newRow("company dropped")
            << 60 << QList<int> { 40, 10, 30 } << true << QList<int> { -1, 3, 16 };
        QTest::newRow("caption only")
            << 46 << QList<int> { 40, 10, 30 } << true << QList<int> { -1, -1, 3 };
        QTest::newRow("caption cut")
            << 20 << QList<int> { 40, 10, 30 } << true << QList<int> { -1, -1, 3 };
        // An empty application name is not drawn but counts its 3 pixels:
        // 43 + 3 + 33 = 79 does not fit in 79.
        QTest::newRow("empty piece counts 3")
            << 79 << QList<int> { 40, 0, 30 } << true << QList<int> { -1, -1, 3 };
        QTest::newRow("empty piece, room")
            << 80 << QList<int> { 40, 0, 30 } << true << QList<int> { 3, -1, 46 };
        QTest::newRow("invisible piece counts nothing")
            << 47 << QList<int> { -1, 10, 30 } << true << QList<int> { -1, 3, 16 };
        QTest::newRow("old style centres")
            << 100 << QList<int> { 40, 10, 30 } << false << QList<int> { 8, 51, 64 };
    }

    void textLayout()
    {
        QFETCH(int, right);
        QFETCH(QList<int>, widths);
        QFETCH(bool, newStyle);
        QFETCH(QList<int>, lefts);
        std::array<CaptionPieceSize, kCaptionPieces> sizes;
        for (int i = 0; i < kCaptionPieces; ++i)
            sizes[i] = { std::max(widths[i], 0), widths[i] >= 0, widths[i] == 0 };
        const CaptionTextLayout layout = LayOutCaptionTexts(0, right, sizes, newStyle);
        QCOMPARE(layout.right, right);
        QList<int> got;
        for (const CaptionTextPlace& place : layout.pieces)
            got << (place.drawn ? place.left : -1);
        QCOMPARE(got, lefts);
    }
};

QTEST_MAIN(CaptionGeometryTest)
#include "CaptionGeometryTest.moc"
