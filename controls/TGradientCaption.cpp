#include "controls/TGradientCaption.h"

#include "controls/CaptionFonts.h"
#include "controls/TitleBarButton.h"
#include "util/Error.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWhatsThis>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace glyphor {

namespace {

// An event filter that hands every event to a function of its maker.
class EventHook : public QObject {
public:
    EventHook(std::function<bool(QObject*, QEvent*)> hook, QObject* parent)
        : QObject(parent)
        , m_hook(std::move(hook))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return m_hook(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_hook;
};

} // namespace

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
    if (m_keyboardMove)
        endKeyboardMove();
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
    if (Frame().systemMenu)
        buildWindowMenu();
    makeAccessibleButtons();
}

namespace {

// The order of the title bar's buttons in the array that holds them.
constexpr CaptionButton kTitleBarButtons[] = { CaptionButton::Close, CaptionButton::Maximize,
    CaptionButton::Minimize, CaptionButton::Help };

QRect ButtonRect(const CaptionButtons& buttons, CaptionButton button)
{
    switch (button) {
    case CaptionButton::Close:
        return buttons.close;
    case CaptionButton::Maximize:
        return buttons.maximize;
    case CaptionButton::Minimize:
        return buttons.minimize;
    case CaptionButton::Help:
        return buttons.help;
    case CaptionButton::None:
        break;
    }
    return {};
}

} // namespace

void TGradientCaption::makeAccessibleButtons()
{
    placeAccessibleButtons();
}

void TGradientCaption::placeAccessibleButtons()
{
    if (!m_form || m_formGone || Frame().style == BorderStyle::None)
        return;
    // A button of the title bar is there only while the bar draws it, so
    // that no hidden stand-in is met by assistive tools.
    const auto place = [this](QAbstractButton*& button, const QRect& rect, const QString& name,
                           std::function<void()> press) {
        if (rect.isEmpty()) {
            delete button;
            button = nullptr;
            return;
        }
        if (!button) {
            button = new TitleBarButton(name, m_form);
            // Queued: a close may destroy the form and the button with it.
            connect(
                button, &QAbstractButton::clicked, this, std::move(press), Qt::QueuedConnection);
            button->show();
        }
        button->setGeometry(rect);
    };
    const CaptionFrame frame = Frame();
    const CaptionButtons rects = CaptionButtonRects(m_form->size(), frame);
    const QString names[] = { QStringLiteral("Close"), QStringLiteral("Maximize"),
        QStringLiteral("Minimize"), QStringLiteral("Help") };
    for (std::size_t i = 0; i < std::size(kTitleBarButtons); ++i) {
        const CaptionButton kind = kTitleBarButtons[i];
        place(m_accessibleButtons[i], ButtonRect(rects, kind), names[i],
            [this, kind] { pressButton(kind); });
    }
    place(m_menuButton, m_windowMenu ? WindowMenuButtonRect(m_form->size(), frame) : QRect(),
        QStringLiteral("Window menu"), [this] { ShowWindowMenu(); });
}

QAbstractButton* TGradientCaption::accessibleButton(CaptionButton button) const
{
    for (std::size_t i = 0; i < std::size(kTitleBarButtons); ++i) {
        if (kTitleBarButtons[i] == button)
            return m_accessibleButtons[i];
    }
    return nullptr;
}

void TGradientCaption::buildWindowMenu()
{
    m_windowMenu = new QMenu(m_form);
    m_windowMenu->setObjectName(QStringLiteral("WindowMenu"));
    // The entries of the desktop's own window menu, Close with the key that
    // does the same.
    const QString texts[kWindowMenuEntries] = { QStringLiteral("&Restore"), QStringLiteral("&Move"),
        QStringLiteral("&Size"), QStringLiteral("Mi&nimize"), QStringLiteral("Ma&ximize"),
        QStringLiteral("&Close\tAlt+F4") };
    for (int i = 0; i < kWindowMenuEntries; ++i) {
        const auto entry = static_cast<WindowMenuEntry>(i);
        if (entry == WindowMenuEntry::Close)
            m_windowMenu->addSeparator();
        QAction* action = m_windowMenu->addAction(texts[i]);
        connect(action, &QAction::triggered, this, [this, entry] { chooseWindowMenuEntry(entry); });
        m_menuEntries[static_cast<std::size_t>(i)] = action;
    }
    m_menuShortcut = new QAction(this);
    m_menuShortcut->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Space));
    m_menuShortcut->setShortcutContext(Qt::WindowShortcut);
    connect(m_menuShortcut, &QAction::triggered, this, [this] { ShowWindowMenu(); });
    m_form->addAction(m_menuShortcut);
}

void TGradientCaption::uninstall()
{
    m_form->removeEventFilter(this);
    if (m_closeShortcut)
        m_form->removeAction(m_closeShortcut);
    if (m_menuShortcut)
        m_form->removeAction(m_menuShortcut);
    delete m_windowMenu;
    for (QAbstractButton*& button : m_accessibleButtons) {
        delete button;
        button = nullptr;
    }
    delete m_menuButton;
    m_menuButton = nullptr;
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
        const platform::ThemedColor color = active ? piece.colorActive() : piece.colorInactive();
        scene.pieces[i] = { piece.caption(), piece.font(), color.rgb(palette), piece.isVisible(),
            color.isSystem() };
    }
    // The scheme's text colours are made for a plain title bar; over the
    // gradient they are checked, and replaced where they would not read.
    return ReadableScene(scene);
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
    placeAccessibleButtons();
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
        Invalidate();
        break;
    case QEvent::WindowStateChange:
    case QEvent::Resize:
        placeAccessibleButtons();
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
    if (at.y() >= m_frameMargins.top())
        return false;
    const CaptionButton button = CaptionButtonAt(m_form->size(), Frame(), at);
    // The window menu opens where the mouse is pressed on the icon, as the
    // desktop's does, and at the mouse for a right click on the bar.
    if (m_windowMenu && event->button() == Qt::RightButton && button == CaptionButton::None) {
        ShowWindowMenu(event->globalPosition().toPoint());
        return true;
    }
    if (event->button() != Qt::LeftButton)
        return false;
    if (m_windowMenu && WindowMenuButtonRect(m_form->size(), Frame()).contains(at)) {
        ShowWindowMenu();
        return true;
    }
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

void TGradientCaption::ShowWindowMenu(std::optional<QPoint> at)
{
    if (!m_windowMenu || m_formGone || m_keyboardMove)
        return;
    const CaptionFrame frame = Frame();
    for (int i = 0; i < kWindowMenuEntries; ++i)
        m_menuEntries[static_cast<std::size_t>(i)]->setEnabled(
            WindowMenuEntryEnabled(static_cast<WindowMenuEntry>(i), frame, m_form->isMaximized()));
    if (!at) {
        // Under the icon, at the bottom of the title bar.
        const QRect button = WindowMenuButtonRect(m_form->size(), frame);
        const QRect caption = CaptionRect();
        at = m_form->mapToGlobal(QPoint(button.isEmpty() ? caption.left() : button.left(),
            caption.top() + caption.height() + 1));
    }
    // Not exec(): the menu must not hold a nested event loop over a harvest
    // run that pumps messages.
    m_windowMenu->popup(*at);
}

void TGradientCaption::chooseWindowMenuEntry(WindowMenuEntry entry)
{
    switch (entry) {
    case WindowMenuEntry::Restore:
        m_form->showNormal();
        break;
    case WindowMenuEntry::Move:
        startKeyboardMove(KeyboardMove::Kind::Move);
        break;
    case WindowMenuEntry::Size:
        startKeyboardMove(KeyboardMove::Kind::Size);
        break;
    case WindowMenuEntry::Minimize:
        m_form->showMinimized();
        break;
    case WindowMenuEntry::Maximize:
        m_form->showMaximized();
        break;
    case WindowMenuEntry::Close:
        // Once the menu has finished with the choice: the close may destroy
        // the form, the menu and this component with it.
        QMetaObject::invokeMethod(m_form, &QWidget::close, Qt::QueuedConnection);
        break;
    }
}

void TGradientCaption::startKeyboardMove(KeyboardMove::Kind kind)
{
    if (m_keyboardMove)
        return;
    m_keyboardMove.emplace(
        kind, QRect(m_form->pos(), m_form->size()), m_form->minimumSize(), m_form->maximumSize());
    // Every key and click of the application is the move's until it ends.
    m_moveHook
        = new EventHook([this](QObject*, QEvent* event) { return keyboardMoveEvent(event); }, this);
    qApp->installEventFilter(m_moveHook);
    QGuiApplication::setOverrideCursor(
        kind == KeyboardMove::Kind::Move ? Qt::SizeAllCursor : Qt::SizeFDiagCursor);
}

bool TGradientCaption::keyboardMoveEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const KeyboardMove::Outcome outcome
            = m_keyboardMove->key(static_cast<QKeyEvent*>(event)->key());
        const KeyboardMove::Kind kind = m_keyboardMove->kind();
        const QRect geometry = m_keyboardMove->geometry();
        if (outcome == KeyboardMove::Outcome::Ended || outcome == KeyboardMove::Outcome::Cancelled)
            endKeyboardMove();
        if (outcome == KeyboardMove::Outcome::Changed
            || outcome == KeyboardMove::Outcome::Cancelled) {
            if (kind == KeyboardMove::Kind::Move)
                m_form->move(geometry.topLeft());
            else
                m_form->resize(geometry.size());
        }
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click ends the move where the window is, and does nothing else.
        endKeyboardMove();
        return true;
    case QEvent::ApplicationStateChange:
        // The user went to another program (the desktop's Alt+Tab): the
        // move ends where the window is. (A window of this program cannot
        // take the keyboard meanwhile: every key is the move's.)
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState()
            != Qt::ApplicationActive)
            endKeyboardMove();
        return false;
    default:
        return false;
    }
}

void TGradientCaption::endKeyboardMove()
{
    m_keyboardMove.reset();
    // The hook may be the caller: it goes once the event has been handled.
    qApp->removeEventFilter(m_moveHook);
    m_moveHook->deleteLater();
    m_moveHook = nullptr;
    QGuiApplication::restoreOverrideCursor();
}

} // namespace glyphor
