#pragma once
// The gradient caption bar: a component that draws its form's title bar as a
// colour gradient from Color at the left to the desktop's title-bar colour
// at the right, with the window's small icon and three texts side by side
// (company, application name, the form's caption), each in its own font and
// colours.
//
// The desktop draws no title bar for it: the component makes its form
// frameless, reserves the room of a frame and title bar around the form's
// contents and, as an event filter on the form, draws them itself and does
// what a title bar does: its minimize, maximize and close buttons, moving
// the window by a drag, Alt+F4, the window menu (Alt+Space, a click on the
// small icon or a right click on the bar) with its move by the keyboard, and
// following activation, colour and font changes. Destroyed before its form,
// it gives the form back the frame it had. Create it once the form has its
// size: the form grows by the frame.

#include "controls/CaptionPainter.h"
#include "controls/TCompanyText.h"
#include "controls/WindowMenu.h"
#include "platform/CaptionMetrics.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <optional>

class QAction;
class QMenu;
class QAbstractButton;
class QMouseEvent;
class QWidget;

namespace glyphor {

// The most bands a gradient is cut into.
inline constexpr int kMaxGradientColors = 256;

class TGradientCaption : public QObject {
    Q_OBJECT
    Q_PROPERTY(glyphor::TAppNameText* AppNameText READ appNameText CONSTANT)
    Q_PROPERTY(glyphor::TCaptionText* CaptionText READ captionText CONSTANT)
    Q_PROPERTY(glyphor::TCompanyText* CompanyText READ companyText CONSTANT)
    Q_PROPERTY(glyphor::platform::ThemedColor Color READ color WRITE setColor)
    Q_PROPERTY(TGradEnabled Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(int NumColors READ numColors WRITE setNumColors)
public:
    // When the gradient is drawn; otherwise the title bar is a plain colour.
    enum TGradEnabled { geAlways, geNever, geWhenActive };
    Q_ENUM(TGradEnabled)

    // The owner must be a form (a top-level widget); anything else raises
    // Error "Invalid class typecast". The component takes over the form's
    // title bar at once.
    explicit TGradientCaption(QObject* owner);
    ~TGradientCaption() override;

    TAppNameText* appNameText() const { return m_appNameText; }
    TCaptionText* captionText() const { return m_captionText; }
    TCompanyText* companyText() const { return m_companyText; }

    platform::ThemedColor color() const { return m_color; }
    void setColor(platform::ThemedColor color);
    TGradEnabled enabled() const { return m_enabled; }
    void setEnabled(TGradEnabled enabled);
    int numColors() const { return m_numColors; }
    // 1 to 256 is taken; 0 or below is ignored, above 256 gives 256.
    void setNumColors(int count);

    // The form; null once it is being destroyed.
    QWidget* form() const { return m_form; }
    // The desktop's title font as the caption bar keeps it.
    QFont captionFont() const { return m_captionFont; }
    // Takes the caption font from the desktop again.
    void ReloadCaptionFont();

    // Whether the title bar is drawn active: as the last activation or
    // deactivation of the form said, or before any, whether the form is the
    // active window.
    bool IsCaptionActive() const;
    // The form's frame as its title bar shows it: the frame it had before
    // the component took the desktop's away.
    CaptionFrame Frame() const;
    QRect CaptionRect() const;
    // The title bar as it is to be drawn for the active or inactive state,
    // its texts readable on it (ReadableScene()).
    CaptionScene Scene(bool active) const;
    // Draws the caption strip for that state, in window coordinates, and
    // returns the rectangle it covered (empty for a form without border).
    QRect PaintCaption(QPainter& painter, bool active) const;

    // The window menu: Restore, Move, Size, Minimize, Maximize and Close,
    // as the desktop's own; none for a form without a border or a menu.
    QMenu* windowMenu() const { return m_windowMenu; }
    QAction* windowMenuEntry(WindowMenuEntry entry) const
    {
        return m_menuEntries[static_cast<std::size_t>(entry)];
    }
    // Opens the window menu at a point of the screen, the entries that do
    // not apply to the window as it is disabled; under the small icon when
    // no point is given, as Alt+Space opens it.
    void ShowWindowMenu(std::optional<QPoint> at = std::nullopt);
    // True while the window menu's Move or Size has the keyboard.
    bool keyboardMoving() const { return m_keyboardMove.has_value(); }

    // What assistive tools find in the title bar: a button over each drawn
    // one and over the small icon that opens the window menu; none where
    // the title bar has no such button.
    QAbstractButton* accessibleButton(CaptionButton button) const;
    QAbstractButton* accessibleWindowMenuButton() const { return m_menuButton; }

    // Makes the form lay out its frame again and repaint it whole.
    void RefreshFrame();
    // Schedules a repaint of the title bar, after a property changed.
    void Invalidate();

protected:
    // The form's events: painting, activation, colour and font changes,
    // and the mouse on the title bar.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QWidget* FormOf(QObject* owner);
    void install();
    void uninstall();
    void setFormFlags(Qt::WindowFlags flags);
    void setFrameMargins(const QMargins& margins);
    void desktopSettingsChanged();
    void paintFrame();
    bool mousePress(QMouseEvent* event);
    bool mouseMove(QMouseEvent* event);
    bool mouseRelease(QMouseEvent* event);
    void pressButton(CaptionButton button);
    void makeAccessibleButtons();
    void placeAccessibleButtons();
    void buildWindowMenu();
    void chooseWindowMenuEntry(WindowMenuEntry entry);
    void startKeyboardMove(KeyboardMove::Kind kind);
    bool keyboardMoveEvent(QEvent* event);
    void endKeyboardMove();

    QPointer<QWidget> m_form;
    bool m_formGone = false;
    Qt::WindowFlags m_formFlags; // as the form had them
    QMargins m_formMargins; // the form's own contents margins
    QMargins m_frameMargins; // the room that the frame adds to them
    bool m_newStyle = platform::kNewStyleCaption;
    QFont m_captionFont;
    bool m_active = true;
    bool m_activationArrived = false;

    TAppNameText* m_appNameText = nullptr;
    TCaptionText* m_captionText = nullptr;
    TCompanyText* m_companyText = nullptr;
    platform::ThemedColor m_color;
    TGradEnabled m_enabled = geAlways;
    int m_numColors = 64;

    QAction* m_closeShortcut = nullptr;
    QAction* m_menuShortcut = nullptr; // Alt+Space
    QMenu* m_windowMenu = nullptr;
    std::array<QAction*, kWindowMenuEntries> m_menuEntries {};
    // The window menu's Move or Size, while it has the keyboard, and the
    // application's event filter that gives it every key and click.
    std::optional<KeyboardMove> m_keyboardMove;
    QObject* m_moveHook = nullptr;
    // The buttons that stand over the drawn ones for assistive tools: close,
    // maximize, minimize, help, and the window menu's icon.
    std::array<QAbstractButton*, 4> m_accessibleButtons {};
    QAbstractButton* m_menuButton = nullptr;
    // A button pressed on the title bar, and whether the mouse is still on it.
    CaptionButton m_pressed = CaptionButton::None;
    bool m_pressedInside = false;
    // A move by hand, where the desktop does not move the window itself: the
    // mouse's offset from the window's corner.
    bool m_moving = false;
    QPoint m_moveOffset;
};

} // namespace glyphor
