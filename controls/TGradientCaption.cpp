#include "controls/TGradientCaption.h"

#include "controls/CaptionFonts.h"
#include "util/Error.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QWhatsThis>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace glyphor {

QWidget* TGradientCaption::FormOf(QObject* owner)
{
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow())
        throw Error("Invalid class typecast");
    return form;
}

TGradientCaption::TGradientCaption(QObject* owner)
    : QObject(FormOf(owner))
    , m_form(static_cast<QWidget*>(owner))
{
    // A widget announces its destruction before it destroys its children, so
    // this component learns in time that there is no form to give back.
    connect(m_form, &QObject::destroyed, this, [this] { m_formGone = true; });
    ReloadCaptionFont();
    m_appNameText = new TAppNameText(this);
    m_captionText = new TCaptionText(this);
    m_companyText = new TCompanyText(this);
    install();
}

TGradientCaption::~TGradientCaption()
{
    if (!m_formGone && m_form)
        uninstall();
}

void TGradientCaption::install()
{
    m_formFlags = m_form->windowFlags();
    m_formMargins = m_form->contentsMargins();
    m_form->installEventFilter(this);
    if (Frame().style == BorderStyle::None)
        return;
    // The toolkit drops the frameless hint from flags that customize the
    // buttons, so the buttons are named without that: the form still says
    // which buttons it has.
    setFormFlags((m_formFlags & ~Qt::CustomizeWindowHint) | Qt::FramelessWindowHint);
    setFrameMargins(NonClientMargins(Frame()));
    // Without a frame from the desktop, Alt+F4 is no longer the desktop's to
    // handle; it asks the form to close as the close button does.
    m_closeShortcut = new QAction(this);
    m_closeShortcut->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    m_closeShortcut->setShortcutContext(Qt::WindowShortcut);
    connect(m_closeShortcut, &QAction::triggered, m_form, &QWidget::close);
    m_form->addAction(m_closeShortcut);
}

void TGradientCaption::uninstall()
{
    m_form->removeEventFilter(this);
    if (m_closeShortcut)
        m_form->removeAction(m_closeShortcut);
    setFrameMargins({});
    if (m_form->windowFlags() != m_formFlags)
        setFormFlags(m_formFlags);
    m_form->update();
}

void TGradientCaption::setFormFlags(Qt::WindowFlags flags)
{
    // Changing the flags of a shown window hides it; it is shown again.
    const bool shown = m_form->isVisible();
    m_form->setWindowFlags(flags);
    if (shown)
        m_form->show();
}

void TGradientCaption::setFrameMargins(const QMargins& margins)
{
    // The form's contents keep their size: the form grows by the frame.
    const QSize grow(
        margins.left() + margins.right() - m_frameMargins.left() - m_frameMargins.right(),
        margins.top() + margins.bottom() - m_frameMargins.top() - m_frameMargins.bottom());
    m_frameMargins = margins;
    m_form->setContentsMargins(m_formMargins + margins);
    if (grow.isNull())
        return;
    const QSize minimum = m_form->minimumSize();
    const QSize maximum = m_form->maximumSize();
    if (minimum == maximum) {
        m_form->setFixedSize(minimum + grow);
        return;
    }
    if (!minimum.isEmpty())
        m_form->setMinimumSize((minimum + grow).expandedTo(QSize(0, 0)));
    m_form->setMaximumSize(std::min(maximum.width() + grow.width(), QWIDGETSIZE_MAX),
        std::min(maximum.height() + grow.height(), QWIDGETSIZE_MAX));
    m_form->resize(m_form->size() + grow);
}

void TGradientCaption::setColor(platform::ThemedColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    Invalidate();
}

void TGradientCaption::setEnabled(TGradEnabled enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Invalidate();
}

void TGradientCaption::setNumColors(int count)
{
    if (count < 1)
        return;
    count = std::min(count, kMaxGradientColors);
    if (count == m_numColors)
        return;
    m_numColors = count;
    Invalidate();
}

void TGradientCaption::ReloadCaptionFont()
{
    m_captionFont = CaptionFontFrom(platform::SystemCaptionFont());
}

bool TGradientCaption::IsCaptionActive() const
{
    if (m_activationArrived)
        return m_active;
    return m_form && m_form->isActiveWindow();
}

CaptionFrame TGradientCaption::Frame() const
{
    CaptionFrame frame;
    frame.newStyle = m_newStyle;
    if (!m_form)
        return frame;
    const Qt::WindowFlags flags = m_formFlags;
    const bool fixed = m_form->minimumSize() == m_form->maximumSize();
    if (flags & Qt::FramelessWindowHint)
        frame.style = BorderStyle::None;
    else if ((flags & Qt::WindowType_Mask) == Qt::Tool)
        frame.style = fixed ? BorderStyle::ToolWindow : BorderStyle::SizeToolWin;
    else if ((flags & Qt::WindowType_Mask) == Qt::Dialog && fixed)
        frame.style = BorderStyle::Dialog;
    else
        frame.style = fixed ? BorderStyle::Single : BorderStyle::Sizeable;
    // The toolkit has already filled in the default buttons of a window
    // whose flags did not name them.
    frame.systemMenu = flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    frame.minimize = flags & Qt::WindowMinimizeButtonHint;
    // A window that cannot change its size has nothing to maximize.
    frame.maximize = (flags & Qt::WindowMaximizeButtonHint) && !fixed;
    frame.help = flags & Qt::WindowContextHelpButtonHint;
    frame.minimized = m_form->isMinimized();
    return frame;
}

QRect TGradientCaption::CaptionRect() const
{
    return m_form ? glyphor::CaptionRect(m_form->size(), Frame()) : QRect();
}

CaptionScene TGradientCaption::Scene(bool active) const
{
    CaptionScene scene;
    if (!m_form)
        return scene;
    const QPalette& palette = m_form->palette();
    scene.window = m_form->size();
    scene.frame = Frame();
    scene.baseColor = platform::ThemedColor(
        active ? platform::SystemColor::ActiveCaption : platform::SystemColor::InactiveCaption)
                          .rgb(palette);
    scene.gradient = m_enabled == geAlways || (m_enabled == geWhenActive && active);
    scene.startColor = m_color.rgb(palette);
    scene.numColors = m_numColors;
    // The form's icon, or when it has none the application's.
    scene.icon = m_form->windowIcon();
    const TCompanyText* const pieces[kCaptionPieces]
        = { m_companyText, m_appNameText, m_captionText };
    for (int i = 0; i < kCaptionPieces; ++i) {
        const TCompanyText& piece = *pieces[i];
        scene.pieces[i] = { piece.caption(), piece.font(),
            (active ? piece.colorActive() : piece.colorInactive()).rgb(palette),
            piece.isVisible() };
    }
    return scene;
}

QRect TGradientCaption::PaintCaption(QPainter& painter, bool active) const
{
    return glyphor::PaintCaption(painter, Scene(active));
}

void TGradientCaption::RefreshFrame()
{
    if (!m_form)
        return;
    if (Frame().style != BorderStyle::None)
        setFrameMargins(NonClientMargins(Frame()));
    m_form->update();
}

void TGradientCaption::Invalidate()
{
    if (m_form && !m_formGone)
        m_form->update(QRect(0, 0, m_form->width(), m_frameMargins.top()));
}

void TGradientCaption::desktopSettingsChanged()
{
    ReloadCaptionFont();
    for (TCompanyText* piece : { static_cast<TCompanyText*>(m_appNameText),
             static_cast<TCompanyText*>(m_captionText), m_companyText })
        piece->ApplyFontKind(piece->fontKind());
    RefreshFrame();
}

void TGradientCaption::paintFrame()
{
    if (m_frameMargins.isNull())
        return;
    QPainter painter(m_form);
    const CaptionScene scene = Scene(IsCaptionActive());
    const CaptionButton pressed = m_pressedInside ? m_pressed : CaptionButton::None;
    PaintFrame(painter, scene, m_form->palette(), *m_form->style(), pressed, m_form);
    glyphor::PaintCaption(painter, scene);
}

bool TGradientCaption::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_form || m_formGone)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        // The form paints its own contents afterwards; they lie inside the
        // margins and never over the frame.
        paintFrame();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        m_active = event->type() == QEvent::WindowActivate;
        m_activationArrived = true;
        Invalidate();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::ApplicationFontChange:
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
        desktopSettingsChanged();
        break;
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
    case QEvent::WindowStateChange:
        Invalidate();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return mousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return mouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return mouseRelease(static_cast<QMouseEvent*>(event));
    default:
        break;
    }
    return false;
}

bool TGradientCaption::mousePress(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (at.y() >= m_frameMargins.top() || event->button() != Qt::LeftButton)
        return false;
    const CaptionButton button = CaptionButtonAt(m_form->size(), Frame(), at);
    if (button != CaptionButton::None) {
        m_pressed = button;
        m_pressedInside = true;
        Invalidate();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        // A double click on the title bar maximizes or restores the window
        // that has a maximize button, as desktops do.
        if (Frame().maximize)
            m_form->isMaximized() ? m_form->showNormal() : m_form->showMaximized();
        return true;
    }
    // The desktop moves the window where it can; without a window manager
    // the window follows the mouse until the button is released.
    if (QWindow* window = m_form->windowHandle(); window && window->startSystemMove())
        return true;
    m_moving = true;
    m_moveOffset = event->globalPosition().toPoint() - m_form->pos();
    return true;
}

bool TGradientCaption::mouseMove(QMouseEvent* event)
{
    if (m_moving) {
        m_form->move(event->globalPosition().toPoint() - m_moveOffset);
        return true;
    }
    if (m_pressed != CaptionButton::None) {
        // A pressed button pops up while the mouse is off it, as a push
        // button does.
        const bool inside
            = CaptionButtonAt(m_form->size(), Frame(), event->position().toPoint()) == m_pressed;
        if (inside != m_pressedInside) {
            m_pressedInside = inside;
            Invalidate();
        }
        return true;
    }
    return false;
}

bool TGradientCaption::mouseRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    if (m_moving) {
        m_moving = false;
        return true;
    }
    if (m_pressed == CaptionButton::None)
        return false;
    const CaptionButton button = m_pressed;
    const bool inside
        = CaptionButtonAt(m_form->size(), Frame(), event->position().toPoint()) == button;
    m_pressed = CaptionButton::None;
    m_pressedInside = false;
    Invalidate();
    if (inside)
        pressButton(button);
    return true;
}

void TGradientCaption::pressButton(CaptionButton button)
{
    // The last thing done here: closing may destroy the form and with it
    // this component.
    switch (button) {
    case CaptionButton::Close:
        m_form->close();
        break;
    case CaptionButton::Minimize:
        m_form->showMinimized();
        break;
    case CaptionButton::Maximize:
        m_form->isMaximized() ? m_form->showNormal() : m_form->showMaximized();
        break;
    case CaptionButton::Help:
        QWhatsThis::enterWhatsThisMode();
        break;
    case CaptionButton::None:
        break;
    }
}

} // namespace glyphor
