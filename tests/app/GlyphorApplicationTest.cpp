#include "app/GlyphorApplication.h"
#include "AnswerBoxes.h"
#include "AppTestMain.h"
#include "controls/ErrorBox.h"
#include "files/NativePath.h"
#include "util/Error.h"

#include <QTest>

#include <functional>
#include <stdexcept>

using namespace glyphor;

namespace {

// A widget whose mouse press runs a given handler, as a window's event
// handler would.
class HandlerWidget : public QWidget {
public:
    std::function<void()> handler;

protected:
    void mousePressEvent(QMouseEvent*) override { handler(); }
};

} // namespace

class GlyphorApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void exceptionFromEventHandlerShowsErrorBox_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("program error") << 0 << "Icon image is not valid"
                                       << "Icon image is not valid.";
        QTest::newRow("I/O error") << 1 << "No such file or directory"
                                   << "No such file or directory.";
        QTest::newRow("ends in period") << 2 << "Cannot open it."
                                        << "Cannot open it.";
        QTest::newRow("ends in slash") << 0 << "Cannot create file /tmp/"
                                       << "Cannot create file /tmp/.";
        QTest::newRow("ends in bracket") << 2 << "Copy Failed (202)"
                                         << "Copy Failed (202)";
        // The icon file writer names a file by its bytes; those that are not
        // UTF-8 are shown marked.
        QTest::newRow("name not UTF-8")
            << 0 << files::FromNativePath("Cannot create file /tmp/caf\xE9.ico")
            << "Cannot create file /tmp/caf\\xE9.ico.";
    }

    void exceptionFromEventHandlerShowsErrorBox()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        HandlerWidget widget;
        widget.handler = [&] {
            const std::string text = files::ToNativePath(message);
            if (kind == 0)
                throw Error(text);
            if (kind == 1)
                throw EInOutError(text);
            throw std::runtime_error(text);
        };
        widget.show();
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        QTest::mouseClick(&widget, Qt::LeftButton);

        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.title, QString("Glyphor 2 - a Tarnwell utility"));
        QCOMPARE(seen.text, shown);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void guardedHandlerShowsTheSameBoxAndReturns()
    {
        SeenBox seen;
        QTimer answer;
        AnswerBoxes(answer, seen);
        Guarded([] { throw EInOutError("Permission denied"); });
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.text, QString("Permission denied."));
    }

    void titleNamesProductFirst()
    {
        QVERIFY(ApplicationTitle().startsWith("Glyphor 2 - "));
        QCOMPARE(QApplication::organizationName(), QString("Tarnwell"));
        QCOMPARE(QApplication::applicationName(), QString("Glyphor2"));
    }

    void windowCaptionsAreLeftAsSet()
    {
        // A display name of its own is appended by the X11 and Windows
        // platforms to the caption of every window, the main window's and
        // the stop questions' included; without one it is the plain name.
        QCOMPARE(QApplication::applicationDisplayName(), QApplication::applicationName());
    }
};

G2_APP_TEST_MAIN(GlyphorApplicationTest)

#include "GlyphorApplicationTest.moc"
