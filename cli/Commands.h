#pragma once
// The subcommands of glyphor2-cli. Each takes the arguments that follow its
// name and returns the process's exit status (0 success, 1 an error, 2 a
// usage error; the scans 3 when they left icons behind); failures are
// reported on stderr in the program's own words.

#include <exception>
#include <string>
#include <vector>

namespace glyphor::cli {

// The arguments as the system gave them: paths are bytes and go to the
// engine through files::FromNativePath, or to the byte-level readers and
// writers as they are.
using Arguments = std::vector<std::string>;

// The exit statuses of every command. A command whose standard output could
// not be written ends with kExitError at least.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitError = 1; // the command could not do its work
inline constexpr int kExitUsage = 2; // wrong arguments
// A harvest that came to its end but left icons behind: an icon skipped, a
// copy failed, or the walk cut short. The summary line says how many. Also
// an extract that left damaged images or groups out.
inline constexpr int kExitLeftBehind = 3;
// A scan stopped by Ctrl+C before the end of its search: what it had
// collected was merged, but the tree was not searched to its end.
inline constexpr int kExitInterrupted = 4;

// An error on stderr, in the program's words. A file that a message names by
// bytes that are not UTF-8 is shown with those bytes marked (\xHH).
void PrintError(const std::exception& error);

// show FILE OUT.png: the icon that the icon file reader makes of FILE, as a
// 32 x 32 RGBA PNG. OUT.png is a new file (anything that has the name is
// refused) or "-" for standard output; an error names FILE or OUT.png.
int ShowCommand(const Arguments& args);

// icons FILE: the number of icons of FILE, one decimal line (0 for an
// executable with none). A file that cannot be read is an error naming it
// and the system's reason; one that is neither a Windows executable nor an
// icon file an error that says so.
int IconsCommand(const Arguments& args);

// capture FILE INDEX OUT.ico: the icon file that a capture of icon INDEX of
// FILE writes. An INDEX the file does not have says how many icons it has;
// an icon that does not decode: "Icon image is not valid: " and why; status 1
// and no file either way.
int CaptureCommand(const Arguments& args);

// capture-all FILE OUTDIR: every icon of FILE captured into OUTDIR as
// Icon0000.ico, Icon0001.ico, ...; prints how many were written.
int CaptureAllCommand(const Arguments& args);

// save FILE INDEX DESTDIR: what "Save Icon" does, with the icon counter at 0;
// prints the full path of the file written.
int SaveCommand(const Arguments& args);

// scan-tree SRCDIR DESTDIR: "Scan Tree" without a window. Status texts on
// stderr, Ctrl+C asks to stop and every stop question is answered Yes; prints
// "captured N, added M" at the end, or, with status kExitLeftBehind, "captured
// N, added M, skipped S, K stayed in Temp" after listing the skipped icons on
// stderr. Another harvest into DESTDIR in progress: an error, nothing changed.
int ScanTreeCommand(const Arguments& args);

// scan-file FILE DESTDIR: "Scan File" of one file, with the same conventions.
int ScanFileCommand(const Arguments& args);

// thumbnail FILE OUT.png SIZE: the first icon of FILE as a full-colour PNG,
// for file managers: the smallest image at least SIZE wide, else the largest,
// never larger than SIZE (a larger one is scaled down). OUT.png appears whole
// or not at all, as a new file or in an empty regular file that is there
// already (file managers make it first); "-" is standard output.
int ThumbnailCommand(const Arguments& args);

// extract FILE OUTDIR [--cursors]: every icon group of FILE (a PE, NE or icon
// file) written into OUTDIR as the icon file it was: each image's bytes as
// stored (PNG or bitmap), the directory made from the group's. Named after
// the source and the group's number or name ("notepad.exe-2.ico",
// "shell32.dll-ICON_FOLDER.ico"); a name that is taken gives "-2", "-3"...
// and nothing is replaced. With --cursors the cursor groups too, as .cur
// files with their hot spots. Prints each path written; each image or group
// left out (missing, damaged) is named on stderr with why, and the status is
// then kExitLeftBehind.
int ExtractCommand(const Arguments& args);

// sources DEST/IconNNNN.ico: every place the icon file's content was found,
// from the catalogue of its folder, one a line: the source file's path as
// its bytes, a tab, the icon's index in that file, and for an archive member
// a tab and the member's path, each field escaped as TabField does. Each
// place once, the first found first.
// Nothing for a file without sources; a folder without a catalogue is noted.
int SourcesCommand(const Arguments& args);

// full DEST/IconNNNN.ico OUT.ico: the original group the icon file was made
// from, as the catalogue keeps it (the largest where there are several),
// written to OUT.ico, which must not exist, or to standard output for "-".
int FullCommand(const Arguments& args);

// catalogue DEST: every capture the catalogues of DEST record, oldest first,
// one a line of ten tab-separated columns: time (UTC), outcome, file, source,
// index, member, group, the icon file's SHA-256, the original's SHA-256 and
// its size, each field escaped as TabField does.
int CatalogueCommand(const Arguments& args);

} // namespace glyphor::cli
