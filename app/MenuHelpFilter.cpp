#include "app/MenuHelpFilter.h"

#include "help/HelpRequest.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

namespace glyphor {

namespace {

// The entry under the highlight of the innermost open menu, if any.
QAction* HighlightedEntry()
{
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* entry = menu ? menu->activeAction() : nullptr;
    return entry && !entry->isSeparator() ? entry : nullptr;
}

void CloseMenus()
{
    // Innermost first; a menu that will not close ends the loop rather than
    // spinning on it.
    QWidget* last = nullptr;
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (popup == last)
            break;
        last = popup;
        popup->close();
    }
}

} // namespace

bool MenuHelpFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    QAction* entry = HighlightedEntry();
    if (!entry)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        // Taken as an ordinary key, so that the window's own F1 shortcut
        // (the contents) does not fire while an entry is highlighted.
        event->accept();
        return true;
    }
    // The menu closes first, so that the help window can take the input.
    const int context = entry->property("helpContext").toInt();
    CloseMenus();
    help::RequestHelp(help::HelpCommand::Context, context);
    return true;
}

} // namespace glyphor
