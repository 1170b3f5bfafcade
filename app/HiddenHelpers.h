#pragma once
// Widgets that a window keeps for its own work and never shows to the user
// (the tree scan's work list, the scratch images under the icon picker) are
// kept out of what screen readers are told: they would be announced as
// controls of the window, named after the group they sit in.

class QWidget;

namespace glyphor {

// Hides helper (a widget with a parent) and leaves it out of its parent's
// accessible children from now on. Call it before the parent is shown.
void HideFromScreenReaders(QWidget& helper);

// Whether a widget was hidden that way.
bool IsHiddenFromScreenReaders(const QWidget& widget);

} // namespace glyphor
