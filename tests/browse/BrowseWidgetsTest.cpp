// Widget-specific behaviour of the browsers: item layout, the bitmaps, the
// hourglass, and user events turned into the models' events.

#include "browse/BrowseErrors.h"
#include "browse/Glyphs.h"
#include "browse/ItemLayout.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TDriveComboBox.h"
#include "browse/TFileListBox.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"

#include "TestFolders.h"
#include "kit/NativeFiles.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace glyphor;

class BrowseWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        SetBrowseErrorReporter({});
        platform::SetVolumeSource({});
        platform::TryChangeDirectory(m_start);
    }

    void layout_data();
    void layout();
    void glyphs();
    void fileListHourglassAndClicks();
    void folderListOpensOnDoubleClickAndReportsFailure();
    void folderListShowsTheRowsAboveOnceItHasRoom();
    void driveComboPick();
    void namesThatAreNotUtf8ShowMarkedAndOpenExact();
    void focusFrameShowsOnlyWithTheFocus_data();
    void focusFrameShowsOnlyWithTheFocus();
    void listsAndTheirItemsSpeak();

private:
    QString m_start = QDir::currentPath();
};

void BrowseWidgetsTest::layout_data()
{
    QTest::addColumn<int>("actual");
    QTest::addColumn<int>("expected");
    const QRect item(10, 20, 200, 17);
    QTest::newRow("drive glyph left") << layout::DriveGlyphRect(item, 16, 11).left() << 12;
    QTest::newRow("drive glyph centred") << layout::DriveGlyphRect(item, 16, 11).top() << 23;
    QTest::newRow("drive text") << layout::DriveTextLeft(item, 16) << 32;
    QTest::newRow("drive min height") << layout::DriveItemHeight(8) << 11;
    QTest::newRow("root entry") << layout::FolderGlyphOffset(0, false, 3) << 2;
    QTest::newRow("third entry") << layout::FolderGlyphOffset(3, false, 3) << 14;
    QTest::newRow("subfolder of /a/b/c") << layout::FolderGlyphOffset(5, true, 3) << 18;
    QTest::newRow("subfolder of /") << layout::FolderGlyphOffset(1, true, 1) << 10;
    QTest::newRow("folder text") << layout::FolderTextLeft(item, 6, 16) << 36;
    QTest::newRow("folder min height") << layout::FolderItemHeight(13) << 16;
    QTest::newRow("file text") << layout::FileTextLeft(item, false, 0) << 12;
    QTest::newRow("file text after glyph") << layout::FileTextLeft(item, true, 16) << 32;
    QTest::newRow("file height") << layout::FileItemHeight(13, false) << 13;
    QTest::newRow("file height with glyphs") << layout::FileItemHeight(13, true) << 16;
}

void BrowseWidgetsTest::layout()
{
    QFETCH(int, actual);
    QFETCH(int, expected);
    QCOMPARE(actual, expected);
}

void BrowseWidgetsTest::glyphs()
{
    const struct {
        Glyph glyph;
        QSize size;
    } expected[] = {
        { Glyph::Floppy, { 16, 11 } },
        { Glyph::Hard, { 16, 11 } },
        { Glyph::Network, { 16, 11 } },
        { Glyph::CdRom, { 16, 11 } },
        { Glyph::Ram, { 16, 11 } },
        { Glyph::OpenFolder, { 16, 15 } },
        { Glyph::CurrentFolder, { 16, 15 } },
        { Glyph::ClosedFolder, { 16, 15 } },
        { Glyph::Executable, { 16, 16 } },
        { Glyph::UnknownFile, { 16, 16 } },
    };
    QList<QImage> seen;
    for (const auto& e : expected) {
        const QImage& image = GlyphImage(e.glyph);
        QCOMPARE(image.size(), e.size);
        QVERIFY2(!seen.contains(image), "each bitmap is its own");
        seen << image;
    }
    QCOMPARE(GlyphForFileName("SETUP.Exe"), Glyph::Executable);
    QCOMPARE(GlyphForFileName("run.PIF"), Glyph::Executable);
    QCOMPARE(GlyphForFileName("lib.dll"), Glyph::UnknownFile);
    QCOMPARE(GlyphForVolume(platform::VolumeKind::CdRom), Glyph::CdRom);
}

void BrowseWidgetsTest::fileListHourglassAndClicks()
{
    const kit::ScratchFolder tmp;
    const QString root = kit::PathOf(tmp);
    const QStringList names = kit::NumberedNames("Icon%1.ico", 150, 4);
    kit::MakeFiles(root, names);

    TFileListBox box;
    box.resize(200, 300);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    bool waitShown = false;
    connect(box.fileModel(), &FileListModel::longReadStarted, this, [&] {
        // The widget connected first, so the hourglass is already up here.
        waitShown = QApplication::overrideCursor()
            && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    box.setMask("*.ico");
    box.setDirectory(root);
    QVERIFY(waitShown);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(box.model()->rowCount(), 150);

    QStringList events;
    connect(&box, &TFileListBox::itemClicked, this, [&] { events << "click"; });
    connect(&box, &TFileListBox::changed, this, [&] { events << "change"; });
    const QRect second = box.visualRect(box.model()->index(1, 0));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(events, (QStringList { "click", "change" }));
    QCOMPARE(box.fileName(), root + "/Icon0001.ico");
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(box.fileName(), root + "/Icon0002.ico");
    QCOMPARE(events.size(), 4);

    // Presses that select nothing in the list (the right button, a control
    // click on the selected name) leave the highlight on the selected file,
    // the one whose icons the picker shows.
    const auto selectedRows = [&] {
        QList<int> rows;
        for (const QModelIndex& index : box.selectionModel()->selectedIndexes())
            rows << index.row();
        return rows;
    };
    const QRect third = box.visualRect(box.model()->index(2, 0));
    QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
    QCOMPARE(box.fileName(), root + "/Icon0002.ico");
    QCOMPARE(selectedRows(), QList<int> { 2 });
    const QRect fifth = box.visualRect(box.model()->index(5, 0));
    QTest::mouseClick(box.viewport(), Qt::RightButton, {}, fifth.center());
    QCOMPARE(box.fileName(), root + "/Icon0002.ico");
    QCOMPARE(selectedRows(), QList<int> { 2 });

    box.reread();
    QVERIFY(box.selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(box.fileName().isEmpty());
}

void BrowseWidgetsTest::folderListOpensOnDoubleClickAndReportsFailure()
{
    const kit::ScratchFolder tmp;
    const QString root = kit::PathOf(tmp);
    kit::MakeFolders(root, { "alpha", "beta" });
    QStringList reported;
    SetBrowseErrorReporter([&](QWidget*, const QString& message) { reported << message; });

    TDirectoryListBox box;
    box.resize(200, 300);
    box.setDirectory(root);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy changes(&box, &TDirectoryListBox::changed);

    // A single click only moves the highlight.
    const int alphaRow = box.directoryModel()->currentIndex() + 1;
    const QPoint alpha = box.visualRect(box.model()->index(alphaRow, 0)).center();
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, alpha);
    QCOMPARE(box.directory(), root);
    QCOMPARE(box.directoryModel()->selectedIndex(), alphaRow);

    QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, alpha);
    QCOMPARE(box.directory(), root + "/alpha");
    QCOMPARE(changes.count(), 1);

    // Enter on an ancestor goes up; a folder removed meanwhile is reported.
    box.setDirectory(root);
    QDir(root + "/beta").removeRecursively();
    box.setCurrentIndex(box.model()->index(box.directoryModel()->currentIndex() + 2, 0));
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(reported, QStringList { QString::fromLocal8Bit(std::strerror(ENOENT)) });
    QCOMPARE(box.directory(), root);
}

// A form reads its folder before it gives the list its size.
void BrowseWidgetsTest::folderListShowsTheRowsAboveOnceItHasRoom()
{
    const kit::ScratchFolder tmp;
    const QString root = kit::PathOf(tmp);
    kit::MakeFolders(root, kit::NumberedNames("sub%1", 40, 2));

    QWidget form;
    auto* box = new TDirectoryListBox(&form);
    box->setDirectory(root);
    box->setGeometry(0, 0, 200, 300);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(box->indexAt(QPoint(4, 4)).row(), 0);
}

void BrowseWidgetsTest::driveComboPick()
{
    platform::SetVolumeSource([] {
        return QVector<platform::Volume> { { "/", platform::VolumeKind::Fixed, {}, {} },
            { "/tmp", platform::VolumeKind::Ram, "Scratch", {} } };
    });
    platform::ChangeDirectory("/");
    TDriveComboBox box;
    QCOMPARE(box.count(), 2);
    QCOMPARE(box.itemText(1), QStringLiteral("/tmp [scratch]"));
    QCOMPARE(box.currentIndex(), 0);
    QSignalSpy changes(&box, &TDriveComboBox::changed);
    QSignalSpy clicks(&box, &TDriveComboBox::itemClicked);
    emit box.activated(1);
    QCOMPARE(box.drive(), QStringLiteral("/tmp"));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(box.currentIndex(), 1);
    box.setTextCase(DriveListModel::TextCase::Upper);
    QCOMPARE(box.itemText(1), QStringLiteral("/tmp [SCRATCH]"));
    QCOMPARE(box.currentIndex(), 1);
}

// The lists show an undecodable byte as \xHH; a click or a double click
// still takes the name as the system holds it.
void BrowseWidgetsTest::namesThatAreNotUtf8ShowMarkedAndOpenExact()
{
    const kit::ScratchFolder tmp;
    const QString root = kit::PathOf(tmp);
    const QString latin1 = files::FromNativePath("caf\xE9");
    kit::MakeFolders(root, { latin1 });
    kit::MakeFiles(root + "/" + latin1,
        { files::FromNativePath("\xC9"
                                "diteur.exe") });

    TDirectoryListBox folders;
    folders.resize(200, 300);
    folders.setDirectory(root);
    folders.show();
    QVERIFY(QTest::qWaitForWindowExposed(&folders));
    const int row = folders.directoryModel()->currentIndex() + 1;
    QCOMPARE(folders.model()->index(row, 0).data().toString(), QStringLiteral("caf\\xE9"));
    QTest::mouseDClick(folders.viewport(), Qt::LeftButton, {},
        folders.visualRect(folders.model()->index(row, 0)).center());
    QCOMPARE(folders.directory(), root + "/" + latin1);

    TFileListBox files;
    files.resize(200, 300);
    files.setDirectory(folders.directory());
    files.show();
    QVERIFY(QTest::qWaitForWindowExposed(&files));
    QCOMPARE(files.model()->index(0, 0).data().toString(), QStringLiteral("\\xC9diteur.exe"));
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {},
        files.visualRect(files.model()->index(0, 0)).center());
    QCOMPARE(files::ToNativePath(files.fileName()),
        files::ToNativePath(root)
            + "/caf\xE9/\xC9"
              "diteur.exe");
    QVERIFY(platform::IsExistingFile(files.fileName()));
}

namespace {

// How many pixels of rect's outline (its edge and the pixel inside it)
// differ between the two pictures.
int OutlineDifferences(const QImage& a, const QImage& b, const QRect& rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const bool outline = x - rect.left() < 2 || rect.right() - x < 2 || y - rect.top() < 2
                || rect.bottom() - y < 2;
            count += outline && a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return count;
}

} // namespace

void BrowseWidgetsTest::focusFrameShowsOnlyWithTheFocus_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("an empty file list, on itself") << "empty files";
    QTest::newRow("a file list, on its current row") << "files";
    QTest::newRow("a folder list, on its current folder") << "folders";
    QTest::newRow("a drive list, on its drive") << "drives";
}

void BrowseWidgetsTest::focusFrameShowsOnlyWithTheFocus()
{
    QFETCH(QString, list);
    QTemporaryDir dir;
    if (list == "files")
        kit::MakeFiles(dir.path(), { "a.exe" });
    QWidget window;
    TFileListBox* files = nullptr;
    TDirectoryListBox* folders = nullptr;
    TDriveComboBox* drives = nullptr;
    QWidget* widget = nullptr;
    if (list == "folders") {
        widget = folders = new TDirectoryListBox(&window);
        folders->setDirectory(dir.path());
    } else if (list == "drives") {
        widget = drives = new TDriveComboBox(&window);
    } else {
        widget = files = new TFileListBox(&window);
        files->setMask("*.exe");
        files->setDirectory(dir.path());
    }
    widget->setGeometry(0, 0, 180, list == "drives" ? 22 : 120);
    auto* other = new QLineEdit(&window);
    other->setGeometry(0, 130, 100, 20);
    window.resize(200, 160);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
    QWidget* painted = drives ? static_cast<QWidget*>(drives)
                              : static_cast<QAbstractItemView*>(widget)->viewport();
    const QImage without = painted->grab().toImage();
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
    const QImage with = painted->grab().toImage();

    QRect frame;
    if (drives) {
        QStyleOptionComboBox option;
        option.initFrom(drives);
        frame = drives->style()->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, drives);
    } else if (list == "empty files") {
        frame = painted->rect();
    } else {
        auto* view = static_cast<QAbstractItemView*>(widget);
        QVERIFY(view->currentIndex().isValid());
        frame = view->visualRect(view->currentIndex());
    }
    // The frame's outline is drawn with the focus and not without it.
    QVERIFY2(OutlineDifferences(without, with, frame) > frame.width(),
        qPrintable(QString::number(OutlineDifferences(without, with, frame))));
}

void BrowseWidgetsTest::listsAndTheirItemsSpeak()
{
    // The drive list is read by its item's words, its own name when it has
    // one, and the folder list tells where each folder stands.
    platform::SetVolumeSource([] {
        return QVector<platform::Volume> { { "/", platform::VolumeKind::Fixed, {}, "/dev/sda1" },
            { "/media/stick", platform::VolumeKind::Removable, "STICK", "/dev/sdb1" } };
    });
    TDriveComboBox drives;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&drives);
    QCOMPARE(face->role(), QAccessible::ComboBox);
    QCOMPARE(face->text(QAccessible::Name), QString("/, fixed drive, no label"));
    drives.setDrive("/media/stick");
    QCOMPARE(face->text(QAccessible::Name), QString("/media/stick, removable drive, label STICK"));
    QCOMPARE(face->text(QAccessible::Value), QString("/media/stick, removable drive, label STICK"));
    QCOMPARE(face->childCount(), 1);
    QAccessibleInterface* items = face->child(0);
    QCOMPARE(items->child(0)->text(QAccessible::Name), QString("/, fixed drive, no label"));
    drives.setAccessibleName("Source drive");
    QCOMPARE(face->text(QAccessible::Name), QString("Source drive"));

    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    TDirectoryListBox folders;
    folders.setDirectory(dir.path());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&folders);
    QStringList descriptions;
    for (int i = 0; i < list->childCount(); ++i)
        descriptions << list->child(i)->text(QAccessible::Description);
    QCOMPARE(descriptions.first(), QString("open folder"));
    QCOMPARE(descriptions.count("current folder"), 1);
    QCOMPARE(descriptions.last(), QString("subfolder"));
    QCOMPARE(list->child(list->childCount() - 1)->text(QAccessible::Name), QString("sub"));
}

QTEST_MAIN(BrowseWidgetsTest)
#include "BrowseWidgetsTest.moc"
