#include "cli/ScanReport.h"

#include "cli/Commands.h"
#include "files/NativePath.h"
#include "harvest/HarvestObserver.h"
#include "harvest/RunTexts.h"

namespace glyphor::cli {

namespace {

void Line(std::FILE* to, const QString& text)
{
    std::fprintf(to, "%s\n", files::DisplayPath(text).toUtf8().constData());
}

} // namespace

int ReportScan(const ScanEnd& end, std::FILE* out, std::FILE* err)
{
    const HarvestOutcome& o = end.outcome;
    if (o.leftIconsBehind()) {
        // The harvest did not take everything: a status of its own, so that
        // scripts can tell it from success.
        for (const SkippedIcon& icon : o.skipped)
            Line(err,
                QStringLiteral("skipped ")
                    + SkippedIconText(files::DisplayPath(ShownSource(icon.file, icon.member)),
                        icon.number, icon.count, icon.reason));
        for (const FailedCopy& copy : o.failedCopies)
            Line(err, CopyFailedText(copy.collected, copy.reason));
        if (!o.walkCutShort.isEmpty())
            Line(err, o.walkCutShort);
        std::fprintf(out, "captured %d, added %d, skipped %d, %d stayed in Temp\n", o.captured,
            o.added, int(o.skipped.size()), o.leftInTemp);
        return kExitLeftBehind;
    }
    std::fprintf(out, "captured %d, added %d\n", o.captured, o.added);
    // What was collected is in the destination, but the tree was not
    // searched to its end.
    return end.searchStopped ? kExitInterrupted : kExitSuccess;
}

} // namespace glyphor::cli
