#include "controls/WindowMenu.h"

#include <QtGlobal>

namespace glyphor {

namespace {

// The toolkit's largest size of a window, either way.
constexpr int kLargestSide = (1 << 24) - 1;

} // namespace

bool WindowMenuEntryEnabled(WindowMenuEntry entry, const CaptionFrame& frame, bool maximized)
{
    const bool normal = !frame.minimized && !maximized;
    const bool sizeable
        = frame.style == BorderStyle::Sizeable || frame.style == BorderStyle::SizeToolWin;
    switch (entry) {
    case WindowMenuEntry::Restore:
        return !normal;
    case WindowMenuEntry::Move:
        return normal;
    case WindowMenuEntry::Size:
        return normal && sizeable;
    case WindowMenuEntry::Minimize:
        return frame.minimize && !frame.minimized;
    case WindowMenuEntry::Maximize:
        return frame.maximize && !maximized;
    case WindowMenuEntry::Close:
        return frame.systemMenu;
    }
    return false;
}

KeyboardMove::KeyboardMove(Kind kind, QRect start, QSize minimum, QSize maximum)
    : m_kind(kind)
    , m_start(start)
    , m_geometry(start)
    , m_minimum(minimum.expandedTo(QSize(1, 1)))
    , m_maximum(maximum.isValid() ? maximum : QSize(kLargestSide, kLargestSide))
{
}

KeyboardMove::Outcome KeyboardMove::key(int key)
{
    QPoint step;
    switch (key) {
    case Qt::Key_Left:
        step = { -kKeyboardMoveStep, 0 };
        break;
    case Qt::Key_Right:
        step = { kKeyboardMoveStep, 0 };
        break;
    case Qt::Key_Up:
        step = { 0, -kKeyboardMoveStep };
        break;
    case Qt::Key_Down:
        step = { 0, kKeyboardMoveStep };
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Outcome::Ended;
    case Qt::Key_Escape:
        m_geometry = m_start;
        return Outcome::Cancelled;
    default:
        return Outcome::Ignored;
    }
    if (m_kind == Kind::Move) {
        m_geometry.translate(step);
        return Outcome::Changed;
    }
    const QSize size = (m_geometry.size() + QSize(step.x(), step.y()))
                           .expandedTo(m_minimum)
                           .boundedTo(m_maximum);
    if (size == m_geometry.size())
        return Outcome::Ignored;
    m_geometry.setSize(size);
    return Outcome::Changed;
}

} // namespace glyphor
