#include "viewer/TfrmView.h"

#include "controls/CentreOnScreen.h"
#include "controls/ErrorBox.h"
#include "controls/ProgramIcon.h"
#include "controls/TIconComboBox.h"
#include "files/NativePath.h"
#include "help/HelpRequest.h"
#include "platform/FileSystem.h"
#include "viewer/IconSources.h"
#include "viewer/SaveFullIcon.h"
#include "viewer/TSourcesDialog.h"
#include "viewer/ViewerItemDelegate.h"
#include "viewer/ViewerItems.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QUrl>

namespace glyphor {

namespace {

const QString kStop = QStringLiteral("&Stop");
const QString kClose = QStringLiteral("&Close");

// Panels of the status bar: the count, a fixed label and the path, which
// takes the rest of the bar.
constexpr int kCountPanelWidth = 80;
constexpr int kSelectedPanelWidth = 60;
constexpr int kStatusBarHeight = 22;

// The places panel's text: nothing for an icon without sources.
QString PlacesText(std::size_t count)
{
    if (count == 0)
        return {};
    if (count == 1)
        return QStringLiteral("Found in 1 place");
    return QStringLiteral("Found in %1 places").arg(count);
}

// Each item's cell: a picture with a line of text under it, at least as wide
// as a harvested icon's name needs in the window's font.
constexpr QSize kGridSize(76, 56);

QSize GridSize(const QFontMetrics& metrics)
{
    const int name = metrics.horizontalAdvance(QStringLiteral("Icon0000.ico")) + 14;
    return { std::max(kGridSize.width(), name), kGridSize.height() };
}

} // namespace

TfrmView::TfrmView(DestinationSource destination, QWidget* parent)
    : QMainWindow(parent)
    , m_destination(std::move(destination))
    , m_painting(*this, [this] { Items->publishImages(); })
{
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("Icon View"));
    setWindowIcon(ProgramIcon());
    QFont font = QApplication::font();
    font.setPointSize(8);
    setFont(font);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);

    Items = new ViewerItems(this);
    ListView1 = new QListView(client);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(1, 1, 423, 275);
    // Large icons arranged automatically: names under the pictures, rows
    // wrapping to the width and laid out again when it changes.
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setMovement(QListView::Static);
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setIconSize(QSize(kIconSize, kIconSize));
    ListView1->setGridSize(GridSize(ListView1->fontMetrics()));
    ListView1->setUniformItemSizes(true);
    ListView1->setWordWrap(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(
        QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    ListView1->setModel(Items);
    ListView1->setItemDelegate(new ViewerItemDelegate(ListView1));
    ListView1->setAccessibleName(QStringLiteral("Icon files"));
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    StatusBar1->setFixedHeight(kStatusBarHeight);
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    const QString designed[4]
        = { QStringLiteral("Icons : "), QStringLiteral("Selected : "), QString(), QString() };
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(designed[i], StatusBar1);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
    }
    m_panels[0]->setFixedWidth(kCountPanelWidth);
    m_panels[1]->setFixedWidth(kSelectedPanelWidth);
    // A long path is cut at the bar's end rather than widening the window.
    m_panels[2]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar1->addWidget(m_panels[0]);
    StatusBar1->addWidget(m_panels[1]);
    StatusBar1->addWidget(m_panels[2], 1);
    // The places of the selected icon, at the bar's end, as wide as its text
    // needs (the path gives up the rest); shown only for a folder that has
    // a catalogue.
    m_panels[3]->setAccessibleName(QStringLiteral("Places of the selected icon"));
    m_panels[3]->setMinimumWidth(kSelectedPanelWidth);
    m_panels[3]->hide();
    StatusBar1->addWidget(m_panels[3]);
    setStatusBar(StatusBar1);

    buildMenus();
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TfrmView::SelectionChange);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });

    resize(kViewerClientWidth, menuBar()->sizeHint().height() + kViewerClientHeight);
    ListView1->setFocus();
    FormCreate();
}

TfrmView::~TfrmView() = default;

void TfrmView::buildMenus()
{
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    Close2 = File1->addAction(kStop);
    Close2->setObjectName(QStringLiteral("Close2"));
    Close2->setProperty("helpContext", 15);
    File1->addSeparator();
    Refresh1 = File1->addAction(QStringLiteral("&Refresh"));
    Refresh1->setObjectName(QStringLiteral("Refresh1"));
    Refresh1->setShortcut(Qt::Key_F5);

    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    CopyFileName2 = Edit1->addAction(QStringLiteral("&Copy File Name"));
    CopyFileName2->setObjectName(QStringLiteral("CopyFileName2"));
    CopyFileName2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CopyFileName2->setProperty("helpContext", 13);
    ExploreDirectory1 = Edit1->addAction(QStringLiteral("&Explore Directory"));
    ExploreDirectory1->setObjectName(QStringLiteral("ExploreDirectory1"));
    ExploreDirectory1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    ExploreDirectory1->setProperty("helpContext", 14);
    Edit1->addSeparator();
    Sources1 = Edit1->addAction(QStringLiteral("&Sources..."));
    Sources1->setObjectName(QStringLiteral("Sources1"));
    Sources1->setProperty("helpContext", 30);
    SaveFullIconAs1 = Edit1->addAction(QStringLiteral("Save &Full Icon As..."));
    SaveFullIconAs1->setObjectName(QStringLiteral("SaveFullIconAs1"));
    SaveFullIconAs1->setProperty("helpContext", 31);

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = Help1->addAction(QStringLiteral("&Help"));
    Help2->setObjectName(QStringLiteral("Help2"));
    Help2->setShortcut(Qt::Key_F1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    CopyFileName1 = PopupMenu1->addAction(QStringLiteral("&Copy File Name"));
    CopyFileName1->setObjectName(QStringLiteral("CopyFileName1"));
    PopupMenu1->addAction(Sources1);

    connect(Close2, &QAction::triggered, this, &TfrmView::Close2Click);
    connect(Refresh1, &QAction::triggered, this, &TfrmView::Refresh1Click);
    connect(CopyFileName2, &QAction::triggered, this, &TfrmView::CopyFileName2Click);
    connect(ExploreDirectory1, &QAction::triggered, this, &TfrmView::ExploreDirectory1Click);
    connect(Sources1, &QAction::triggered, this, &TfrmView::Sources1Click);
    connect(SaveFullIconAs1, &QAction::triggered, this, &TfrmView::SaveFullIconAs1Click);
    connect(Help2, &QAction::triggered, this, &TfrmView::Help2Click);
    connect(CopyFileName1, &QAction::triggered, this, &TfrmView::CopyFileName1Click);
}

void TfrmView::FormCreate()
{
    fill();
}

void TfrmView::fill()
{
    const DestinationListing listing = m_destination ? m_destination() : DestinationListing {};
    m_folder = listing.folder;
    // The catalogues are read afresh with the folder, so that a refresh
    // also finds one that a harvest has started since.
    m_sources = std::make_unique<IconSources>(m_folder);
    Items->fill(listing.names);
    m_panels[0]->setText(QStringLiteral("Icons :") + QString::number(Items->count()));
    // The fill leaves nothing selected, and says so to no one.
    SelectionChange();
}

QString TfrmView::pathOf(int item) const
{
    return platform::JoinPath(m_folder, Items->caption(item));
}

QString TfrmView::filePathOf(int item) const
{
    return platform::JoinPath(m_folder, Items->fileName(item));
}

QString TfrmView::panelText(int panel) const
{
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}

int TfrmView::selectedItem() const
{
    const QModelIndexList selected = ListView1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString TfrmView::selectedPath() const
{
    const int item = selectedItem();
    return item < 0 ? QString() : pathOf(item);
}

void TfrmView::SelectionChange()
{
    const int item = selectedItem();
    const IconSourcesFound found
        = item < 0 || !m_sources ? IconSourcesFound {} : m_sources->lookup(filePathOf(item));
    m_panels[3]->setText(PlacesText(found.places.size()));
    // A catalogue that cannot be read is no reason to interrupt the user;
    // the panel's tip and the Sources dialog name it.
    const QStringList problems = m_sources ? m_sources->problems() : QStringList();
    m_panels[3]->setToolTip(problems.join(QLatin1Char('\n')));
    m_panels[3]->setVisible(m_sources && m_sources->found());
    Sources1->setEnabled(!found.places.empty());
    SaveFullIconAs1->setEnabled(!found.places.empty() && found.originalKept);
}

void TfrmView::FormActivate()
{
    if (m_destroying)
        return;
    if (!m_loadBegun) {
        m_loadBegun = true;
        m_load.load();
        return;
    }
    // Coming back to the window selects the first item again, and loads
    // nothing: the pictures already match the items.
    activate();
}

void TfrmView::FormResize()
{
    // The list follows the outer size of the window, but never reaches
    // under the status bar, where its last row could not be seen.
    const QRect outer = frameGeometry();
    const QWidget* client = centralWidget();
    const int width = std::min(outer.width() - 10, client->width() - ListView1->x());
    const int height = std::min(outer.height() - 72, client->height() - ListView1->y());
    ListView1->resize(std::max(width, 0), std::max(height, 0));
}

void TfrmView::Close2Click()
{
    if (Close2->text() == kStop)
        m_load.stop();
    else
        destroyWindow();
}

void TfrmView::Refresh1Click()
{
    if (m_load.running()) {
        // The running load is further down the call stack, inside a pump:
        // it starts again at the first of the new items when the pump
        // returns, instead of appending pictures of the old ones.
        m_load.restart();
        Items->clear();
        fill();
        return;
    }
    m_loadBegun = true;
    Items->clear();
    fill();
    m_load.load();
}

void TfrmView::CopyFileName1Click()
{
    CopyFileName2Click();
}

void TfrmView::CopyFileName2Click()
{
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    // Text cannot carry the bytes of a name that is not valid UTF-8; such
    // a path goes as it is shown, with those bytes marked.
    QGuiApplication::clipboard()->setText(files::DisplayPath(path));
}

void TfrmView::ExploreDirectory1Click()
{
    // The URL carries the folder's own bytes, so a name that is not valid
    // UTF-8 reaches the file browser unchanged. What the browser makes of a
    // folder that has gone is its own affair.
    const QByteArray bytes = QByteArray::fromStdString(files::ToNativePath(m_folder));
    QDesktopServices::openUrl(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/")));
}

void TfrmView::Sources1Click()
{
    const int item = selectedItem();
    if (item < 0 || !m_sources)
        return;
    // Asked again rather than taken from the selection's lookup: a harvest
    // may have found the icon in more places since.
    const IconSourcesFound found = m_sources->lookup(filePathOf(item));
    if (found.places.empty()) {
        SelectionChange();
        return;
    }
    std::optional<std::vector<std::uint8_t>> original;
    if (found.originalKept)
        original = m_sources->original(*found.hash);
    // The icon file's picture goes beside the original, once it is loaded.
    auto* dialog = new TSourcesDialog(Items->fileName(item), found.places, std::move(original),
        m_sources->problems(), Items->image(item), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to this window only, and without an event loop of its own: a
    // load that is running goes on, and the window may go while it is open.
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

void TfrmView::SaveFullIconAs1Click()
{
    const int item = selectedItem();
    if (item < 0 || !m_sources)
        return;
    const QString name = Items->fileName(item);
    const IconSourcesFound found = m_sources->lookup(filePathOf(item));
    std::optional<std::vector<std::uint8_t>> original;
    if (found.hash)
        original = m_sources->original(*found.hash);
    if (!original) {
        SelectionChange();
        ShowErrorBox(this,
            QStringLiteral("No original of ") + files::DisplayPath(filePathOf(item))
                + QStringLiteral(" is kept in the catalogue"));
        return;
    }
    // The file dialog runs an event loop of its own, in which this window
    // may go: nothing of it is used after.
    SaveFullIconAs(this, name, std::move(*original));
}

void TfrmView::Help2Click()
{
    help::RequestHelp(help::HelpCommand::Finder);
}

void TfrmView::ListView1Click()
{
    // No path while the pictures load: the panel would lag behind the list.
    if (Close2->text() == kStop)
        return;
    m_panels[2]->setText(files::DisplayPath(selectedPath()));
}

void TfrmView::ListView1KeyUp()
{
    ListView1Click();
}

void TfrmView::destroyWindow()
{
    m_destroying = true;
    m_load.stop();
    hide();
    deleteLater();
}

int TfrmView::itemCount() const
{
    return Items->count();
}

QString TfrmView::itemPath(int item) const
{
    // The caption may have been edited in place meanwhile; the picture is
    // the file's.
    return filePathOf(item);
}

void TfrmView::appendImage(const IconImage& icon)
{
    Items->appendImage(IconPixmap(icon));
    m_painting.changed();
}

void TfrmView::setStopCaption(bool loading)
{
    Close2->setText(loading ? kStop : kClose);
    // The end of a load shows every picture at once.
    if (loading)
        m_painting.begin();
    else
        m_painting.end();
}

bool TfrmView::activate()
{
    if (Items->count() > 0)
        ListView1->setCurrentIndex(Items->index(0));
    ListView1->setFocus(Qt::ActiveWindowFocusReason);
    return pump();
}

bool TfrmView::pump()
{
    QPointer<TfrmView> self(this);
    emit pumping(Items->imageCount());
    if (self && !m_destroying)
        QCoreApplication::processEvents();
    return self && !self->m_destroying;
}

void TfrmView::showError(const QString& message)
{
    ShowErrorBox(this, message);
}

bool TfrmView::event(QEvent* event)
{
    // The activation is handled once the toolkit has finished activating
    // the window, so that a load never runs inside the activation itself.
    if (event->type() == QEvent::WindowActivate)
        QMetaObject::invokeMethod(this, &TfrmView::FormActivate, Qt::QueuedConnection);
    return QMainWindow::event(event);
}

bool TfrmView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1 && event->type() == QEvent::KeyRelease) {
        ListView1KeyUp();
    } else if (watched == ListView1->viewport()) {
        // A click beside every item leaves none selected, as in the list
        // views of the desktop; the release then empties the path panel.
        if (event->type() == QEvent::MouseButtonPress
            && !ListView1->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint())
                    .isValid())
            ListView1->clearSelection();
        else if (event->type() == QEvent::MouseButtonRelease)
            ListView1Click();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmView::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        CentreOnScreen(*this);
    }
    QMainWindow::showEvent(event);
}

void TfrmView::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmView::closeEvent(QCloseEvent* event)
{
    // A close request during a load only ends the load; once it has ended
    // the window is hidden, and stays in existence until its maker destroys
    // it (told by closed()).
    if (m_load.state() != LoadState::LoadEnded) {
        m_load.stop();
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

} // namespace glyphor
