// The icon viewer window on the offscreen platform: the fill and the load
// with its pumps, Stop and close requests during a load, the path display,
// Copy File Name and Explore Directory, and the window keeping the folder it
// was filled from.
#include "viewer/TfrmView.h"
#include "NumberedIcons.h"
#include "files/NativePath.h"
#include "help/HelpRequest.h"
#include "kit/NativeFiles.h"
#include "tests/app/AnswerBoxes.h"
#include "viewer/ViewerItems.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

using namespace glyphor;
using glyphor::test::IconNames;
using glyphor::test::WriteNumberedIcons;

namespace {

// What the main window's destination lists show; a test changes it as the
// user would move them.
struct Destination {
    DestinationListing listing;
    DestinationSource source()
    {
        return [this] { return listing; };
    }
};

// The number shown by image k of the viewer; -1 when it has none.
int PictureNumber(const TfrmView& view, int k)
{
    const QImage image = view.Items->image(k).toImage();
    if (image.isNull())
        return -1;
    return test::IconNumber(image.pixel(5, 5), image.pixel(5, 25));
}

QList<int> PictureNumbers(const TfrmView& view)
{
    QList<int> out;
    for (int k = 0; k < view.Items->imageCount(); ++k)
        out << PictureNumber(view, k);
    return out;
}

QList<int> Range(int count, int first = 0)
{
    QList<int> out;
    for (int i = first; i < first + count; ++i)
        out << i;
    return out;
}

void ClickItem(TfrmView& view, int row)
{
    const QModelIndex index = view.Items->index(row);
    view.ListView1->scrollTo(index);
    QTest::mouseClick(
        view.ListView1->viewport(), Qt::LeftButton, {}, view.ListView1->visualRect(index).center());
}

void ShowAndLoad(TfrmView& view)
{
    view.show();
    QTRY_COMPARE(view.Close2->text(), QString("&Close"));
}

} // namespace

// Takes the URLs that the desktop would open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TfrmViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_folder = kit::PathOf(m_dir) + "/icons";
        QDir().mkpath(m_folder);
        WriteNumberedIcons(m_folder, IconNames(65));
        m_other = kit::PathOf(m_dir) + "/other";
        QDir().mkpath(m_other);
        WriteNumberedIcons(m_other, IconNames(40, 100), 100);
    }

    void init() { m_dest.listing = { m_folder, IconNames(65) }; }

    void sixtyFiveIconsLoadWithAPumpAfterIcons30And60()
    {
        TfrmView view(m_dest.source());
        // The fill reads no file: the names and their count are there at once.
        QCOMPARE(view.panelText(0), QString("Icons :65"));
        QCOMPARE(view.Items->count(), 65);
        QCOMPARE(view.Items->imageCount(), 0);
        QCOMPARE(view.loadState(), LoadState::NotStarted);

        QList<int> pumps;
        QStringList captions;
        connect(&view, &TfrmView::pumping, [&](int images) {
            pumps << images;
            captions << view.Close2->text();
        });
        ShowAndLoad(view);
        // The first pump is the activation's, before any picture.
        QCOMPARE(pumps, (QList<int> { 0, 30, 60 }));
        QCOMPARE(captions, QStringList(3, "&Stop"));
        QCOMPARE(view.loadState(), LoadState::LoadEnded);
        QCOMPARE(PictureNumbers(view), Range(65));
        // The activation selected the first item and focused the list.
        QCOMPARE(view.ListView1->currentIndex().row(), 0);
        QVERIFY(view.ListView1->hasFocus());
    }

    void stopEndsTheLoadAfterOneMoreIconAndThenCloses()
    {
        QPointer<TfrmView> view = new TfrmView(m_dest.source());
        connect(view, &TfrmView::pumping, [&](int images) {
            if (images == 30)
                view->Close2->trigger();
        });
        ShowAndLoad(*view);
        QCOMPARE(view->Items->imageCount(), 31);
        QCOMPARE(view->loadState(), LoadState::LoadEnded);
        // Later items show no picture, and keep their names.
        QVERIFY(view->Items->image(31).isNull());
        QCOMPARE(view->Items->data(view->Items->index(64), Qt::DisplayRole).toString(),
            QString("Icon0064.ico"));

        // Now it reads "&Close": the window goes.
        view->Close2->trigger();
        QVERIFY(view->isHidden());
        QTRY_VERIFY(!view);
    }

    // A large folder loads far faster than pictures can be looked at: the
    // pumps stay every 30 icons, but the list is told of new pictures (and
    // so paints them) at a steady 30 to 50 times a second, and of the last
    // ones when the load ends.
    void aLongLoadShowsItsPicturesAtASteadyPace()
    {
        const QString folder = kit::PathOf(m_dir) + "/many";
        QDir().mkpath(folder);
        const QStringList names = IconNames(3000);
        WriteNumberedIcons(folder, names);
        TfrmView view([&] { return DestinationListing { folder, names }; });
        QElapsedTimer clock;
        int pumps = 0;
        connect(&view, &TfrmView::pumping, [&] {
            if (pumps++ == 0)
                clock.start();
        });
        QList<int> shownUpTo;
        connect(view.Items, &QAbstractItemModel::dataChanged,
            [&](const QModelIndex&, const QModelIndex& last) { shownUpTo << last.row(); });
        ShowAndLoad(view);
        const double seconds = clock.nsecsElapsed() / 1e9;

        QCOMPARE(pumps, 1 + 3000 / kIconsPerPump);
        QVERIFY(!shownUpTo.isEmpty());
        QCOMPARE(shownUpTo.last(), 2999);
        QVERIFY2(
            shownUpTo.size() <= int(seconds * 50) + 2 && shownUpTo.size() >= int(seconds * 30) - 1,
            qPrintable(QString("%1 showings in %2 s").arg(shownUpTo.size()).arg(seconds)));
        // The pictures tell their files apart modulo 256.
        const QList<int> numbers = PictureNumbers(view);
        QCOMPARE(numbers.size(), 3000);
        for (int k = 0; k < 3000; ++k)
            QCOMPARE(numbers[k], k % 256);
    }

    void aCloseRequestDuringTheLoadOnlyEndsTheLoad()
    {
        TfrmView view(m_dest.source());
        bool closed = true;
        connect(&view, &TfrmView::pumping, [&](int images) {
            if (images == 30)
                closed = view.close();
        });
        ShowAndLoad(view);
        QVERIFY(!closed);
        QVERIFY(view.isVisible());
        QCOMPARE(view.Items->imageCount(), 31);
        // The next close hides the window; it stays in existence.
        QVERIFY(view.close());
        QVERIFY(view.isHidden());
    }

    // The path display, at a folder and at "/": off during the load, then
    // the folder and the name with one separator between them.
    void pathDisplay_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << QString() << "/Icon0003.ico";
        QTest::newRow("root") << "/"
                              << "/g2-absent-icon-3.ico";
    }
    void pathDisplay()
    {
        QFETCH(QString, folder);
        QFETCH(QString, path);
        if (folder.isEmpty()) {
            folder = m_folder;
            path = m_folder + path;
        } else {
            m_dest.listing
                = { folder, { "g2-absent-icon-0.ico", "1.ico", "2.ico", "g2-absent-icon-3.ico" } };
        }
        TfrmView view(m_dest.source());
        QString during = "not clicked";
        connect(&view, &TfrmView::pumping, [&](int images) {
            if (images == 30) {
                ClickItem(view, 3);
                during = view.panelText(2);
            }
        });
        // At "/" the first file cannot be read: the error box comes once, and
        // the load ends as a stopped one does.
        QTimer answer;
        SeenBox seen;
        AnswerBoxes(answer, seen);
        ShowAndLoad(view);
        answer.stop();
        if (folder == "/") {
            QCOMPARE(seen.shown, 1);
            QCOMPARE(seen.text, QString("Cannot open file /g2-absent-icon-0.ico."));
        } else {
            QCOMPARE(during, QString());
            QCOMPARE(seen.shown, 0);
        }
        ClickItem(view, 3);
        QCOMPARE(view.panelText(2), path);
        // A click beside every item leaves none selected and the panel empty.
        QTest::mouseClick(view.ListView1->viewport(), Qt::LeftButton, {},
            view.ListView1->viewport()->rect().bottomRight() - QPoint(3, 3));
        QCOMPARE(view.panelText(2), QString());
        // The load has ended, so the first close request hides the window.
        QVERIFY(view.close());
    }

    void copyFileName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QString>("copied");
        QTest::newRow("selected item") << m_folder << 2 << "" << m_folder + "/Icon0002.ico";
        QTest::newRow("at /") << "/" << 2 << ""
                              << "/Icon0002.ico";
        QTest::newRow("edited caption") << m_folder << 2 << "Mine.ico" << m_folder + "/Mine.ico";
        QTest::newRow("nothing selected") << m_folder << -1 << ""
                                          << "as it was";
        // Text cannot hold the bytes: the path goes as it is shown.
        QTest::newRow("not UTF-8") << files::FromNativePath("/caf\xe9") << 2 << ""
                                   << "/caf\\xE9/Icon0002.ico";
    }
    void copyFileName()
    {
        QFETCH(QString, folder);
        QFETCH(int, row);
        QFETCH(QString, edited);
        QFETCH(QString, copied);
        m_dest.listing.folder = folder;
        TfrmView view(m_dest.source());
        // At "/" the files are not there: the load ends at the error box.
        QTimer answer;
        SeenBox seen;
        AnswerBoxes(answer, seen);
        ShowAndLoad(view);
        answer.stop();
        // The offscreen platform has no window manager to hand the
        // activation back when the box goes.
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.ListView1->clearSelection();
        if (row >= 0)
            ClickItem(view, row);
        if (!edited.isEmpty()) {
            view.ListView1->edit(view.Items->index(row));
            auto* editor = view.ListView1->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor);
            editor->setText(edited);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(view.Items->caption(row), edited);
            // Only the caption changed: the file keeps its name.
            QVERIFY(QFile::exists(m_folder + "/Icon0002.ico"));
            QVERIFY(!QFile::exists(m_folder + "/Mine.ico"));
        }
        QGuiApplication::clipboard()->setText("as it was");
        QTest::keyClick(view.ListView1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        // The popup's entry does the same.
        QGuiApplication::clipboard()->setText("as it was");
        view.CopyFileName1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    }

    // A caption edited before its picture is loaded: the picture still
    // comes from the item's file, and the file keeps its name.
    void anEditedCaptionStillLoadsTheFile()
    {
        TfrmView view(m_dest.source());
        const QModelIndex item = view.Items->index(40);
        QVERIFY(view.Items->setData(item, "Renamed.ico", Qt::EditRole));
        QCOMPARE(view.Items->data(item, ViewerItems::FileNameRole), QVariant("Icon0040.ico"));
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        ShowAndLoad(view);
        QCOMPARE(seen.shown, 0);
        QCOMPARE(PictureNumbers(view), Range(65));
        QCOMPARE(view.pathOf(40), m_folder + "/Renamed.ico");
        QCOMPARE(view.filePathOf(40), m_folder + "/Icon0040.ico");
        QVERIFY(QFileInfo::exists(m_folder + "/Icon0040.ico"));
    }

    // A name that is not valid UTF-8 is shown with its bytes marked; an edit
    // that leaves the shown text as it was keeps the name's own bytes.
    void anUnchangedEditKeepsANameThatIsNotUtf8()
    {
        const QString name = files::FromNativePath("Icon\xff.ico");
        m_dest.listing = { "/nowhere", { name } };
        TfrmView view(m_dest.source());
        const QModelIndex item = view.Items->index(0);
        QCOMPARE(view.Items->data(item, Qt::DisplayRole).toString(), QString("Icon\\xFF.ico"));
        QVERIFY(view.Items->setData(item, "Icon\\xFF.ico", Qt::EditRole));
        QCOMPARE(files::ToNativePath(view.pathOf(0)), std::string("/nowhere/Icon\xff.ico"));
        QVERIFY(view.Items->setData(item, "Other.ico", Qt::EditRole));
        QCOMPARE(view.pathOf(0), QString("/nowhere/Other.ico"));
    }

    void exploreDirectoryOpensTheFolderByItsBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("plain") << QByteArray("plain");
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9 \xff");
    }
    void exploreDirectoryOpensTheFolderByItsBytes()
    {
        QFETCH(QByteArray, name);
        const std::string folder = m_dir.path() + "/" + name.toStdString();
        ::mkdir(folder.c_str(), 0777);
        m_dest.listing = { files::FromNativePath(folder), {} };
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("file", &recorder, "open");
        TfrmView view(m_dest.source());
        ShowAndLoad(view);
        QTest::keyClick(view.ListView1, Qt::Key_E, Qt::ControlModifier);
        QDesktopServices::unsetUrlHandler("file");
        ::rmdir(folder.c_str()); // a name QTemporaryDir cannot remove
        QCOMPARE(recorder.urls.size(), 1);
        QCOMPARE(QByteArray::fromPercentEncoding(recorder.urls[0].toEncoded()),
            "file://" + QByteArray::fromStdString(folder));
        QCOMPARE(recorder.urls[0].isLocalFile(), true);
    }

    void f1OpensTheHelpTopics()
    {
        QList<help::HelpRequest> requests;
        help::SetHelpHandler([&](const help::HelpRequest& r) { requests << r; });
        TfrmView view(m_dest.source());
        ShowAndLoad(view);
        QTest::keyClick(view.ListView1, Qt::Key_F1);
        help::SetHelpHandler({});
        QCOMPARE(requests, (QList<help::HelpRequest> { { help::HelpCommand::Finder, 0 } }));
    }

    // The viewer names the files of the folder it was filled from, also
    // after the main window has moved elsewhere; Refresh follows it there.
    void keepsTheFolderItWasFilledFromUntilRefresh()
    {
        TfrmView view(m_dest.source());
        ShowAndLoad(view);
        m_dest.listing = { m_other, IconNames(40, 100) };
        ClickItem(view, 3);
        QCOMPARE(view.panelText(2), QString(m_folder + "/Icon0003.ico"));
        QTest::keyClick(view.ListView1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString(m_folder + "/Icon0003.ico"));

        QTest::keyClick(view.ListView1, Qt::Key_F5);
        QTRY_COMPARE(view.Close2->text(), QString("&Close"));
        QCOMPARE(view.panelText(0), QString("Icons :40"));
        QCOMPARE(PictureNumbers(view), Range(40, 100));
        ClickItem(view, 3);
        QCOMPARE(view.panelText(2), QString(m_other + "/Icon0103.ico"));
    }

    // Coming back to the window selects the first item and loads nothing:
    // the pictures still match their items.
    void aLaterActivationSelectsTheFirstItemOnly()
    {
        TfrmView view(m_dest.source());
        ShowAndLoad(view);
        ClickItem(view, 5);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTRY_COMPARE(view.ListView1->currentIndex().row(), 0);
        QTest::qWait(20);
        QCOMPARE(PictureNumbers(view), Range(65));
    }

    // F5 in a pump of the running load: the load starts again with the
    // main window's present folder, and every picture matches its item.
    void refreshDuringTheLoadLoadsAfresh()
    {
        TfrmView view(m_dest.source());
        connect(&view, &TfrmView::pumping, [&](int images) {
            if (images == 30 && view.panelText(0) == "Icons :65") {
                m_dest.listing = { m_other, IconNames(40, 100) };
                QTest::keyClick(view.ListView1, Qt::Key_F5);
            }
        });
        ShowAndLoad(view);
        QCOMPARE(view.panelText(0), QString("Icons :40"));
        QCOMPARE(PictureNumbers(view), Range(40, 100));
    }

private:
    kit::ScratchFolder m_dir;
    QString m_folder; // 65 icon files numbered 0 to 64
    QString m_other; // 40 numbered 100 to 139
    Destination m_dest;
};

QTEST_MAIN(TfrmViewTest)
#include "TfrmViewTest.moc"
