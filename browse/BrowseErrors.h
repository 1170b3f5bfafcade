#pragma once
// Where the browsers send an error that a user's action raised (a folder that
// cannot be entered, or a failure in a handler of their events). Qt does not
// carry exceptions through its own event dispatch, so the widgets catch them
// at the edge of each event and hand them on from here.

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace glyphor {

using BrowseErrorReporter = std::function<void(QWidget* widget, const QString& message)>;

// Replaces the reporter; the application sets its error box here. Without
// one, the message goes to the program's warnings.
void SetBrowseErrorReporter(BrowseErrorReporter reporter);
void ReportBrowseError(QWidget* widget, const std::exception& error);

// Runs action and reports what it throws.
template <class F> void RunReportingErrors(QWidget* widget, F&& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        ReportBrowseError(widget, error);
    }
}

} // namespace glyphor
