#include "harvest/RunTexts.h"

#include "files/NativePath.h"
#include "harvest/HarvestObserver.h"
#include "harvest/HarvestOutcome.h"
#include "platform/FileSystem.h"

namespace glyphor {

namespace {

QString IconOf(int number, int count)
{
    return QStringLiteral(" Icon %1 of %2").arg(number).arg(count);
}

} // namespace

QString ShownSource(const QString& file, const QString& member)
{
    return member.isEmpty() ? file : file + kMemberSeparator + member;
}

QString ShownPlace(const IconPlace& place, bool tree)
{
    if (!place.member.isEmpty())
        return ShownSource(place.file, place.member);
    return tree ? platform::FileNameOf(place.file) : place.file;
}

QString SearchingText(const QString& file, int number, int count)
{
    return kSearchingPrefix + file + IconOf(number, count);
}

QString ComparingText(const QString& collected, const QString& destination)
{
    return kComparingPrefix + collected + QStringLiteral(" with ") + destination;
}

QString CopyingText(const QString& collected)
{
    return kCopyingPrefix + collected;
}

QString SkippedIconText(const QString& file, int number, int count, const QString& reason)
{
    QString text = file;
    if (number > 0)
        text += IconOf(number, count);
    return text + QStringLiteral(": ") + reason;
}

QString CopyFailedText(const QString& collected, const QString& reason)
{
    return kCopyFailedStatus + QStringLiteral(": ") + files::DisplayPath(collected)
        + QStringLiteral(": ") + reason;
}

QString WalkCutShortStatus(const QString& reason)
{
    return reason + QStringLiteral("; merging what was collected");
}

QString SkippedSummaryText(const QList<SkippedIcon>& skipped, const QString& walkCutShort,
    const QList<FailedCopy>& failedCopies)
{
    QString text;
    const int count = int(skipped.size());
    if (count > 0) {
        text = count == 1
            ? QStringLiteral("1 icon could not be captured and was skipped:")
            : QStringLiteral("%1 icons could not be captured and were skipped:").arg(count);
        // A few are enough to find the files; the command-line tool lists all.
        constexpr int kListed = 10;
        for (int i = 0; i < count && i < kListed; ++i) {
            const SkippedIcon& icon = skipped[i];
            text += QLatin1Char('\n')
                + SkippedIconText(files::DisplayPath(ShownSource(icon.file, icon.member)),
                    icon.number, icon.count, icon.reason);
        }
        if (count > kListed)
            text += QStringLiteral("\nand %1 more.").arg(count - kListed);
    }
    if (const int failed = int(failedCopies.size()); failed > 0) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += failed == 1
            ? QStringLiteral("1 icon could not be copied into the destination and stayed in Temp:")
            : QStringLiteral("%1 icons could not be copied into the destination and stayed in "
                             "Temp:")
                  .arg(failed);
        constexpr int kListed = 10;
        for (int i = 0; i < failed && i < kListed; ++i)
            text += QLatin1Char('\n')
                + CopyFailedText(failedCopies[i].collected, failedCopies[i].reason);
        if (failed > kListed)
            text += QStringLiteral("\nand %1 more.").arg(failed - kListed);
    }
    if (!walkCutShort.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += walkCutShort
            + QStringLiteral(". The search ended there, and what was collected was merged.");
    }
    return text;
}

QString HarvestOutcome::skippedSummary() const
{
    QString text = SkippedSummaryText(skipped, walkCutShort, failedCopies);
    for (const QString& notice : notices)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + notice;
    return text;
}

} // namespace glyphor
