#pragma once
// The viewer's load of pictures, without its window: one icon file after
// another, read by the program's icon file reader and appended to the image
// list, with pending messages handled every 30 icons so that the window
// answers while a large folder loads. The window plays the host; tests play
// it without a window.
//
// Everything the user does during a load arrives inside one of the host's
// pumps, so the load reads its state after each of them: a stop ends it after
// one more icon, a refresh makes it start again at the first item, and a
// window that went away during the pump is never touched again.

#include "iconfile/IconImage.h"

#include <QString>

namespace glyphor {

enum class LoadState {
    NotStarted, // the window has not loaded pictures yet
    Loading, // a load is running
    LoadEnded, // the last load finished, or a stop of the running one was asked for
};

// The icons read between two pumps of pending messages.
inline constexpr int kIconsPerPump = 30;

class IconLoadHost {
public:
    virtual ~IconLoadHost() = default;

    // The items as they stand when the load reaches them, and the path of
    // one's file: the folder the window was filled from and the file's name
    // (never the caption, which the user may have edited).
    virtual int itemCount() const = 0;
    virtual QString itemPath(int item) const = 0;
    // Appends the picture of the next item to the image list.
    virtual void appendImage(const IconImage& icon) = 0;
    // The first entry of the File menu: "&Stop" while loading, "&Close" after.
    virtual void setStopCaption(bool loading) = 0;

    // The activation steps (the first item selected, the list focused) and
    // then a pump. False as pump() below.
    virtual bool activate() = 0;
    // Handles pending messages. False when the window went away meanwhile:
    // the load then returns at once and touches nothing, itself included.
    virtual bool pump() = 0;
    // The application's error box with the reader's message.
    virtual void showError(const QString& message) = 0;
};

class IconLoad {
public:
    explicit IconLoad(IconLoadHost& host)
        : m_host(host)
    {
    }

    LoadState state() const { return m_state; }
    // True while a load is on the call stack, also after a stop was asked for
    // and before the load has noticed it.
    bool running() const { return m_running; }

    // "&Stop" or a close request: the running load ends after its next icon.
    void stop() { m_state = LoadState::LoadEnded; }

    // The activation steps, then the load of every item's picture, unless a
    // load is already running further down the call stack. A file that cannot
    // be read ends the load as a stop does and is reported once.
    void load();

    // A refresh while a load runs: the caller clears and fills the window,
    // and the running load starts again at the first item once its pump has
    // returned, so that no picture of the old items lands among the new ones.
    void restart();

private:
    void finish();

    IconLoadHost& m_host;
    LoadState m_state = LoadState::NotStarted;
    bool m_running = false;
    bool m_restart = false;
};

} // namespace glyphor
