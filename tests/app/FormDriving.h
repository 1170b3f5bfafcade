#pragma once
// Driving the main window in a test as a user would: browsers pointed at two
// folders before the window shows, and clicks given through the window so
// that an open modal box blocks them as it would block the user.

#include "app/TForm1.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TFileListBox.h"

#include <QPushButton>
#include <QTest>

namespace glyphor::test {

inline void Click(TForm1& form, QPushButton* button)
{
    QTest::mouseClick(
        form.windowHandle(), Qt::LeftButton, {}, button->mapTo(&form, button->rect().center()));
}

// Clicks the file list's line with that name.
inline void ClickFile(TFileListBox* list, const QString& name)
{
    const int row = list->fileModel()->items().indexOf(name);
    QVERIFY(row >= 0);
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
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
