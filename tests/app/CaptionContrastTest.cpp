// The main window's title bar read under light and dark colour schemes: every
// pixel of its texts, as painted, stands out 4.5 : 1 from the gradient pixel
// under it, for the active and the inactive window.
#include "AppTestMain.h"
#include "app/TForm1.h"
#include "controls/CaptionPainter.h"
#include "controls/TGradientCaption.h"
#include "controls/TextContrast.h"

#include <QPainter>
#include <QStyle>
#include <QStyleFactory>

using namespace glyphor;

namespace {

// A dark scheme as desktops ship them: dark window and base colours, light
// text, and an accent for the selection.
QPalette DarkPalette(QColor accent, QColor dark)
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x30));
    palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x28));
    palette.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x38));
    palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4e));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x44));
    palette.setColor(QPalette::Mid, QColor(0x25, 0x25, 0x27));
    palette.setColor(QPalette::Dark, dark);
    palette.setColor(QPalette::Shadow, QColor(0x0a, 0x0a, 0x0a));
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    return palette;
}

struct Measure {
    int textPixels = 0;
    double lowest = 21.0;
    QPoint worst;
};

// Paints the strip twice, with and without its texts, and compares each
// text pixel with the gradient pixel under it. The texts are painted
// without antialiasing, so that each of their pixels is the text's colour
// rather than a blend of it with the gradient.
Measure MeasureCaption(const TGradientCaption& caption, bool active)
{
    CaptionScene scene = caption.Scene(active);
    for (CaptionPieceLook& piece : scene.pieces)
        piece.font.setStyleStrategy(QFont::NoAntialias);
    CaptionScene bare = scene;
    for (CaptionPieceLook& piece : bare.pieces)
        piece.text.clear();
    // The icon is no text; it is left out of both.
    scene.icon = bare.icon = QIcon();
    const auto paint = [&](const CaptionScene& what) {
        QImage image(what.window, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintCaption(painter, what);
        return image;
    };
    const QImage texts = paint(scene);
    const QImage gradient = paint(bare);
    Measure measure;
    const QRect strip = CaptionRect(scene.window, scene.frame);
    for (int y = strip.top(); y <= strip.bottom(); ++y) {
        for (int x = strip.left(); x <= strip.right(); ++x) {
            if (texts.pixel(x, y) == gradient.pixel(x, y))
                continue;
            ++measure.textPixels;
            const double contrast = ContrastRatio(texts.pixel(x, y), gradient.pixel(x, y));
            if (contrast < measure.lowest) {
                measure.lowest = contrast;
                measure.worst = { x, y };
            }
        }
    }
    return measure;
}

} // namespace

class CaptionContrastTest : public QObject {
    Q_OBJECT

private slots:
    void everyTextPixelReads_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("active");
        const QPalette light = QStyleFactory::create(QStringLiteral("Fusion"))->standardPalette();
        const QPalette darkBlue = DarkPalette(QColor(0x3d, 0xae, 0xe9), QColor(0x1b, 0x1e, 0x20));
        const QPalette darkGrey = DarkPalette(QColor(0x35, 0x84, 0xe4), QColor(0x50, 0x50, 0x50));
        const QPalette darkOrange = DarkPalette(QColor(0xf6, 0x8c, 0x1e), QColor(0x12, 0x12, 0x12));
        QTest::newRow("light, active") << light << true;
        QTest::newRow("light, inactive") << light << false;
        QTest::newRow("dark with a light blue accent, active") << darkBlue << true;
        QTest::newRow("dark with a light blue accent, inactive") << darkBlue << false;
        QTest::newRow("dark with a grey shade, active") << darkGrey << true;
        QTest::newRow("dark with a grey shade, inactive") << darkGrey << false;
        QTest::newRow("dark with an orange accent, active") << darkOrange << true;
        QTest::newRow("dark with an orange accent, inactive") << darkOrange << false;
    }

    void everyTextPixelReads()
    {
        QFETCH(QPalette, palette);
        QFETCH(bool, active);
        TForm1 form;
        form.setPalette(palette);
        const Measure measure = MeasureCaption(*form.GradientCaption1, active);
        // The three texts are there, a few hundred pixels of them.
        QVERIFY2(measure.textPixels > 200, qPrintable(QString::number(measure.textPixels)));
        QVERIFY2(measure.lowest >= kReadableContrast,
            qPrintable(QString("%1 : 1 at (%2, %3)")
                           .arg(measure.lowest, 0, 'f', 2)
                           .arg(measure.worst.x())
                           .arg(measure.worst.y())));
    }

    void contrastRatiosAsTheGuidelinesGiveThem_data()
    {
        QTest::addColumn<QRgb>("a");
        QTest::addColumn<QRgb>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << qRgb(0, 0, 0) << qRgb(255, 255, 255) << 21.0;
        QTest::newRow("the same colour") << qRgb(0x80, 0, 0x80) << qRgb(0x80, 0, 0x80) << 1.0;
        QTest::newRow("#777 on white, just short of 4.5")
            << qRgb(0x77, 0x77, 0x77) << qRgb(255, 255, 255) << 4.48;
        QTest::newRow("white on pure red") << qRgb(255, 255, 255) << qRgb(255, 0, 0) << 4.0;
    }

    void contrastRatiosAsTheGuidelinesGiveThem()
    {
        QFETCH(QRgb, a);
        QFETCH(QRgb, b);
        QFETCH(double, ratio);
        QVERIFY(qAbs(ContrastRatio(a, b) - ratio) < 0.01);
        QVERIFY(qAbs(ContrastRatio(b, a) - ratio) < 0.01);
    }

    void aColourOfTheProgramsOwnIsKept()
    {
        // Only the scheme's colours are replaced: a text given a colour of
        // its own keeps it, readable or not.
        TForm1 form;
        form.GradientCaption1->captionText()->setColorActive(0x00FFFF);
        const CaptionScene scene = form.GradientCaption1->Scene(true);
        QCOMPARE(scene.pieces[2].color, 0xFF00FFFFu);
    }
};

G2_APP_TEST_MAIN(CaptionContrastTest)
#include "CaptionContrastTest.moc"
