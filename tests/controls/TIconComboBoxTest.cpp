#include "controls/TIconComboBox.h"

#include "kit/FakeIconProvider.h"
#include "kit/NativeFiles.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace glyphor;

namespace {

using kit::FakeIconProvider;

// A source for which every file holds `icons` icons, each a 32 x 32 square of
// pure red; it counts how often it is asked.
std::shared_ptr<FakeIconProvider> Source(int icons = 3)
{
    auto source = std::make_shared<FakeIconProvider>();
    source->setEveryFile(QVector<IconImage>(icons, kit::SolidIcon(0xFFFF0000u)));
    return source;
}

QString MakeFile(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("MZ");
    return path;
}

// The first line of the list as the box draws it on a black picture of its size.
QImage DrawnLine(TIconComboBox& box, bool selected)
{
    QImage image(61, 38, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    box.drawItem(&painter, image.rect(), 0, selected, false);
    return image;
}

QStringList ItemTexts(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

} // namespace

class TIconComboBoxTest : public QObject {
    Q_OBJECT

private slots:
    void screenReadersHearIconNOfM()
    {
        // The items' texts stay the icon indexes that extraction takes; a
        // screen reader hears them counted from 1, and the picker by its
        // name.
        QTemporaryDir dir;
        TIconComboBox box(nullptr, Source(3));
        box.setAccessibleName("Icon picker");
        box.setFileName(MakeFile(dir, "a.exe"));
        QCOMPARE(ItemTexts(box), QStringList({ "0", "1", "2" }));
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&box);
        QCOMPARE(face->role(), QAccessible::ComboBox);
        QCOMPARE(face->text(QAccessible::Name), QString("Icon picker"));
        QCOMPARE(face->text(QAccessible::Value), QString("Icon 1 of 3"));
        box.setCurrentIndex(2);
        QCOMPARE(face->text(QAccessible::Value), QString("Icon 3 of 3"));
        QAccessibleInterface* list = face->child(0);
        QStringList heard;
        for (int i = 0; i < list->childCount(); ++i)
            heard << list->child(i)->text(QAccessible::Name);
        QCOMPARE(heard, QStringList({ "Icon 1 of 3", "Icon 2 of 3", "Icon 3 of 3" }));
    }

    void init() { QVERIFY(m_dir.isValid()); }

    void newControlIsDisabledAndEmpty()
    {
        auto source = Source();
        TIconComboBox box(nullptr, source);
        QVERIFY(!box.isEnabled());
        QCOMPARE(box.numberOfIcons(), -1);
        QCOMPARE(box.count(), 0);
        QCOMPARE(box.currentIndex(), -1);
        QVERIFY(box.autoDisable());
        QVERIFY(box.enableCaching());
        QCOMPARE(box.maxVisibleItems(), 5);
        QCOMPARE(
            box.size(), QSize(32 + box.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 10, 38));
    }

    void fileWithThreeIconsListsThemWithoutExtracting()
    {
        auto source = Source();
        FakeIconProvider& fake = *source;
        TIconComboBox box(nullptr, source);
        QSignalSpy changes(&box, &TIconComboBox::fileChange);
        box.setFileName(MakeFile(m_dir, "three.exe"));

        QCOMPARE(ItemTexts(box), QStringList({ "0", "1", "2" }));
        QCOMPARE(box.currentIndex(), 0);
        QCOMPARE(box.numberOfIcons(), 3);
        QVERIFY(box.isEnabled());
        QCOMPARE(changes.count(), 1);
        // With caching on, building the list costs one count query and no icon.
        QCOMPARE(fake.counts, 1);
        QCOMPARE(fake.extractions, 0);
    }

    void sameFileNameAgainChangesNothing()
    {
        auto source = Source();
        FakeIconProvider& fake = *source;
        TIconComboBox box(nullptr, source);
        const QString path = MakeFile(m_dir, "three.exe");
        box.setFileName(path);
        box.setCurrentIndex(2);
        QSignalSpy changes(&box, &TIconComboBox::fileChange);
        box.setFileName(path);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(box.currentIndex(), 2);
        QCOMPARE(fake.counts, 1);
    }

    void noFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing") << m_dir.filePath("missing.exe");
        QTest::newRow("folder") << m_dir.path();
        // A real file, but named by more than 255 characters.
        QString deep = m_dir.path();
        while (deep.size() <= kMaxIconFileName)
            deep += "/" + QString(40, 'd');
        QDir().mkpath(deep);
        const QString longName = MakeFile(m_dir, deep.mid(m_dir.path().size() + 1) + "/x.exe");
        QVERIFY(QFile::exists(longName));
        QTest::newRow("longer than 255") << longName;
    }

    void noFile()
    {
        QFETCH(QString, name);
        auto source = Source();
        FakeIconProvider& fake = *source;
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "three.exe"));
        box.ItemIcon(0);
        QSignalSpy changes(&box, &TIconComboBox::fileChange);
        box.setFileName(name);

        QCOMPARE(box.count(), 0);
        QCOMPARE(box.currentIndex(), -1);
        QCOMPARE(box.numberOfIcons(), -1);
        QVERIFY(!box.isEnabled());
        QCOMPARE(box.heldIcons(), 0);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(fake.counts, 1);
    }

    void autoDisableOffEnablesWithoutFile()
    {
        auto source = Source();
        TIconComboBox box(nullptr, source);
        box.setAutoDisable(false);
        QVERIFY(box.isEnabled());
        box.setFileName(m_dir.filePath("missing.exe"));
        QVERIFY(box.isEnabled());
        box.setAutoDisable(true);
        QVERIFY(!box.isEnabled());
    }

    void fileWithoutIconsIsEnabledAndEmpty()
    {
        auto source = Source(0);
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "plain.dll"));
        QVERIFY(box.isEnabled());
        QCOMPARE(box.count(), 0);
        QCOMPARE(box.currentIndex(), -1);
        QCOMPARE(box.numberOfIcons(), 0);
    }

    void cachingExtractsEachIconOnceAndReloadReleases()
    {
        auto source = Source();
        FakeIconProvider& fake = *source;
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "a.exe"));
        QVERIFY(box.ItemIcon(1).has_value());
        QVERIFY(box.ItemIcon(1).has_value());
        QCOMPARE(fake.extractions, 1);
        QCOMPARE(box.heldIcons(), 1);
        QVERIFY(!box.ItemIcon(3).has_value());

        box.setFileName(MakeFile(m_dir, "b.exe"));
        QCOMPARE(box.heldIcons(), 0);
        box.ItemIcon(1);
        QCOMPARE(fake.extractions, 2);
    }

    void cachingOffExtractsAllAndOnAgainKeepsThem()
    {
        auto source = Source();
        FakeIconProvider& fake = *source;
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "a.exe"));
        box.setEnableCaching(false);
        QCOMPARE(fake.extractions, 3);
        QCOMPARE(box.heldIcons(), 3);
        QCOMPARE(box.currentIndex(), 0);

        box.setEnableCaching(true);
        QCOMPARE(box.heldIcons(), 3);
        for (int i = 0; i < 3; ++i)
            box.ItemIcon(i);
        QCOMPARE(fake.extractions, 3);
    }

    void centeredIconRect_data()
    {
        QTest::addColumn<QRect>("item");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("picker line") << QRect(0, 0, 61, 38) << QPoint(14, 3);
        QTest::newRow("offset line") << QRect(5, 38, 58, 38) << QPoint(18, 41);
        // Narrower than the icon: -3 / 2 truncates to -1, not down to -2.
        QTest::newRow("narrow") << QRect(10, 10, 29, 30) << QPoint(9, 9);
    }

    void centeredIconRect()
    {
        QFETCH(QRect, item);
        QFETCH(QPoint, topLeft);
        QCOMPARE(CenteredIconRect(item, QSize(32, 32)), QRect(topLeft, QSize(32, 32)));
    }

    void drawsIconCentredOnTheFill()
    {
        auto source = Source();
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "a.exe"));
        const QImage image = DrawnLine(box, false);
        const QColor fill = box.palette().color(QPalette::Base);
        QCOMPARE(image.pixelColor(13, 3), fill);
        QCOMPARE(image.pixelColor(14, 3), QColor(Qt::red));
        QCOMPARE(image.pixelColor(45, 34), QColor(Qt::red));
        QCOMPARE(image.pixelColor(46, 34), fill);
        QCOMPARE(image.pixelColor(14, 35), fill);
    }

    void drawingFailureIsSwallowed()
    {
        auto source = Source();
        FakeIconProvider& fake = *source;
        fake.failing = true;
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "a.exe"));
        const QImage image = DrawnLine(box, true);
        // The line is filled with the selection colour and shows nothing else.
        QCOMPARE(image.pixelColor(30, 19), box.palette().color(QPalette::Highlight));
        // The closed control draws the same way.
        box.resize(61, 44);
        QVERIFY(!box.grab().isNull());
        QVERIFY(fake.extractions >= 1);
    }

    void dropDownShowsLinesOfFixedHeight()
    {
        auto source = Source(8);
        TIconComboBox box(nullptr, source);
        box.setFileName(MakeFile(m_dir, "eight.exe"));
        box.show();
        box.showPopup();
        QVERIFY(box.view()->isVisible());
        QCOMPARE(box.view()->sizeHintForRow(0), TIconComboBox::itemHeight());
        QCOMPARE(box.view()->visualRect(box.model()->index(1, 0)).height(), 38);
        // Five lines show; the rest scroll.
        QCOMPARE(box.view()->viewport()->height(), 5 * 38);
        box.hidePopup();
    }

    void realExecutableGivesItsIconsAt32()
    {
        const QString path = kit::CorpusFile("public/libwine-amd64/regedit.exe");
        if (path.isEmpty())
            QSKIP("the corpus of executables is not there (G2_CORPUS)");
        TIconComboBox box;
        box.setFileName(path);
        QCOMPARE(box.numberOfIcons(), 6);
        const auto icon = box.ItemIcon(5);
        QVERIFY(icon && !icon->isNull());
        QCOMPARE(icon->size(), QSize(32, 32));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TIconComboBoxTest)
#include "TIconComboBoxTest.moc"
