// The window at the engine's speed: a run that sets thousands of status texts
// a second is painted at a steady pace, each paint with the latest text, and
// the destination list takes each copy of the merge as one new row.
#include "AppTestMain.h"
#include "FormDriving.h"
#include "app/TForm1.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TFileListBox.h"
#include "kit/FakeIconProvider.h"
#include "kit/NativeFiles.h"
#include "kit/ScanFolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <optional>

using namespace glyphor;
using glyphor::kit::FakeIconProvider;
using glyphor::kit::MakeIcon;
using glyphor::test::Click;
using glyphor::test::ShowWith;

namespace {

// The paints of one widget: when, and the text it and the window held then.
class PaintLog : public QObject {
public:
    struct Paint {
        qint64 atNs;
        QString shown;
        QString latest;
    };

    PaintLog(QLabel* label, const TForm1& form, const QElapsedTimer& clock)
        : m_label(label)
        , m_form(form)
        , m_clock(clock)
    {
        label->installEventFilter(this);
    }
    QList<Paint> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint)
            paints.append({ m_clock.nsecsElapsed(), m_label->text(), m_form.statusText() });
        return false;
    }

private:
    QLabel* m_label;
    const TForm1& m_form;
    const QElapsedTimer& m_clock;
};

} // namespace

class TForm1PaintingTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QSettings("Tarnwell", "Glyphor2").remove("Count");
        m_folders.emplace();
        m_destPath = m_folders->destination();
        m_root = m_folders->path();
        QDir::setCurrent(m_root);
    }

    void longRunIsPaintedAtASteadyPaceWithTheLatestText()
    {
        // 2000 executables of four icons each, every one a picture of its
        // own: about 10,000 status texts a second, far more than anyone reads.
        FakeIconProvider icons;
        QStringList names;
        for (int i = 0; i < 2000; ++i) {
            names << QString("f%1.exe").arg(i, 4, 10, QChar('0'));
            icons.add(names.last(),
                { MakeIcon(4 * i), MakeIcon(4 * i + 1), MakeIcon(4 * i + 2), MakeIcon(4 * i + 3) });
        }
        // Empty files that the fake icon provider knows by name.
        kit::MakeFiles(m_root + "/many", names);
        TForm1 form(icons);
        showWith(form, m_root + "/many");
        auto* label = form.Label1->findChild<QLabel*>();
        QVERIFY(label);

        QElapsedTimer clock;
        clock.start();
        PaintLog log(label, form, clock);
        qint64 firstCapture = -1, lastCapture = -1;
        int captures = 0;
        connect(&form, &TForm1::statusTextChanged, [&](const QString& text) {
            if (!text.startsWith("Searching"))
                return;
            ++captures;
            lastCapture = clock.nsecsElapsed();
            if (firstCapture < 0)
                firstCapture = lastCapture;
        });
        Click(form, form.Button1);

        QCOMPARE(captures, 8000);
        // The run's end shows its last text at once, and paints it.
        QCOMPARE(label->text(), QString("Ready."));
        QTRY_VERIFY(!log.paints.isEmpty() && log.paints.last().shown == "Ready.");

        int during = 0;
        for (const PaintLog::Paint& paint : std::as_const(log.paints)) {
            QCOMPARE(paint.shown, paint.latest);
            during += paint.atNs >= firstCapture && paint.atNs <= lastCapture;
        }
        const double seconds = (lastCapture - firstCapture) / 1e9;
        const double rate = during / seconds;
        qInfo("%d paints of the status bar in %.3f s of captures: %.1f a second", during, seconds,
            rate);
        QVERIFY2(seconds > 0.3, qPrintable(QString("the captures took only %1 s").arg(seconds)));
        QVERIFY2(rate >= 30 && rate <= 62,
            qPrintable(
                QString("%1 paints in %2 s: %3 a second").arg(during).arg(seconds).arg(rate)));
        QVERIFY(!QFileInfo::exists(m_destPath + "/Temp"));
    }

    void destinationListGrowsByOneRowPerCopy()
    {
        // Twelve different pictures: each is copied into the empty
        // destination, one new row of the list per copy.
        FakeIconProvider icons;
        QStringList names;
        for (int i = 0; i < 12; ++i) {
            names << QString("g%1.exe").arg(i, 2, 10, QChar('0'));
            icons.add(names.last(), { MakeIcon(i) });
        }
        kit::MakeFiles(m_root + "/twelve", names);
        TForm1 form(icons);
        showWith(form, m_root + "/twelve");
        QAbstractItemModel* rows = form.FileListBox2->model();
        QStringList events;
        connect(
            rows, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
                events << QString("insert %1 rows, now %2")
                              .arg(last - first + 1)
                              .arg(rows->rowCount());
            });
        connect(rows, &QAbstractItemModel::modelReset, [&] { events << "reset"; });
        Click(form, form.Button1);

        QStringList inserts;
        for (int n = 1; n <= 12; ++n)
            inserts << QString("insert 1 rows, now %1").arg(n);
        QCOMPARE(events.filter("insert"), inserts);
        // Nothing reads the whole list between the first copy and the last;
        // the run may read it before the merge and reads it at its end.
        QCOMPARE(events.lastIndexOf(inserts.last()) - events.indexOf(inserts.first()), 11);
        QVERIFY2(events.count("reset") <= 2, qPrintable(events.join(", ")));
        const QStringList written
            = kit::WithoutCatalogue(QDir(m_destPath).entryList(QDir::Files, QDir::Name));
        QCOMPARE(written.size(), 12);
        QCOMPARE(form.FileListBox2->fileModel()->items(), written);
    }

private:
    void showWith(TForm1& form, const QString& source)
    {
        QVERIFY(ShowWith(form, source, m_destPath));
    }

    std::optional<kit::ScanFolders> m_folders;
    QString m_root, m_destPath;
};

G2_APP_TEST_MAIN(TForm1PaintingTest)

#include "TForm1PaintingTest.moc"
