#include "app/TForm1.h"

#include "app/BusyAnimation.h"
#include "app/FolderCommands.h"
#include "app/FramedGroupBox.h"
#include "app/GlyphorApplication.h"
#include "app/HarvestController.h"
#include "app/HiddenHelpers.h"
#include "app/TAboutBox.h"
#include "app/TForm1Host.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TDriveComboBox.h"
#include "browse/TFileListBox.h"
#include "controls/CentreOnScreen.h"
#include "controls/DialogFit.h"
#include "controls/ProgramIcon.h"
#include "controls/TGradientCaption.h"
#include "controls/TIconComboBox.h"
#include "help/HelpBook.h"
#include "help/HelpRequest.h"
#include "platform/SettingsStore.h"
#include "util/Error.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcutEvent>
#include <QStatusBar>

namespace glyphor {

namespace {

// The window's text size: the system's own face at 8 points, which is what
// the fixed layout was measured for.
QFont FormFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : TForm1(nullptr, parent)
{
}

TForm1::TForm1(const IconProvider& icons, QWidget* parent)
    : TForm1(&icons, parent)
{
}

TForm1::TForm1(const IconProvider* icons, QWidget* parent)
    : QMainWindow(parent)
    , m_platformIcons(icons ? nullptr : std::make_unique<PlatformIconProvider>())
    , m_icons(icons ? *icons : *m_platformIcons)
    , m_browsers([](const std::function<void()>& work) { Guarded(work); })
    , m_viewers([this] {
        return DestinationListing { m_browsers.destFiles.directory(),
            m_browsers.destFiles.items() };
    })
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Glyphor 2"));
    setWindowIcon(ProgramIcon());
    setFont(FormFont());
    // A single fixed frame with minimize and close but no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(client);

    ListBox1 = new QListWidget(client);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 352, 145, 25);
    ListBox1->setSortingEnabled(true);
    HideFromScreenReaders(*ListBox1);

    GroupBox1 = new FramedGroupBox(QStringLiteral("Source Drive"), client);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(4, 2, 425, 167);
    GroupBox2 = new FramedGroupBox(QStringLiteral("Destination Drive"), client);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(4, 178, 425, 167);

    Label1 = new QStatusBar(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setSizeGripEnabled(false);
    Label1->setFixedHeight(kStatusBarHeight);
    m_statusText = new QLabel(m_status, Label1);
    Label1->addWidget(m_statusText, 1);
    setStatusBar(Label1);

    buildSourceGroup();
    buildDestinationGroup();
    buildMenus();
    chainTabOrder();
    nameForScreenReaders();

    // The window keeps the size of its layout: the client area plus the menu.
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, menuHeight + kClientHeight);
    buildCaption();

    FormCreate();
    m_viewers.create(); // one viewer window from the start, never shown
}

TForm1::~TForm1()
{
    // The browser widgets show models that are members of this window, and
    // so go before the children would: the widgets go first.
    delete takeCentralWidget();
}

QPushButton* TForm1::makeButton(
    QWidget* parent, const QString& caption, int helpContext, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setProperty("helpContext", helpContext);
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this, [this, button](const QPoint& at) {
        // The popup speaks of the button it was opened on, so that button
        // takes the focus first, as a mouse-up over it would give it.
        ButtonMouseUp(button);
        PopupMenu1->popup(button->mapToGlobal(at));
    });
    button->installEventFilter(this);
    return button;
}

void TForm1::buildSourceGroup()
{
    DriveComboBox1 = new TDriveComboBox(GroupBox1);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(8, 142, 178, 19);

    FileListBox1 = new TFileListBox(GroupBox1, &m_browsers.sourceFiles);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(192, 16, 161, 145);

    Button1 = makeButton(GroupBox1, QStringLiteral("Scan &Tree"), 6, { 358, 106, 62, 25 });
    Button1->setObjectName(QStringLiteral("Button1"));
    Button4 = makeButton(GroupBox1, QStringLiteral("Scan &File"), 5, { 358, 136, 62, 25 });
    Button4->setObjectName(QStringLiteral("Button4"));

    DirectoryListBox1 = new TDirectoryListBox(GroupBox1, &m_browsers.sourceDirs);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(8, 16, 177, 121);

    // The two scratch images come before the picker so that it covers them.
    IconHolder = new QLabel(GroupBox1);
    IconHolder->setObjectName(QStringLiteral("IconHolder"));
    IconHolder->setGeometry(362, 18, 32, 32);
    Image1 = new QLabel(GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(384, 24, 33, 33);
    // The picker covers them whole; they are never the user's to see.
    HideFromScreenReaders(*IconHolder);
    HideFromScreenReaders(*Image1);

    IconComboBox1 = new TIconComboBox(GroupBox1);
    IconComboBox1->setObjectName(QStringLiteral("IconComboBox1"));
    IconComboBox1->setGeometry(358, 16, 61, 44);
    IconComboBox1->setEnabled(false);
    IconComboBox1->setCurrentIndex(-1);

    Button6 = makeButton(GroupBox1, QStringLiteral("Save &Icon"), 5, { 358, 64, 62, 25 });
    Button6->setObjectName(QStringLiteral("Button6"));

    connect(DriveComboBox1, &TDriveComboBox::changed, this, &TForm1::DriveComboBox1Change);
    connect(FileListBox1, &TFileListBox::itemClicked, this, &TForm1::FileListBox1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
}

void TForm1::buildDestinationGroup()
{
    DriveComboBox2 = new TDriveComboBox(GroupBox2);
    DriveComboBox2->setObjectName(QStringLiteral("DriveComboBox2"));
    DriveComboBox2->setGeometry(8, 142, 178, 19);

    FileListBox2 = new TFileListBox(GroupBox2, &m_browsers.destFiles);
    FileListBox2->setObjectName(QStringLiteral("FileListBox2"));
    FileListBox2->setGeometry(192, 16, 161, 145);

    Button2 = makeButton(GroupBox2, QStringLiteral("&Create Dir"), 10, { 358, 16, 62, 25 });
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = makeButton(GroupBox2, QStringLiteral("&Delete Dir"), 11, { 358, 47, 62, 25 });
    Button3->setObjectName(QStringLiteral("Button3"));
    Button5 = makeButton(GroupBox2, QStringLiteral("&View Dir"), 12, { 358, 78, 62, 25 });
    Button5->setObjectName(QStringLiteral("Button5"));

    DirectoryListBox2 = new TDirectoryListBox(GroupBox2, &m_browsers.destDirs);
    DirectoryListBox2->setObjectName(QStringLiteral("DirectoryListBox2"));
    DirectoryListBox2->setGeometry(8, 16, 177, 121);

    Animate1 = new BusyAnimation(GroupBox2);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setGeometry(366, 108, BusyAnimation::kWidth, BusyAnimation::kHeight);
    Animate1->setStopFrame(23);
    Animate1->hide();

    connect(DriveComboBox2, &TDriveComboBox::changed, this, &TForm1::DriveComboBox2Change);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
}

void TForm1::buildMenus()
{
    Options1 = menuBar()->addMenu(QStringLiteral("&Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    OtherSources1 = Options1->addAction(
        QStringLiteral("Other Icon &Sources (.icl .cpl .ocx .scr .drv .mun .ax .ico)"));
    OtherSources1->setObjectName(QStringLiteral("OtherSources1"));
    OtherSources1->setCheckable(true);
    OtherSources1->setProperty("helpContext", 32);
    Archives1 = Options1->addAction(QStringLiteral("Look Inside &Archives"));
    Archives1->setObjectName(QStringLiteral("Archives1"));
    Archives1->setCheckable(true);
    Archives1->setProperty("helpContext", 32);
    connect(OtherSources1, &QAction::triggered, this, &TForm1::OtherSources1Click);
    connect(Archives1, &QAction::triggered, this, &TForm1::Archives1Click);

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help2 = Help1->addAction(QStringLiteral("&Help Topics"));
    Help2->setObjectName(QStringLiteral("Help2"));
    Help2->setShortcut(Qt::Key_F1);
    // F1 anywhere in the window opens the contents, not the focused control's topic.
    Help2->setShortcutContext(Qt::WindowShortcut);
    Help2->setProperty("helpContext", 1);
    Help1->addSeparator();
    About1 = Help1->addAction(QStringLiteral("&About"));
    About1->setObjectName(QStringLiteral("About1"));
    connect(Help2, &QAction::triggered, this, &TForm1::Help2Click);
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    WhatsThis1 = PopupMenu1->addAction(QStringLiteral("Whats This?"));
    WhatsThis1->setObjectName(QStringLiteral("WhatsThis1"));
    connect(WhatsThis1, &QAction::triggered, this, &TForm1::WhatsThis1Click);
}

// The title bar shades from purple to the desktop's title-bar colour, with
// the maker's name in bold italic, a bold dash and the window's caption. It
// is made last: it adds its frame around the window's finished size.
void TForm1::buildCaption()
{
    GradientCaption1 = new TGradientCaption(this);
    GradientCaption1->setObjectName(QStringLiteral("GradientCaption1"));
    GradientCaption1->setColor(qRgb(0x80, 0x00, 0x80));
    GradientCaption1->companyText()->setCaption(QStringLiteral("Tarnwell Developments"));
    GradientCaption1->companyText()->setFontKind(TCompanyText::fkSystemBI);
    GradientCaption1->appNameText()->setCaption(QStringLiteral("-"));
    GradientCaption1->appNameText()->setFontKind(TCompanyText::fkSystemB);
    GradientCaption1->captionText()->setCaption(QStringLiteral("Glyphor 2"));
    GradientCaption1->captionText()->setFontKind(TCompanyText::fkSystem);
}

// What screen readers call the controls whose look says what they are: the
// lists have no caption of their own, and the group boxes' titles name only
// the drive.
void TForm1::nameForScreenReaders()
{
    DirectoryListBox1->setAccessibleName(QStringLiteral("Source folders"));
    FileListBox1->setAccessibleName(QStringLiteral("Source files"));
    DriveComboBox1->setAccessibleDescription(QStringLiteral("Source drive"));
    IconComboBox1->setAccessibleName(QStringLiteral("Icon picker"));
    IconComboBox1->setAccessibleDescription(
        QStringLiteral("The icons of the file selected in the source files"));
    DirectoryListBox2->setAccessibleName(QStringLiteral("Destination folders"));
    FileListBox2->setAccessibleName(QStringLiteral("Destination files"));
    DriveComboBox2->setAccessibleDescription(QStringLiteral("Destination drive"));
    Animate1->setAccessibleName(QStringLiteral("Harvest in progress"));
    Label1->setAccessibleName(QStringLiteral("Status"));
}

void TForm1::chainTabOrder()
{
    const QWidget* order[] = { ListBox1, DriveComboBox1, FileListBox1, Button1, Button4,
        DirectoryListBox1, IconComboBox1, Button6, DriveComboBox2, FileListBox2, Button2, Button3,
        Button5, DirectoryListBox2 };
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void TForm1::FormCreate()
{
    // Found from the executable's folder, never the current one, so that a
    // program started from anywhere finds its help.
    m_helpFile = help::FindHelpFile(QCoreApplication::applicationDirPath());
    // A stored count that is not a number is reported and the count starts
    // from 0; the window opens as usual, and its close overwrites the value.
    // The file is read once for all it holds.
    const platform::StoredSettings settings = platform::SettingsStore().load();
    ExtractedCount.start(settings.count);
    OtherSources1->setChecked(settings.otherIconSources);
    Archives1->setChecked(settings.lookInsideArchives);
    if (!settings.countError.empty())
        Guarded([&] { throw Error(settings.countError); });
    Guarded([this] { m_browsers.sourceFiles.setMask(sourceKinds().mask()); });
}

SourceKinds TForm1::sourceKinds() const
{
    return OtherSources1->isChecked() ? SourceKinds::All() : SourceKinds();
}

void TForm1::OtherSources1Click()
{
    Guarded([this] {
        m_browsers.sourceFiles.setMask(sourceKinds().mask());
        platform::SettingsStore().storeOption(
            platform::kOtherIconSourcesKey, OtherSources1->isChecked());
    });
}

void TForm1::Archives1Click()
{
    Guarded([this] {
        platform::SettingsStore().storeOption(
            platform::kLookInsideArchivesKey, Archives1->isChecked());
    });
}

void TForm1::FormCloseQuery()
{
    // The close is never refused, not even when the count cannot be stored:
    // the user learns from the box that this session's icons were not counted.
    keepCount();
    m_viewers.destroyAll();
    QCoreApplication::quit();
}

void TForm1::keepCount()
{
    // Only this window's own extractions are added to the total stored now:
    // another window of the program may have added its own since this one
    // loaded it. What is added is then counted as stored.
    Guarded([this] {
        ExtractedCount.start(platform::SettingsStore().addToCount(ExtractedCount.added()));
    });
}

void TForm1::setStopQuestion(QMessageBox* box)
{
    m_stopQuestion = box;
}

void TForm1::showFolder(Browser browser, const QString& folder)
{
    const bool source = browser == Browser::Source;
    TDirectoryListBox* folders = source ? DirectoryListBox1 : DirectoryListBox2;
    // The folder first: the drive list's change then finds the folder list
    // already on that volume and leaves it there.
    folders->setDirectory(folder);
    (source ? DriveComboBox1 : DriveComboBox2)->setDrive(folders->drive());
}

void TForm1::setStatusText(const QString& text)
{
    m_status = text;
    m_painting.changed();
    emit statusTextChanged(text);
}

void TForm1::showStatusText()
{
    if (m_statusText->text() != m_status)
        m_statusText->setText(m_status);
}

void TForm1::DriveComboBox1Change()
{
    Guarded([this] { DirectoryListBox1->setDrive(DriveComboBox1->drive()); });
}

void TForm1::DriveComboBox2Change()
{
    Guarded([this] { DirectoryListBox2->setDrive(DriveComboBox2->drive()); });
}

void TForm1::FileListBox1Click()
{
    Guarded([this] { IconComboBox1->setFileName(FileListBox1->fileName()); });
}

// Scan Tree, and Stop while a scan runs.
void TForm1::Button1Click()
{
    harvestClick(&HarvestController::scanTreeClick);
}

// Scan File, and Stop while it runs.
void TForm1::Button4Click()
{
    harvestClick(&HarvestController::scanFileClick);
}

void TForm1::harvestClick(void (HarvestController::*click)())
{
    if (m_run) {
        // Nested in a pump of the run: a stop click, which only records the
        // request for the run's next check.
        Guarded([&] { (m_run->*click)(); });
        return;
    }
    if (m_closeRequested)
        return;
    QPointer<TForm1> self(this);
    TForm1Host host(*this);
    HarvestController run(host, m_browsers, Capture, m_icons);
    run.setKinds(sourceKinds());
    run.setArchives(Archives1->isChecked());
    m_run = &run;
    std::exception_ptr failure;
    try {
        (run.*click)();
    } catch (...) {
        failure = std::current_exception();
    }
    // Nothing of a window destroyed during the run may be touched.
    if (!self)
        return;
    m_run = nullptr;
    if (m_closeRequested) {
        // The run has stopped for the close that arrived during it; the
        // collected icons wait in the temporary folder for the next run.
        m_closeRequested = false;
        close();
        return;
    }
    // The run has brought the window back to idle before raising its error.
    if (failure) {
        ShowHandlerError(failure);
        return;
    }
    // Icons that could not be captured were named one by one in the status
    // bar as the run went; at the end the user is told how many, once.
    if (const QString summary = run.skippedSummary(); !summary.isEmpty())
        ShowMessageBox(QMessageBox::Information, QStringLiteral("Information"), summary, this);
}

// Save Icon: the picker's icon straight into the destination folder, under
// the next free name, with where it came from in the folder's catalogue; no
// status text (but why a catalogue is not kept), no count and no duplicate
// check.
void TForm1::Button6Click()
{
    Guarded([this] {
        QStringList notices;
        SaveIconKeepingSource(Capture, m_icons, DirectoryListBox2->directory(),
            IconComboBox1->currentIndex(), IconComboBox1->fileName(), notices);
        FileListBox2->reread();
        // Why the catalogue is not kept, when it is not; the icon is saved.
        if (!notices.isEmpty())
            setStatusText(notices.join(QLatin1Char(' ')));
    });
}

// Create Dir: a folder made inside the destination folder, which moves there.
void TForm1::Button2Click()
{
    Guarded([this] { CreateDir(*DirectoryListBox2, this); });
}

// Delete Dir: the destination folder removed if empty, the lists on its parent.
void TForm1::Button3Click()
{
    Guarded([this] { DeleteDir(*DirectoryListBox2, this); });
}

// View Dir: another viewer window each time; earlier ones stay as they are.
void TForm1::Button5Click()
{
    TfrmView* viewer = m_viewers.create();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

// The help's contents, also by F1 anywhere in the window.
void TForm1::Help2Click()
{
    help::RequestHelp(help::HelpCommand::Finder);
}

// A new box each time, showing the total as it stands now.
void TForm1::About1Click()
{
    TAboutBox box(ExtractedCount, this);
    box.exec();
}

// The topic of the control that has the focus: the button the popup was
// opened on, which took the focus when the mouse button was released on it.
void TForm1::WhatsThis1Click()
{
    const QWidget* focused = focusWidget();
    help::RequestHelp(
        help::HelpCommand::Context, focused ? focused->property("helpContext").toInt() : 0);
}

void TForm1::ButtonMouseUp(QPushButton* button)
{
    button->setFocus(Qt::MouseFocusReason);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && button->isEnabled())
            ButtonMouseUp(button);
    }
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        // Alt and a button's letter click it at once, as on the desktop the
        // program comes from; the toolkit would show the button pressed for
        // a tenth of a second first, and a scan would start that much later.
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !m_activated) {
        m_activated = true;
        DriveComboBox1->setFocus(Qt::ActiveWindowFocusReason);
    }
    return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        CentreOnScreen(*this);
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_run) {
        // A run holds this window's controls and models until its handler
        // returns, so the close waits for that: the run stops at its next
        // check without a question (an open one is answered Cancel), and the
        // handler closes the window when the run has returned.
        m_closeRequested = true;
        if (m_stopQuestion)
            m_stopQuestion->reject();
        event->ignore();
        return;
    }
    // The close is never refused. The running total is stored and the viewer
    // windows destroyed; then the application ends.
    FormCloseQuery();
    event->accept();
}

} // namespace glyphor
