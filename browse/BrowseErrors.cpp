#include "browse/BrowseErrors.h"

#include "files/NativePath.h"

#include <QDebug>
#include <QWidget>

namespace glyphor {

namespace {

BrowseErrorReporter& Reporter()
{
    static BrowseErrorReporter current;
    return current;
}

} // namespace

void SetBrowseErrorReporter(BrowseErrorReporter newReporter)
{
    Reporter() = std::move(newReporter);
}

void ReportBrowseError(QWidget* widget, const std::exception& error)
{
    const QString message = files::DisplayMessage(error.what());
    // The application puts its error box here when it starts; a program
    // that has not (a tool, a test) still sees the error.
    if (Reporter())
        Reporter()(widget, message);
    else
        qWarning().noquote() << message;
}

} // namespace glyphor
