#include "controls/TIconComboBox.h"

#include "browse/AccessibleComboBox.h"
#include "browse/FocusFrame.h"
#include "iconfile/IconNormalizer.h"
#include "platform/FileSystem.h"
#include "platform/PixelArt.h"
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStylePainter>

namespace glyphor {

namespace {

// Shows the hourglass while it lives, as the full extraction of a file with
// many icons can take a moment.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Some styles open a combo box as a menu laid over the control, as tall as all
// its items; the picker drops a list below itself that shows five lines and
// scrolls, whatever the style.
class DropDownListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QImage IconQImage(const IconImage& icon)
{
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < icon.width; ++x) {
            const std::uint32_t pixel = icon.pixel(x, y);
            if (icon.hasAlpha)
                line[x] = pixel;
            else
                line[x] = icon.transparent(x, y) ? 0u : (pixel | 0xFF000000u);
        }
    }
    return image;
}

QPixmap IconPixmap(const IconImage& source)
{
    if (source.empty())
        return {};
    // The picker shows what a capture would save: the 32 x 32 image with its
    // one-bit mask (no alpha), not the file's own larger or deeper images.
    return QPixmap::fromImage(IconQImage(NormalizeIcon(source)));
}

QRect CenteredIconRect(const QRect& item, const QSize& icon)
{
    // C++ integer division truncates toward zero, as the layout asks, also
    // when the icon is larger than the item.
    const int left = item.left() + (item.width() - icon.width()) / 2;
    const int top = item.top() + (item.height() - icon.height()) / 2;
    return QRect(QPoint(left, top), icon);
}

int TIconComboBox::itemHeight()
{
    return kIconSize + 6;
}

TIconComboBox::TIconComboBox(QWidget* parent, std::shared_ptr<const IconProvider> source)
    : QComboBox(parent)
    , m_source(source ? std::move(source) : std::make_shared<PlatformIconProvider>())
{
    setEditable(false);
    auto* listStyle = new DropDownListStyle;
    listStyle->setParent(this);
    setStyle(listStyle);
    setMaxVisibleItems(5);
    setItemDelegate(new IconItemDelegate(this));
    SpeakItemsInWords(*this);
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    resize(kIconSize + scrollBar + 10, itemHeight());
    applyEnablingRule();
}

TIconComboBox::~TIconComboBox() = default;

void TIconComboBox::setFileName(const QString& name)
{
    if (name == m_fileName)
        return;
    m_fileName = name;
    ReloadIcons();
    emit fileChange();
}

void TIconComboBox::setAutoDisable(bool on)
{
    if (on == m_autoDisable)
        return;
    m_autoDisable = on;
    applyEnablingRule();
}

void TIconComboBox::setEnableCaching(bool on)
{
    if (on == m_enableCaching)
        return;
    m_enableCaching = on;
    if (!on)
        ReloadIcons();
}

bool TIconComboBox::fileExists() const
{
    // The extraction works on a name of at most 255 characters; a longer one
    // is treated as a file that is not there rather than cut short.
    if (m_fileName.isEmpty() || m_fileName.size() > kMaxIconFileName)
        return false;
    return platform::IsExistingFile(m_fileName);
}

void TIconComboBox::applyEnablingRule()
{
    setEnabled(!m_autoDisable || fileExists());
}

void TIconComboBox::ReloadIcons()
{
    m_icons.clear();
    m_numberOfIcons = -1;
    clear();
    applyEnablingRule();
    if (!fileExists())
        return;

    std::optional<WaitCursor> wait;
    if (!m_enableCaching)
        wait.emplace();
    m_numberOfIcons = m_source->count(m_fileName);
    for (int i = 0; i < m_numberOfIcons; ++i) {
        if (m_enableCaching)
            m_icons.emplace_back();
        else
            m_icons.emplace_back(extract(i));
        addItem(QString::number(i));
        // Read out as the user counts them: the first of twelve is "Icon 1
        // of 12", while the item text stays the index that extraction takes.
        setItemData(i, QStringLiteral("Icon %1 of %2").arg(i + 1).arg(m_numberOfIcons),
            Qt::AccessibleTextRole);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

std::optional<QPixmap> TIconComboBox::ItemIcon(int index)
{
    if (index < 0 || index >= int(m_icons.size()))
        return std::nullopt;
    auto& slot = m_icons[std::size_t(index)];
    if (m_enableCaching && !slot)
        slot = extract(index);
    return slot;
}

QPixmap TIconComboBox::extract(int index) const
{
    // An icon that cannot be had (missing or damaged) still gets its (empty)
    // object, so that it is asked for once per file, as every other icon is.
    // Why an icon is damaged is told when it is saved, not while it is drawn.
    try {
        const auto icon = m_source->extract(m_fileName, index);
        return icon ? IconPixmap(*icon) : QPixmap();
    } catch (const EInvalidIcon&) {
        return QPixmap();
    }
}

int TIconComboBox::heldIcons() const
{
    int held = 0;
    for (const auto& slot : m_icons)
        held += slot.has_value();
    return held;
}

void TIconComboBox::drawItem(
    QPainter* painter, const QRect& rect, int index, bool selected, bool focused)
{
    painter->save();
    try {
        painter->fillRect(rect, palette().color(selected ? QPalette::Highlight : QPalette::Base));
        // The frame goes under the icon, so that styles that tint its inside
        // leave the icon in its own colours.
        if (focused)
            DrawFocusFrame(*painter, *this, rect,
                palette().color(selected ? QPalette::Highlight : QPalette::Base));
        const auto icon = ItemIcon(index);
        // Pixel art: drawn in whole device pixels, never smoothed, on a
        // screen of any scale.
        if (icon && !icon->isNull())
            platform::DrawPixelArt(*painter, CenteredIconRect(rect, icon->size()), *icon);
    } catch (...) {
        // A picture that cannot be had or drawn leaves its line filled and
        // empty; the user is never troubled with it.
    }
    painter->restore();
}

void TIconComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The lines show icons only: the text "0", "1", ... is never drawn.
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0)
        drawItem(&painter, field, currentIndex(), hasFocus(), hasFocus());
    else if (hasFocus())
        DrawFocusFrame(
            painter, *this, field, palette().color(QPalette::Base)); // a file without icons
}

IconItemDelegate::IconItemDelegate(TIconComboBox* box)
    : QStyledItemDelegate(box)
    , m_box(box)
{
}

void IconItemDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    m_box->drawItem(painter, option.rect, index.row(), option.state & QStyle::State_Selected,
        option.state & QStyle::State_HasFocus);
}

QSize IconItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return { option.rect.width(), TIconComboBox::itemHeight() };
}

} // namespace glyphor
