#pragma once
// Every text that a harvest puts before the user: the two stop questions,
// the progress texts and the run's own error messages. They are kept in one
// place so that they are read, and changed, together; the window, glyphor2-cli
// and its progress line all take them from here.
//
// A few keep the spelling the program has always shown, on purpose: they are
// the words its users know, and scripts that read the tool's output look for
// them. Do not correct them:
// - "Coping .... " is the status of a copy made without comparison, not
//   "Copying";
// - the compare stop question says "The Compare as been stopped", not "has";
// - the search stop question ends "onto the Compare ?", space and all, and
//   both questions capitalise as they do ("Remove the Rest of the Icons");
// - "Copy Failed (202)" keeps its number, and the progress texts their four
//   dots and a space ("Searching .... ").

#include "archive/MemberPath.h"
#include "harvest/HarvestOutcome.h"

#include <QList>
#include <QString>

namespace glyphor {

// The stop questions: a Yes/No/Cancel box with the question icon.
inline const QString kStopQuestionTitle = QStringLiteral("Glyphor 2");
inline const QString kSearchStopQuestion = QStringLiteral(
    "The Search has been stopped by the user.\n\nDo you wish to move onto the Compare ?");
inline const QString kCompareStopQuestion
    = QStringLiteral("The Compare as been stopped by the user.\n\nSelect Yes to Remove the Rest of "
                     "the Icons\nSelect No to Skip the Compare and Add All Icons.");

// The progress text from the start of a run and after its end.
inline const QString kBusyStatus = QStringLiteral("Busy.");
inline const QString kReadyStatus = QStringLiteral("Ready.");
// A copy into the destination failed; the icon stays in Temp.
inline const QString kCopyFailedStatus = QStringLiteral("Copy Failed (202)");

// How the progress texts begin: a capture, a comparison of the merge, a copy
// without comparison, an icon that could not be captured.
inline const QString kSearchingPrefix = QStringLiteral("Searching .... ");
inline const QString kComparingPrefix = QStringLiteral("Comparing .... ");
inline const QString kCopyingPrefix = QStringLiteral("Coping .... ");
inline const QString kSkippedPrefix = QStringLiteral("Skipped .... ");
// Between an archive and a member inside it, in the progress texts.
inline const QString kMemberSeparator = QString::fromUtf8(
    archive::kMemberSeparator.data(), qsizetype(archive::kMemberSeparator.size()));

// "Searching .... notepad.exe Icon 2 of 3": icon number (from 1) of count.
QString SearchingText(const QString& file, int number, int count);
// "Comparing .... Icon0003.ico with Icon0120.ico".
QString ComparingText(const QString& collected, const QString& destination);
// "Coping .... Icon0003.ico".
QString CopyingText(const QString& collected);
// An icon that could not be captured, named as "file Icon 2 of 3: reason";
// without the icon's place when number is 0 (the file's icons could not be
// counted). The status text puts kSkippedPrefix before it, the summary and
// the tool's list show it as it is.
QString SkippedIconText(const QString& file, int number, int count, const QString& reason);
// A copy into the destination that failed, named with its reason:
// "Copy Failed (202): /d/Temp/Icon0003.ico: No space left on device".
QString CopyFailedText(const QString& collected, const QString& reason);
// The status when no free icon name is left in Temp and the walk ends there.
QString WalkCutShortStatus(const QString& reason);
// What the user is told at the end of a run that skipped icons, failed to
// copy some or cut its walk short: how many, the first few of them, and why
// the walk ended. Empty when there is nothing to tell.
QString SkippedSummaryText(const QList<SkippedIcon>& skipped, const QString& walkCutShort,
    const QList<FailedCopy>& failedCopies = {});

// The run's own errors, patterns for FormatMessage with a folder's name.
inline constexpr char kHarvestInProgressError[]
    = "Another harvest into %s is in progress; try again when it has ended";
inline constexpr char kTempFolderInTheWayError[]
    = "Cannot create folder %s: a file or link of that name is in the way";
inline constexpr char kForeignTempFolderError[]
    = "Cannot collect icons in %s: the folder was not made by Glyphor 2, and nothing in it was "
      "touched; move or rename it, then harvest again";
inline constexpr char kIntoTempFolderError[]
    = "Cannot harvest into %s: it is where a harvest collects its icons";

} // namespace glyphor
