#pragma once
// F1 on a highlighted menu entry opens that entry's help topic, in every
// window of the program. Installed once on the application, it looks at F1
// while a menu is open and asks for the topic of the entry under the
// highlight, read from the entry's "helpContext" property; the windows need
// no code of their own for it. With no menu open, or no entry highlighted,
// F1 goes on to the window's own F1 (its help contents).

#include <QObject>

namespace glyphor {

class MenuHelpFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace glyphor
