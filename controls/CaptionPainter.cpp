#include "controls/CaptionPainter.h"

#include "controls/TextContrast.h"
#include "platform/CaptionMetrics.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>

namespace glyphor {

namespace {

void PaintGradient(QPainter& painter, const QRect& rect, const CaptionScene& scene)
{
    if (!scene.gradient) {
        painter.fillRect(rect, QColor::fromRgb(scene.baseColor));
        return;
    }
    const auto bands = GradientBands(rect.left(), rect.left() + rect.width(), scene.startColor,
        scene.baseColor, scene.numColors);
    for (const GradientBand& band : bands)
        painter.fillRect(QRect(band.left, rect.top(), band.right - band.left, rect.height()),
            QColor::fromRgb(band.color));
}

// The glyph of a button, drawn in lines so that it stays crisp at any size.
void PaintGlyph(QPainter& painter, const QRect& button, CaptionButton kind, const QColor& color)
{
    const int size = std::min(button.width(), button.height()) / 2;
    const QRect box(button.center().x() - size / 2, button.center().y() - size / 2, size, size);
    painter.save();
    painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    switch (kind) {
    case CaptionButton::Close:
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawLine(box.topLeft(), box.bottomRight() + QPoint(1, 1));
        painter.drawLine(box.topRight() + QPoint(1, 0), box.bottomLeft() + QPoint(0, 1));
        break;
    case CaptionButton::Minimize:
        painter.fillRect(QRect(box.left(), box.bottom() - 1, size, 2), color);
        break;
    case CaptionButton::Maximize:
        painter.setPen(QPen(color, 1));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.fillRect(QRect(box.left(), box.top(), size, 2), color);
        break;
    case CaptionButton::Help: {
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(std::max(button.height() - 6, 6));
        painter.setFont(font);
        painter.drawText(button, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case CaptionButton::None:
        break;
    }
    painter.restore();
}

// Where the texts go in the caption strip, measured on device (none: the
// screen's).
CaptionTextLayout LayOutTexts(const CaptionScene& scene, QPaintDevice* device)
{
    const QRect caption = CaptionRect(scene.window, scene.frame);
    int left = caption.left();
    const int right = caption.left() + caption.width();
    if (const QRect icon = CaptionIconRect(scene.window, scene.frame); !icon.isEmpty())
        left = icon.left() + icon.width();
    std::array<CaptionPieceSize, kCaptionPieces> sizes;
    for (int i = 0; i < kCaptionPieces; ++i) {
        const CaptionPieceLook& piece = scene.pieces[i];
        const int width = device ? QFontMetrics(piece.font, device).horizontalAdvance(piece.text)
                                 : QFontMetrics(piece.font).horizontalAdvance(piece.text);
        sizes[i] = { width, piece.visible, piece.text.isEmpty() };
    }
    return LayOutCaptionTexts(left, right, sizes, scene.frame.newStyle);
}

// The columns [left, right) of the caption that a themed text covers; an
// empty span for a text that is not themed or not drawn.
struct TextSpan {
    int left = 0;
    int right = 0;
};

std::array<TextSpan, kCaptionPieces> ThemedTextSpans(
    const CaptionScene& scene, const CaptionTextLayout& layout)
{
    std::array<TextSpan, kCaptionPieces> spans {};
    for (int i = 0; i < kCaptionPieces; ++i) {
        const CaptionPieceLook& piece = scene.pieces[i];
        const CaptionTextPlace& place = layout.pieces[i];
        if (!piece.themed || !place.drawn || piece.text.isEmpty() || place.left >= layout.right)
            continue;
        spans[i] = { place.left,
            std::min(layout.right,
                place.left + QFontMetrics(piece.font).horizontalAdvance(piece.text)) };
    }
    return spans;
}

// Picks the themed texts' colours for the scene's gradient; false when one
// of them has none that is readable everywhere under it.
bool PickReadableColours(CaptionScene& scene, const std::array<QRgb, kCaptionPieces>& wanted,
    const std::array<TextSpan, kCaptionPieces>& spans)
{
    std::vector<GradientBand> bands;
    if (scene.gradient) {
        const QRect caption = CaptionRect(scene.window, scene.frame);
        bands = GradientBands(caption.left(), caption.left() + caption.width(), scene.startColor,
            scene.baseColor, scene.numColors);
    }
    bool readable = true;
    for (int i = 0; i < kCaptionPieces; ++i) {
        const TextSpan& span = spans[i];
        if (span.left >= span.right)
            continue;
        // The colours of the strip under the text.
        std::vector<QRgb> under;
        if (!scene.gradient)
            under.push_back(scene.baseColor);
        for (const GradientBand& band : bands)
            if (band.right > span.left && band.left < span.right)
                under.push_back(band.color);
        const auto colour = ReadableTextColour(wanted[i], under);
        scene.pieces[i].color = colour.value_or(qRgb(255, 255, 255));
        readable = readable && colour.has_value();
    }
    return readable;
}

} // namespace

CaptionScene ReadableScene(const CaptionScene& scene)
{
    if (scene.frame.style == BorderStyle::None)
        return scene;
    // Where the texts lie does not change with the colours tried: measured
    // once.
    const std::array<TextSpan, kCaptionPieces> spans
        = ThemedTextSpans(scene, LayOutTexts(scene, nullptr));
    std::array<QRgb, kCaptionPieces> wanted {};
    for (int i = 0; i < kCaptionPieces; ++i)
        wanted[i] = scene.pieces[i].color;
    CaptionScene readable = scene;
    // The end of the gradient first, then, for a light colour of the
    // caption's own, its start too: with both black, white text reads.
    constexpr int kSteps = 10;
    for (int step = 0; step <= 2 * kSteps; ++step) {
        readable.baseColor = Darkened(scene.baseColor, std::min(step, kSteps) / double(kSteps));
        readable.startColor
            = Darkened(scene.startColor, std::max(step - kSteps, 0) / double(kSteps));
        if (PickReadableColours(readable, wanted, spans))
            break;
    }
    return readable;
}

QRect PaintCaption(QPainter& painter, const CaptionScene& scene)
{
    if (scene.frame.style == BorderStyle::None)
        return {};
    const QRect caption = CaptionRect(scene.window, scene.frame);
    painter.save();
    painter.setClipRect(caption);
    PaintGradient(painter, caption, scene);

    if (const QRect icon = CaptionIconRect(scene.window, scene.frame);
        !icon.isEmpty() && !scene.icon.isNull())
        scene.icon.paint(&painter, icon);

    const CaptionTextLayout layout = LayOutTexts(scene, painter.device());
    for (int i = 0; i < kCaptionPieces; ++i) {
        const CaptionTextPlace& place = layout.pieces[i];
        const CaptionPieceLook& piece = scene.pieces[i];
        if (!place.drawn || piece.text.isEmpty() || place.left >= layout.right)
            continue;
        const QRect room(place.left, caption.top(), layout.right - place.left, caption.height());
        const QFontMetrics metrics(piece.font, painter.device());
        painter.setFont(piece.font);
        painter.setPen(QColor::fromRgb(piece.color));
        painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            metrics.elidedText(piece.text, Qt::ElideRight, room.width()));
    }
    painter.restore();
    return caption;
}

CaptionButton CaptionButtonAt(QSize window, const CaptionFrame& frame, QPoint point)
{
    const CaptionButtons buttons = CaptionButtonRects(window, frame);
    if (buttons.close.contains(point))
        return CaptionButton::Close;
    if (buttons.maximize.contains(point))
        return CaptionButton::Maximize;
    if (buttons.minimize.contains(point))
        return CaptionButton::Minimize;
    if (buttons.help.contains(point))
        return CaptionButton::Help;
    return CaptionButton::None;
}

void PaintFrame(QPainter& painter, const CaptionScene& scene, const QPalette& palette,
    const QStyle& style, CaptionButton pressed, const QWidget* widget)
{
    const QMargins margins = NonClientMargins(scene.frame);
    if (margins.isNull())
        return;
    const QRect window(QPoint(0, 0), scene.window);
    const int side = margins.left();
    painter.save();
    // The edges: a dark outline and the window colour inside it.
    QRegion edges
        = QRegion(window).subtracted(window.marginsRemoved(QMargins(side, side, side, side)));
    painter.setClipRegion(edges);
    painter.fillRect(window, palette.color(QPalette::Window));
    painter.setPen(palette.color(QPalette::Shadow));
    painter.drawRect(window.adjusted(0, 0, -1, -1));
    painter.setClipping(false);

    // The title bar beyond the caption strip: the room of the buttons in the
    // title-bar colour, which is where the gradient ends, and the bottom edge
    // in the window colour that the menu bar below it shares.
    const int height = CaptionHeight(scene.frame);
    const QRect strip(side, side, window.width() - 2 * side, height - 1);
    const QRect caption = CaptionRect(scene.window, scene.frame);
    painter.setClipRegion(QRegion(strip).subtracted(caption));
    painter.fillRect(strip, QColor::fromRgb(scene.baseColor));
    painter.setClipping(false);
    painter.fillRect(
        QRect(side, side + height - 1, strip.width(), 1), palette.color(QPalette::Window));

    const CaptionButtons buttons = CaptionButtonRects(scene.window, scene.frame);
    const std::pair<QRect, CaptionButton> all[] = { { buttons.close, CaptionButton::Close },
        { buttons.maximize, CaptionButton::Maximize },
        { buttons.minimize, CaptionButton::Minimize }, { buttons.help, CaptionButton::Help } };
    for (const auto& [rect, kind] : all) {
        if (rect.isEmpty())
            continue;
        QStyleOptionButton option;
        option.rect = rect;
        option.palette = palette;
        option.state = QStyle::State_Enabled
            | (kind == pressed ? QStyle::State_Sunken : QStyle::State_Raised);
        style.drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, widget);
        PaintGlyph(painter, rect, kind, palette.color(QPalette::ButtonText));
    }
    painter.restore();
}

} // namespace glyphor
