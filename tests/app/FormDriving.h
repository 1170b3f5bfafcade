#pragma once
// Driving the main window in a test as a user would: browsers pointed at two
// folders before the window shows, and clicks given through the window so
// that an open modal box blocks them as it would block the user.

#include "app/TForm1.h"
#include "browse/TDirectoryListBox.h"

#include <QPushButton>
#include <QTest>

namespace glyphor::test {

inline void Click(TForm1& form, QPushButton* button)
{
    QTest::mouseClick(
        form.windowHandle(), Qt::LeftButton, {}, button->mapTo(&form, button->rect().center()));
}

// Shows the window with its browsers on source and destination; false when
// it never came on screen.
[[nodiscard]] inline bool ShowWith(TForm1& form, const QString& source, const QString& destination)
{
    form.DirectoryListBox1->setDirectory(source);
    form.DirectoryListBox2->setDirectory(destination);
    form.show();
    return QTest::qWaitForWindowExposed(&form);
}

} // namespace glyphor::test
