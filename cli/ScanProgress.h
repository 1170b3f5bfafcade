#pragma once
// What a scan says on stderr while it works. On a terminal: one line,
// rewritten in place, with the files scanned, the icons captured and the file
// or merge step at hand. Elsewhere (a log, a pipe) no progress at all, only
// the lines someone must read: per-item failures and the stop questions with
// their answers. Quiet: failures only.

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace glyphor::cli {

// Set once from the command line (--quiet) before any scan starts.
void SetQuiet(bool quiet);

// The progress line's text: counts first, then as much of the current item as
// fits in width columns (its start cut away and marked with "...").
QString ProgressText(int files, int icons, const QString& current, int width);

class ScanProgress {
public:
    enum class Mode { Quiet, Lines, Terminal };
    // Quiet when asked; Terminal when stderr is a terminal; else Lines.
    static Mode processMode();

    // width: the terminal's columns; 0 asks the terminal behind out.
    explicit ScanProgress(Mode mode = processMode(), std::FILE* out = stderr, int width = 0);
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    // The scan opened another executable (counted even when it has no icons).
    void fileStarted(const QString& path);
    void iconCaptured();
    // A status text of the run: merge steps become the current item, failures
    // and other messages get a line of their own, the idle and busy texts
    // nothing.
    void status(const QString& text);
    // A line that must be read (a stop question and its answer).
    void note(const QString& text);
    // Ends the progress line with the final counts, so that what follows
    // starts on a line of its own.
    void finish();

    int files() const { return m_files; }
    int icons() const { return m_icons; }

private:
    void line(const QString& text);
    void draw(bool force);

    Mode m_mode;
    std::FILE* m_out;
    int m_width;
    int m_files = 0;
    int m_icons = 0;
    QString m_current;
    bool m_shown = false; // the line is on the screen now
    bool m_drawn = false; // it has been since the last finish()
    QElapsedTimer m_sinceDraw;
};

} // namespace glyphor::cli
