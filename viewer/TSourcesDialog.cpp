#include "viewer/TSourcesDialog.h"

#include "controls/TIconComboBox.h"
#include "files/NativePath.h"
#include "help/HelpRequest.h"
#include "viewer/OriginalImage.h"
#include "viewer/SaveFullIcon.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace glyphor {

namespace {

// The help topic of the dialog, which F1 opens.
constexpr int kSourcesHelpContext = 30;

// The list shows this many rows before it scrolls, and is this wide.
constexpr int kListRows = 6;
constexpr int kListWidth = 600;
// The widest the member column starts, and the narrowest the file column
// is made to fit the list.
constexpr int kMaxMemberColumnWidth = 200;
constexpr int kSmallestFileColumnWidth = 160;
// The smallest the picture's frame is, so that a small original and the
// text beside it still balance.
constexpr int kSmallestPictureFrame = 96;

// Light squares behind the picture, so that its transparent parts show as
// such and a white icon still stands out.
QPixmap Checkerboard()
{
    constexpr int square = 8;
    QPixmap tile(2 * square, 2 * square);
    tile.fill(QColor(0xFF, 0xFF, 0xFF));
    QPainter p(&tile);
    const QColor grey(0xE6, 0xE6, 0xE6);
    p.fillRect(square, 0, square, square, grey);
    p.fillRect(0, square, square, square, grey);
    return tile;
}

QString Shown(const std::string& bytes)
{
    return files::DisplayPath(files::FromNativePath(bytes));
}

QString PlacesSentence(const QString& name, std::size_t count)
{
    if (count == 0)
        return name + QStringLiteral(" has no sources in the catalogue.");
    if (count == 1)
        return name + QStringLiteral(" was found in 1 place.");
    return name + QStringLiteral(" was found in %1 places.").arg(count);
}

QString DepthText(const OriginalImage& original)
{
    if (original.png)
        return QStringLiteral("PNG");
    if (original.bitCount > 0)
        return QStringLiteral("%1-bit").arg(original.bitCount);
    return QString();
}

// The time of a capture as the list shows it: local time, to the second,
// in an order that sorts and reads the same everywhere.
QString CaptureTimeText(std::int64_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

TSourcesDialog::TSourcesDialog(const QString& iconName,
    const std::vector<catalogue::CatalogueEntry>& places,
    std::optional<std::vector<std::uint8_t>> original, const QStringList& problems,
    const QPixmap& harvested, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_iconName(iconName)
    , m_original(std::move(original))
{
    setObjectName(QStringLiteral("SourcesDialog"));
    const QString shownName = files::DisplayPath(iconName);
    setWindowTitle(QStringLiteral("Sources of ") + shownName);
    setFont(parent ? parent->font() : QApplication::font());

    PictureFrame = new QScrollArea(this);
    PictureFrame->setObjectName(QStringLiteral("PictureFrame"));
    PictureFrame->setFrameShape(QFrame::StyledPanel);
    PictureFrame->setFrameShadow(QFrame::Sunken);
    PictureFrame->setAlignment(Qt::AlignCenter);
    PictureFrame->setWidgetResizable(false);
    QPalette checks = PictureFrame->viewport()->palette();
    checks.setBrush(QPalette::Window, QBrush(Checkerboard()));
    PictureFrame->viewport()->setPalette(checks);
    PictureFrame->viewport()->setAutoFillBackground(true);
    Picture = new QLabel;
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setAccessibleName(QStringLiteral("Original icon"));
    Picture->setAlignment(Qt::AlignCenter);
    PictureFrame->setWidget(Picture);

    Summary = new QLabel(PlacesSentence(shownName, places.size()), this);
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setWordWrap(true);
    QFont bold = font();
    bold.setBold(true);
    Summary->setFont(bold);
    auto* originalHeading = new QLabel(QStringLiteral("Original icon"), this);
    originalHeading->setFont(bold);
    PictureText = new QLabel(this);
    PictureText->setObjectName(QStringLiteral("PictureText"));
    PictureText->setWordWrap(true);
    PictureText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PictureText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* harvestedHeading = new QLabel(QStringLiteral("In this folder"), this);
    harvestedHeading->setFont(bold);
    Harvested = new QLabel(this);
    Harvested->setObjectName(QStringLiteral("Harvested"));
    Harvested->setAccessibleName(QStringLiteral("Icon file"));
    Harvested->setPixmap(harvested);
    Harvested->setFixedSize(harvested.isNull() ? QSize() : harvested.size());
    HarvestedText = new QLabel(
        shownName + (harvested.isNull() ? QString() : QStringLiteral(", as harvested")), this);
    HarvestedText->setObjectName(QStringLiteral("HarvestedText"));
    HarvestedText->setWordWrap(true);
    Harvested->setVisible(!harvested.isNull());

    SourceList = new QTreeWidget(this);
    SourceList->setObjectName(QStringLiteral("SourceList"));
    SourceList->setAccessibleName(QStringLiteral("Sources"));
    SourceList->setAccessibleDescription(
        QStringLiteral("Every place the icon was found: the file, the icon's index in it, the "
                       "archive member, the icon group and when it was captured"));
    SourceList->setRootIsDecorated(false);
    SourceList->setUniformRowHeights(true);
    SourceList->setAlternatingRowColors(true);
    SourceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The end of a path tells most: its folder and its name.
    SourceList->setTextElideMode(Qt::ElideLeft);
    SourceList->setHeaderLabels({ QStringLiteral("File"), QStringLiteral("Index"),
        QStringLiteral("Archive member"), QStringLiteral("Group"), QStringLiteral("Captured") });
    SourceList->headerItem()->setTextAlignment(IndexColumn, Qt::AlignRight | Qt::AlignVCenter);
    SourceList->header()->setStretchLastSection(true);
    SourceList->header()->setSectionsMovable(false);
    bool members = false;
    for (const catalogue::CatalogueEntry& e : places) {
        auto* row = new QTreeWidgetItem(SourceList);
        const QString source = Shown(e.source);
        const QString member = Shown(e.member);
        row->setText(FileColumn, source);
        row->setToolTip(FileColumn, source);
        row->setText(IndexColumn, QString::number(e.index));
        row->setTextAlignment(IndexColumn, Qt::AlignRight | Qt::AlignVCenter);
        row->setText(MemberColumn, member);
        row->setToolTip(MemberColumn, member);
        row->setText(GroupColumn, Shown(e.group.shown()));
        row->setText(TimeColumn, CaptureTimeText(e.time));
        members = members || !e.member.empty();
    }
    // Sources outside archives leave the member column out altogether.
    SourceList->setColumnHidden(MemberColumn, !members);
    const int rowHeight = SourceList->fontMetrics().height() + 6;
    SourceList->setFixedSize(kListWidth,
        SourceList->header()->sizeHint().height() + kListRows * rowHeight
            + 2 * SourceList->frameWidth());
    fitColumns(int(places.size()) > kListRows);
    // The first place is current, for the keyboard and for screen readers,
    // without standing out as chosen: there is nothing to choose.
    if (!places.empty())
        SourceList->selectionModel()->setCurrentIndex(
            SourceList->model()->index(0, 0), QItemSelectionModel::NoUpdate);

    ProblemText = new QLabel(problems.join(QLatin1Char('\n')), this);
    ProblemText->setObjectName(QStringLiteral("ProblemText"));
    ProblemText->setWordWrap(true);
    ProblemText->setVisible(!problems.isEmpty());

    SaveFullIcon1 = new QPushButton(QStringLiteral("Save &Full Icon As..."), this);
    SaveFullIcon1->setObjectName(QStringLiteral("SaveFullIcon1"));
    SaveFullIcon1->setEnabled(m_original.has_value());
    SaveFullIcon1->setAutoDefault(false);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setDefault(true);
    connect(SaveFullIcon1, &QPushButton::clicked, this, &TSourcesDialog::SaveFullIcon1Click);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* harvestedRow = new QHBoxLayout;
    harvestedRow->addWidget(Harvested, 0, Qt::AlignVCenter);
    harvestedRow->addWidget(HarvestedText, 1, Qt::AlignVCenter);
    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(Summary);
    text->addSpacing(10);
    text->addWidget(originalHeading);
    text->addWidget(PictureText);
    text->addSpacing(10);
    text->addWidget(harvestedHeading);
    text->addLayout(harvestedRow);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(PictureFrame, 0, Qt::AlignTop);
    top->addSpacing(10);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SaveFullIcon1);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addSpacing(4);
    all->addWidget(SourceList);
    all->addWidget(ProblemText);
    all->addLayout(buttons);
    // The window keeps the size its contents give it: nothing in it grows.
    all->setSizeConstraint(QLayout::SetFixedSize);

    showPicture();
    SourceList->setFocus();
}

void TSourcesDialog::fitColumns(bool scrolls)
{
    // The short columns take what their contents need; the file takes the
    // rest of the list's width, so that the list needs no sideways scrolling
    // unless archive members are long too. A path that does not fit is
    // shortened at its start, and its tip shows it whole.
    for (int c = FileColumn; c <= TimeColumn; ++c)
        SourceList->resizeColumnToContents(c);
    SourceList->setColumnWidth(
        MemberColumn, std::min(SourceList->columnWidth(MemberColumn), kMaxMemberColumnWidth));
    int others = 0;
    for (int c = IndexColumn; c <= TimeColumn; ++c)
        if (!SourceList->isColumnHidden(c))
            others += SourceList->columnWidth(c);
    const int bar = scrolls ? SourceList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    const int room = kListWidth - 2 * SourceList->frameWidth() - bar - others;
    SourceList->setColumnWidth(FileColumn,
        std::max(kSmallestFileColumnWidth, std::min(SourceList->columnWidth(FileColumn), room)));
}

void TSourcesDialog::showPicture()
{
    QSize shown(kSmallestPictureFrame, kSmallestPictureFrame);
    const auto noPicture = [&](const QString& why) {
        PictureText->setText(why);
        Picture->setText(QStringLiteral("No picture"));
        Picture->setEnabled(false);
        Picture->setFixedSize(shown);
        Picture->setAccessibleDescription(why);
    };
    if (!m_original) {
        noPicture(QStringLiteral("No original icon was kept."));
    } else if (const Result<OriginalImage> largest = LargestOriginalImage(*m_original); !largest) {
        noPicture(QStringLiteral("The original icon cannot be shown: ")
            + files::DisplayMessage(largest.message()) + QLatin1Char('.'));
    } else {
        const IconImage& image = largest->image;
        Picture->setPixmap(QPixmap::fromImage(IconQImage(image)));
        Picture->setFixedSize(image.width, image.height);
        const QString depth = DepthText(*largest);
        const QString kind = QStringLiteral("%1 x %2 pixels").arg(image.width).arg(image.height)
            + (depth.isEmpty() ? QString() : QStringLiteral(", ") + depth);
        PictureText->setText(kind
            + (largest->images == 1
                    ? QStringLiteral(", its one image.")
                    : QStringLiteral(", the largest of its %1 images.").arg(largest->images)));
        Picture->setAccessibleDescription(kind);
        shown = shown.expandedTo(QSize(image.width, image.height)
                                     .boundedTo({ kLargestShownPicture, kLargestShownPicture }));
    }
    const int frame = 2 * PictureFrame->frameWidth();
    PictureFrame->setFixedSize(shown + QSize(frame, frame));
    // A picture larger than the frame scrolls; one that fits needs no bars.
    const bool scrolls
        = Picture->width() > kLargestShownPicture || Picture->height() > kLargestShownPicture;
    PictureFrame->setHorizontalScrollBarPolicy(
        scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    PictureFrame->setVerticalScrollBarPolicy(
        scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TSourcesDialog::keyPressEvent(QKeyEvent* event)
{
    // F1 anywhere in the dialog opens its topic; the list and the buttons
    // leave the key to it.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        help::RequestHelp(help::HelpCommand::Context, kSourcesHelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TSourcesDialog::SaveFullIcon1Click()
{
    if (m_original)
        SaveFullIconAs(this, m_iconName, *m_original);
}

} // namespace glyphor
