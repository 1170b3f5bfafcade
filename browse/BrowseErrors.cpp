#include "browse/BrowseErrors.h"

#include "platform/ErrorBox.h"
#include "platform/NativePath.h"

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
    const QString message = platform::DisplayMessage(error.what());
    if (Reporter())
        Reporter()(widget, message);
    else
        platform::ShowErrorBox(widget ? widget->window() : nullptr, message);
}

} // namespace glyphor
