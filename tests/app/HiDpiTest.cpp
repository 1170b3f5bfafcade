// The program's pictures on a screen of scale 2 (the test runs with
// QT_SCALE_FACTOR=2): every icon and bitmap, which are pixel art, is drawn in
// squares of 2 x 2 device pixels of its own colours, never smoothed, and the
// help window opens within its screen.
#include "AppTestMain.h"
#include "browse/Glyphs.h"
#include "browse/TDirectoryListBox.h"
#include "controls/TIconComboBox.h"
#include "help/HelpWindow.h"
#include "kit/FakeIconProvider.h"
#include "viewer/ViewerItemDelegate.h"

#include <QFile>
#include <QListView>
#include <QScreen>
#include <QStandardItemModel>
#include <QTemporaryDir>

using namespace glyphor;

namespace {

// Where picture shows in shot enlarged by factor, each of its pixels a
// square of factor x factor device pixels of exactly its colour (its
// transparent pixels may show anything); nothing when it shows nowhere.
std::optional<QPoint> FindEnlarged(const QImage& shot, const QImage& picture, int factor)
{
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    const QImage art = picture.convertToFormat(QImage::Format_ARGB32);
    const int width = art.width() * factor;
    const int height = art.height() * factor;
    for (int top = 0; top + height <= image.height(); ++top) {
        for (int left = 0; left + width <= image.width(); ++left) {
            bool same = true;
            for (int y = 0; y < height && same; ++y) {
                for (int x = 0; x < width && same; ++x) {
                    const QRgb want = art.pixel(x / factor, y / factor);
                    same = qAlpha(want) == 0
                        || image.pixel(left + x, top + y) == (want | 0xFF000000u);
                }
            }
            if (same)
                return QPoint(left, top);
        }
    }
    return std::nullopt;
}

QImage Shot(QWidget& widget)
{
    const QPixmap grabbed = widget.grab();
    // The grab is in device pixels: twice the widget's size at scale 2.
    [&] { QCOMPARE(grabbed.devicePixelRatio(), 2.0); }();
    return grabbed.toImage();
}

} // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

private slots:
    void thePickerDrawsItsIconInSquares()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("a.exe");
        QFile(file).open(QIODevice::WriteOnly);
        auto source = std::make_shared<kit::FakeIconProvider>();
        source->setEveryFile({ kit::MakeIcon(3) });
        TIconComboBox box(nullptr, source);
        box.resize(61, 44);
        box.setFileName(file);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QImage picture = box.ItemIcon(0)->toImage();
        const auto at = FindEnlarged(Shot(box), picture, 2);
        QVERIFY2(at, "no 64 x 64 picture of 2 x 2 squares in the picker");
    }

    void theViewerDrawsItsIconsInSquaresOnALightBackdrop()
    {
        QStandardItemModel model;
        const QPixmap picture = IconPixmap(kit::MakeIcon(5));
        auto* item = new QStandardItem(QIcon(), QStringLiteral("Icon0001.ico"));
        item->setData(picture, Qt::DecorationRole);
        model.appendRow(item);
        QListView view;
        view.setViewMode(QListView::IconMode);
        view.setIconSize(QSize(32, 32));
        view.setGridSize(QSize(90, 60));
        view.setModel(&model);
        view.setItemDelegate(new ViewerItemDelegate(&view));
        // A dark scheme: the backdrop stays light.
        QPalette dark = view.palette();
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
        dark.setColor(QPalette::Text, Qt::white);
        view.setPalette(dark);
        view.resize(200, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage shot = Shot(*view.viewport());
        const auto at = FindEnlarged(shot, picture.toImage(), 2);
        QVERIFY2(at, "no 64 x 64 picture of 2 x 2 squares in the viewer");
        // Just outside the picture, the backdrop.
        QCOMPARE(shot.pixel(at->x() - 1, at->y() - 1), kIconBackdrop);
        QCOMPARE(shot.pixel(at->x() + 64, at->y() + 64), kIconBackdrop);
    }

    void theFolderListDrawsItsBitmapsInSquares()
    {
        QTemporaryDir dir;
        TDirectoryListBox list;
        list.setDirectory(dir.path());
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage shot = Shot(*list.viewport());
        QVERIFY(FindEnlarged(shot, GlyphImage(Glyph::OpenFolder), 2));
        QVERIFY(FindEnlarged(shot, GlyphImage(Glyph::CurrentFolder), 2));
    }

    void theHelpWindowOpensWithinItsScreen()
    {
        help::HelpWindow window(QStringLiteral("/nonexistent/Glyphr.hlp"));
        window.showHelp({ help::HelpCommand::Finder, 0 });
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect room = window.screen()->availableGeometry();
        QVERIFY2(window.width() <= room.width() && window.height() <= room.height(),
            qPrintable(QString("%1 x %2 on a screen of %3 x %4")
                           .arg(window.width())
                           .arg(window.height())
                           .arg(room.width())
                           .arg(room.height())));
    }
};

G2_APP_TEST_MAIN(HiDpiTest)
#include "HiDpiTest.moc"
