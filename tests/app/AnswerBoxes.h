#pragma once
// Answers the program's modal message boxes in a test as a user would: a
// timer polls for the box (it does not exist before the handler runs),
// records what it shows and clicks OK.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

struct SeenBox {
    int shown = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList history; // "title: text" of every box, in order
};

inline void AnswerBoxes(QTimer& timer, SeenBox& seen)
{
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        ++seen.shown;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.history << seen.title + ": " + seen.text;
        box->button(QMessageBox::Ok)->click();
    });
    timer.start();
}
