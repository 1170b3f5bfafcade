#pragma once
// The main window as the harvest controller's tests play it: keeps the scan
// buttons' captions and the stop state as the window's buttons keep them,
// records every status text and every busy and idle step, answers the stop
// questions from a script and runs a given action at a given pump (a stop
// click, a close).

#include "app/HarvestView.h"
#include "kit/QStringPrinting.h"

#include <QMap>

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>

namespace glyphor::test {

class FakeHost final : public HarvestView {
public:
    StopState stopState() const override { return m_stopState; }
    void setStopState(StopState state) override { m_stopState = state; }
    QString caption(Control button) const override { return m_captions.value(button); }
    void setStatus(const QString& text) override
    {
        statuses << text;
        events << "status " + text;
    }
    void pump() override
    {
        ++pumps;
        events << "pump";
        if (auto it = atPump.find(pumps); it != atPump.end())
            it->second();
    }
    StopAnswer askSearchStop() override { return answer("search", searchAnswers); }
    StopAnswer askCompareStop() override { return answer("compare", compareAnswers); }
    void setCaption(Control button, const QString& text) override
    {
        m_captions[button] = text;
        events << "caption " + ControlName(button) + " " + text;
    }
    void setEnabled(Control control, bool enabled) override
    {
        events << QString(enabled ? "enable " : "disable ") + ControlName(control);
    }
    void setAnimation(bool playing) override
    {
        events << QString(playing ? "animation on" : "animation off");
    }
    void showViewerIcon() override { events << "viewer icon"; }
    void addExtracted() override { ++extracted; }
    bool closing() const override { return isClosing; }

    // The events of one kind, in order ("enable ", "disable ", "ask "), and
    // the status texts that start alike.
    QStringList eventsStartingWith(const QString& prefix) const
    {
        return StartingWith(events, prefix);
    }
    QStringList statusesStartingWith(const QString& prefix) const
    {
        return StartingWith(statuses, prefix);
    }

    QStringList statuses;
    QStringList events;
    int pumps = 0;
    int extracted = 0;
    bool isClosing = false;
    std::deque<StopAnswer> searchAnswers;
    std::deque<StopAnswer> compareAnswers;
    std::map<int, std::function<void()>> atPump;

private:
    QMap<Control, QString> m_captions { { Control::Button1, kScanTreeCaption },
        { Control::Button4, kScanFileCaption } };
    StopState m_stopState = StopState::None;

    static QStringList StartingWith(const QStringList& lines, const QString& prefix)
    {
        QStringList out;
        for (const QString& line : lines)
            if (line.startsWith(prefix))
                out << line;
        return out;
    }
    StopAnswer answer(const char* which, std::deque<StopAnswer>& script)
    {
        events << QString("ask ") + which;
        if (script.empty())
            return StopAnswer::Cancel;
        const StopAnswer a = script.front();
        script.pop_front();
        return a;
    }
};

} // namespace glyphor::test
