#pragma once
// Answers the program's modal windows in a test as a user would: a timer
// polls for the window (it does not exist before the handler that opens it
// runs) and hands it to the test's answer.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Every modal window of type Window that comes up goes to answer, for as long
// as timer runs.
template <class Window> void OnModal(QTimer& timer, std::function<void(Window*)> answer)
{
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [answer = std::move(answer)] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget()))
            answer(window);
    });
    timer.start();
}

// What the message boxes showed.
struct SeenBox {
    int shown = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList history; // "title: text" of every box, in order

    void record(const QMessageBox* box)
    {
        ++shown;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        history << title + ": " + text;
    }
};

// Records every message box and clicks its OK.
inline void AnswerBoxes(QTimer& timer, SeenBox& seen)
{
    OnModal<QMessageBox>(timer, [&seen](QMessageBox* box) {
        seen.record(box);
        box->button(QMessageBox::Ok)->click();
    });
}
