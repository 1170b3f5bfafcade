#include "browse/BrowseErrors.h"

#include "platform/ErrorBox.h"
#include "platform/NativePath.h"

#include <QWidget>

namespace glyphor {

namespace {

BrowseErrorReporter& reporter()
{
    static BrowseErrorReporter current;
    return current;
}

} // namespace

void setBrowseErrorReporter(BrowseErrorReporter newReporter)
{
    reporter() = std::move(newReporter);
}

void reportBrowseError(QWidget* widget, const std::exception& error)
{
    const QString message = platform::displayMessage(error.what());
    if (reporter())
        reporter()(widget, message);
    else
        platform::ShowErrorBox(widget ? widget->window() : nullptr, message);
}

} // namespace glyphor
