// The viewer's side of the catalogue on the offscreen platform: the places
// of the selected icon in the status bar, the Sources dialog with its list
// and the largest original image at its own size, and Save Full Icon As,
// which writes the original group and never replaces a file; a folder
// without a catalogue, or with a damaged one, disables the entries quietly.
#include "viewer/TSourcesDialog.h"
#include "viewer/TfrmView.h"

#include "NumberedIcons.h"
#include "SourcedIcons.h"
#include "files/NativePath.h"
#include "help/HelpRequest.h"
#include "kit/NativeFiles.h"
#include "tests/app/AnswerBoxes.h"
#include "viewer/ViewerItems.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <ctime>

using namespace glyphor;
using glyphor::kit::Bytes;
using glyphor::test::IconNames;
using glyphor::test::OriginalGroup;
using glyphor::test::RecordSources;
using glyphor::test::WriteNumberedIcons;

namespace {

void ClickItem(TfrmView& view, int row)
{
    const QModelIndex index = view.Items->index(row);
    view.ListView1->scrollTo(index);
    QTest::mouseClick(
        view.ListView1->viewport(), Qt::LeftButton, {}, view.ListView1->visualRect(index).center());
}

void ClickBesideEveryItem(TfrmView& view)
{
    QTest::mouseClick(view.ListView1->viewport(), Qt::LeftButton, {},
        view.ListView1->viewport()->rect().bottomRight() - QPoint(3, 3));
}

void ShowAndLoad(TfrmView& view)
{
    view.show();
    QTRY_COMPARE(view.Close2->text(), QString("&Close"));
}

QLabel* PlacesPanel(TfrmView& view)
{
    for (QLabel* label : view.StatusBar1->findChildren<QLabel*>())
        if (label->accessibleName() == "Places of the selected icon")
            return label;
    return nullptr;
}

QStringList RowTexts(const QTreeWidget& list, int row)
{
    QStringList out;
    const QTreeWidgetItem* item = list.topLevelItem(row);
    for (int c = 0; item && c < list.columnCount(); ++c)
        out << item->text(c);
    return out;
}

std::vector<std::string> NamesIn(const QString& folder)
{
    return kit::ScratchFolder::NamesIn(files::ToNativePath(folder));
}

} // namespace

class ViewerSourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The dialog shows local times; the expected ones are in UTC.
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        const std::string root = m_dir.path();
        m_folder = kit::PathOf(m_dir) + "/dest";
        kit::MakePath(m_folder);
        WriteNumberedIcons(m_folder, IconNames(5));
        // Icon 1 was found in three places, one inside an archive, and again
        // in the first by a later harvest; icon 2 in one place, whose group
        // was not kept; the others were added by hand.
        RecordSources(root + "/dest", "Icon0001.ico",
            { { "/src/a.exe", "", 0, catalogue::GroupName::Number(1), m_small },
                { "/src/b\xE9.dll", "", 5, catalogue::GroupName::Name("APP"), m_large },
                { "/src/z.zip", "in/c.exe", 2, catalogue::GroupName::Number(7), m_small },
                { "/src/a.exe", "", 0, catalogue::GroupName::Number(1), m_small } },
            1700000000);
        RecordSources(
            root + "/dest", "Icon0002.ico", { { "/src/d.exe", "", 3, {}, {} } }, 1700000100);

        m_plain = kit::PathOf(m_dir) + "/plain";
        kit::MakePath(m_plain);
        WriteNumberedIcons(m_plain, IconNames(3));
        m_damaged = kit::PathOf(m_dir) + "/damaged";
        kit::MakePath(m_damaged);
        WriteNumberedIcons(m_damaged, IconNames(3));
        kit::WriteBytes(m_damaged + "/glyphor2-catalogue.sqlite", Bytes(600, 'x'));
        m_out = kit::PathOf(m_dir) + "/out";
        kit::MakePath(m_out);
    }

    // Clicks and the arrow keys alike: the panel and the entries follow
    // the selection.
    void theStatusBarAndTheEntriesFollowTheSelection_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("places");
        QTest::addColumn<bool>("sources");
        QTest::addColumn<bool>("save");
        QTest::newRow("three places") << 1 << "Found in 3 places" << true << true;
        QTest::newRow("one place, no original kept") << 2 << "Found in 1 place" << true << false;
        QTest::newRow("added by hand") << 3 << "" << false << false;
        QTest::newRow("none selected") << -1 << "" << false << false;
    }
    void theStatusBarAndTheEntriesFollowTheSelection()
    {
        QFETCH(int, item);
        QFETCH(QString, places);
        QFETCH(bool, sources);
        QFETCH(bool, save);
        TfrmView view([&] { return DestinationListing { m_folder, IconNames(5) }; });
        ShowAndLoad(view);
        QVERIFY(PlacesPanel(view) && PlacesPanel(view)->isVisible());
        // The load selected the first item, which has no sources.
        QCOMPARE(view.panelText(3), QString());
        QVERIFY(!view.Sources1->isEnabled());
        if (item >= 0) {
            ClickItem(view, 4);
            for (int k = 4; k > item; --k)
                QTest::keyClick(view.ListView1, Qt::Key_Left);
            QCOMPARE(view.ListView1->currentIndex().row(), item);
        } else {
            ClickItem(view, 1);
            ClickBesideEveryItem(view);
        }
        QCOMPARE(view.panelText(3), places);
        QCOMPARE(view.Sources1->isEnabled(), sources);
        QCOMPARE(view.SaveFullIconAs1->isEnabled(), save);
        QVERIFY(view.PopupMenu1->actions().contains(view.Sources1));
    }

    void theSourcesDialogListsEveryPlaceAndShowsTheLargestOriginal()
    {
        TfrmView view([&] { return DestinationListing { m_folder, IconNames(5) }; });
        ShowAndLoad(view);
        ClickItem(view, 1);
        view.Sources1->trigger();
        QPointer<TSourcesDialog> dialog = view.findChild<TSourcesDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(dialog->windowTitle(), QString("Sources of Icon0001.ico"));
        QCOMPARE(dialog->Summary->text(), QString("Icon0001.ico was found in 3 places."));

        QTreeWidget* list = dialog->SourceList;
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(RowTexts(*list, 0),
            (QStringList { "/src/a.exe", "0", "", "#1", "2023-11-14 22:13:20" }));
        QCOMPARE(RowTexts(*list, 1),
            (QStringList { "/src/b\\xE9.dll", "5", "", "APP", "2023-11-14 22:13:21" }));
        QCOMPARE(RowTexts(*list, 2),
            (QStringList { "/src/z.zip", "2", "in/c.exe", "#7", "2023-11-14 22:13:22" }));
        QVERIFY(!list->isColumnHidden(MemberColumn));
        QVERIFY(!list->accessibleName().isEmpty());

        // The PNG of the largest group, at its own size, with its alpha.
        const QPixmap picture = dialog->Picture->pixmap();
        QCOMPARE(picture.size(), QSize(96, 80));
        QCOMPARE(dialog->Picture->size(), QSize(96, 80));
        const QImage shown = picture.toImage().convertToFormat(QImage::Format_ARGB32);
        const IconImage drawn = test::AlphaPicture(96, 80, 2);
        QCOMPARE(shown.pixel(95, 40), QRgb(drawn.pixel(95, 40)));
        QCOMPARE(qAlpha(shown.pixel(0, 40)), 0);
        QCOMPARE(dialog->PictureText->text(),
            QString("96 x 80 pixels, PNG, the largest of its 3 images."));
        // Beside it, the icon file as the viewer shows it.
        QCOMPARE(dialog->Harvested->pixmap().toImage(), view.Items->image(1).toImage());
        QVERIFY(!dialog->Picture->accessibleName().isEmpty());
        QCOMPARE(dialog->Picture->accessibleDescription(), QString("96 x 80 pixels, PNG"));

        // A fixed-size window that asks for no minimize or maximize button.
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(dialog->windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(dialog->ProblemText->isHidden());

        QList<help::HelpRequest> requests;
        help::SetHelpHandler([&](const help::HelpRequest& r) { requests << r; });
        QTest::keyClick(dialog->SourceList, Qt::Key_F1);
        help::SetHelpHandler({});
        QCOMPARE(requests, (QList<help::HelpRequest> { { help::HelpCommand::Context, 30 } }));

        dialog->CloseButton->click();
        QTRY_VERIFY(!dialog);
    }

    // From the Edit menu and from the dialog's button alike: the file
    // dialog offers a name, the group's bytes are written as they are kept,
    // and a name that is taken is refused with the error box.
    void saveFullIconWritesTheGroupAndReplacesNothing_data()
    {
        QTest::addColumn<bool>("fromDialog");
        QTest::newRow("Edit menu") << false;
        QTest::newRow("Sources dialog") << true;
    }
    void saveFullIconWritesTheGroupAndReplacesNothing()
    {
        QFETCH(bool, fromDialog);
        const QString out = m_out + (fromDialog ? "/dialog" : "/menu");
        kit::MakePath(out);
        const Bytes taken { 1, 2, 3 };
        kit::WriteBytes(out + "/taken.ico", taken);

        TfrmView view([&] { return DestinationListing { m_folder, IconNames(5) }; });
        ShowAndLoad(view);
        ClickItem(view, 1);
        QPointer<TSourcesDialog> dialog;
        if (fromDialog) {
            view.Sources1->trigger();
            dialog = view.findChild<TSourcesDialog*>();
            QVERIFY(dialog && dialog->SaveFullIcon1->isEnabled());
        }
        const auto save = [&] {
            if (fromDialog)
                dialog->SaveFullIcon1->click();
            else
                view.SaveFullIconAs1->trigger();
        };

        QString choice;
        QStringList offered;
        bool asksToReplace = true;
        QTimer files;
        OnModal<QFileDialog>(files, [&](QFileDialog* d) {
            offered << QFileInfo(d->selectedFiles().value(0)).fileName();
            asksToReplace = !d->testOption(QFileDialog::DontConfirmOverwrite);
            d->selectFile(choice);
            static_cast<QDialog*>(d)->accept();
        });
        SeenBox seen;
        QTimer boxes;
        AnswerBoxes(boxes, seen);

        choice = out + "/full.ico";
        save();
        QCOMPARE(kit::ReadBytes(choice), m_large);
        QCOMPARE(seen.shown, 0);

        choice = out + "/taken.ico";
        save();
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.text, "Cannot create file " + out + "/taken.ico: File exists.");
        QCOMPARE(kit::ReadBytes(choice), taken);

        files.stop();
        boxes.stop();
        QCOMPARE(offered, QStringList(2, "Icon0001-full.ico"));
        QVERIFY(!asksToReplace);
        QCOMPARE(NamesIn(out), (std::vector<std::string> { "full.ico", "taken.ico" }));
        if (dialog)
            dialog->close();
    }

    // Nothing to find, and nothing said about it: the entries stay
    // disabled on every item, no box comes up, and the folder is left as
    // it was. A damaged catalogue is named in the panel's tip only.
    void aFolderWithoutAGoodCatalogueDisablesTheEntriesQuietly_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("panel");
        QTest::newRow("no catalogue") << m_plain << false;
        QTest::newRow("damaged catalogue") << m_damaged << true;
    }
    void aFolderWithoutAGoodCatalogueDisablesTheEntriesQuietly()
    {
        QFETCH(QString, folder);
        QFETCH(bool, panel);
        const std::vector<std::string> before = NamesIn(folder);
        SeenBox seen;
        QTimer boxes;
        AnswerBoxes(boxes, seen);
        TfrmView view([&] { return DestinationListing { folder, IconNames(3) }; });
        ShowAndLoad(view);
        for (int item = 0; item < 3; ++item) {
            ClickItem(view, item);
            QCOMPARE(view.panelText(3), QString());
            QVERIFY(!view.Sources1->isEnabled());
            QVERIFY(!view.SaveFullIconAs1->isEnabled());
        }
        view.Sources1->trigger();
        QVERIFY(!view.findChild<TSourcesDialog*>());
        boxes.stop();
        QCOMPARE(seen.shown, 0);
        QCOMPARE(PlacesPanel(view)->isVisible(), panel);
        QCOMPARE(PlacesPanel(view)->toolTip().contains("is damaged"), panel);
        QCOMPARE(NamesIn(folder), before);
    }

    // The dialog on its own: what it shows where the original is missing,
    // or larger than the frame.
    void theDialogShowsWhatItHas_data()
    {
        QTest::addColumn<QByteArray>("original"); // empty: none kept
        QTest::addColumn<QSize>("picture"); // empty: none shown
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("none kept")
            << QByteArray() << QSize() << "No original icon was kept." << false;
        const Bytes wide = kit::MakeIcoFile(
            { { 44, 40, 32 } }, { kit::MakePng(test::AlphaPicture(300, 40, 1)) });
        QTest::newRow("wider than the frame")
            << QByteArray(reinterpret_cast<const char*>(wide.data()), wide.size()) << QSize(300, 40)
            << "300 x 40 pixels, PNG, its one image." << true;
    }
    void theDialogShowsWhatItHas()
    {
        QFETCH(QByteArray, original);
        QFETCH(QSize, picture);
        QFETCH(QString, text);
        QFETCH(bool, scrolls);
        std::optional<std::vector<std::uint8_t>> group;
        if (!original.isEmpty())
            group.emplace(original.begin(), original.end());
        catalogue::CatalogueEntry place;
        place.source = "/src/a.exe";
        TSourcesDialog dialog("Icon0009.ico", { place }, group, {});
        dialog.show();
        QVERIFY2(
            dialog.PictureText->text().startsWith(text), qPrintable(dialog.PictureText->text()));
        QCOMPARE(dialog.SaveFullIcon1->isEnabled(), group.has_value());
        QCOMPARE(dialog.Picture->pixmap().size(), picture.isValid() ? picture : QSize(0, 0));
        QVERIFY(dialog.SourceList->isColumnHidden(MemberColumn));
        QCOMPARE(dialog.Summary->text(), QString("Icon0009.ico was found in 1 place."));
        const QSize frame = dialog.PictureFrame->size();
        QVERIFY(frame.width() <= kLargestShownPicture + 2 * dialog.PictureFrame->frameWidth());
        QCOMPARE(dialog.PictureFrame->horizontalScrollBarPolicy(),
            scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    }

private:
    kit::ScratchFolder m_dir;
    QString m_folder; // five icons, two with sources
    QString m_plain; // three icons, no catalogue
    QString m_damaged; // three icons beside a damaged catalogue
    QString m_out; // where full icons are saved
    const Bytes m_small = OriginalGroup(48, 48, 1);
    const Bytes m_large = OriginalGroup(96, 80, 2);
};

QTEST_MAIN(ViewerSourcesTest)
#include "ViewerSourcesTest.moc"
