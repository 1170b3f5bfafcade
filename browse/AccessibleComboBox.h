#pragma once
// What screen readers are told of a drop-down list that draws its own items:
// the toolkit names a combo box on this desktop after its current item's
// text, which for these lists is a placeholder ("0", "1", ... in the icon
// picker) or a notation meant for the eye ("/ []" in the drive lists). A
// list handed to SpeakItemsInWords() is named by the words each item carries
// in Qt::AccessibleTextRole, or by the name set on it, and its drop-down
// list reads its items by those words as well.

class QComboBox;

namespace glyphor {

// The combo box's accessible name becomes its accessibleName() when one is
// set, else its current item's words; its value is always the current
// item's words. Items without words are read by their text.
void SpeakItemsInWords(QComboBox& box);

} // namespace glyphor
