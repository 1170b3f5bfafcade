#include "cli/ScanProgress.h"

#include "files/NativePath.h"
#include "harvest/RunTexts.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace glyphor::cli {

namespace {

bool g_quiet = false;

// A terminal is redrawn at most this often; more is flicker nobody can read.
constexpr qint64 kRedrawMs = 100;

QString Counted(int n, const char* one, const char* many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

int TerminalWidth(std::FILE* out)
{
    winsize size {};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

enum class StatusKind { Frame, Progress, Failure, Message };

// The run's texts by what they mean to someone watching a terminal.
StatusKind KindOf(const QString& text)
{
    if (text == kBusyStatus || text == kReadyStatus)
        return StatusKind::Frame;
    for (const QString& prefix : { kSearchingPrefix, kComparingPrefix, kCopyingPrefix })
        if (text.startsWith(prefix))
            return StatusKind::Progress;
    if (text == kCopyFailedStatus)
        return StatusKind::Failure;
    return StatusKind::Message;
}

} // namespace

void SetQuiet(bool quiet)
{
    g_quiet = quiet;
}

QString ProgressText(int files, int icons, const QString& current, int width)
{
    QString text = QStringLiteral("Scanned ") + Counted(files, "file", "files")
        + QStringLiteral(", captured ") + Counted(icons, "icon", "icons");
    if (current.isEmpty())
        return text;
    text += QStringLiteral(": ");
    // The last column stays free: writing into it makes some terminals wrap,
    // and a wrapped line can no longer be rewritten in place.
    const qsizetype room = width - 1 - text.size();
    if (current.size() <= room)
        return text + current;
    if (room > 3)
        return text + QStringLiteral("...") + current.right(room - 3);
    return text.left(text.size() - 2);
}

ScanProgress::Mode ScanProgress::processMode()
{
    if (g_quiet)
        return Mode::Quiet;
    return ::isatty(STDERR_FILENO) ? Mode::Terminal : Mode::Lines;
}

ScanProgress::ScanProgress(Mode mode, std::FILE* out, int width)
    : m_mode(mode)
    , m_out(out)
    , m_width(width > 0                ? width
              : mode == Mode::Terminal ? TerminalWidth(out)
                                       : 80)
{
    m_sinceDraw.start();
}

ScanProgress::~ScanProgress()
{
    finish();
}

void ScanProgress::fileStarted(const QString& path)
{
    ++m_files;
    m_current = files::DisplayPath(path);
    draw(false);
}

void ScanProgress::iconCaptured()
{
    ++m_icons;
    draw(false);
}

void ScanProgress::status(const QString& raw)
{
    // Status texts carry names as the system gave them; people read them with
    // undecodable bytes marked.
    const QString text = files::DisplayPath(raw);
    switch (KindOf(text)) {
    case StatusKind::Frame:
        return;
    case StatusKind::Progress:
        // The walk's texts name the file that fileStarted already shows; the
        // merge's name the icon files being compared or copied.
        if (!text.startsWith(kSearchingPrefix)) {
            m_current = text;
            draw(false);
        }
        return;
    case StatusKind::Failure:
        line(text);
        return;
    case StatusKind::Message:
        if (m_mode != Mode::Quiet)
            line(text);
        return;
    }
}

void ScanProgress::note(const QString& text)
{
    if (m_mode != Mode::Quiet)
        line(text);
}

void ScanProgress::finish()
{
    if (m_mode != Mode::Terminal || !m_drawn)
        return;
    m_current.clear();
    draw(true);
    std::fputc('\n', m_out);
    std::fflush(m_out);
    m_shown = false;
    m_drawn = false;
}

void ScanProgress::line(const QString& text)
{
    // On a terminal the progress line gives way and is drawn again below.
    if (m_shown)
        std::fputs("\r\x1b[K", m_out);
    std::fprintf(m_out, "%s\n", text.toUtf8().constData());
    std::fflush(m_out);
    m_shown = false;
}

void ScanProgress::draw(bool force)
{
    if (m_mode != Mode::Terminal)
        return;
    if (!force && m_shown && m_sinceDraw.elapsed() < kRedrawMs)
        return;
    const QString text = ProgressText(m_files, m_icons, m_current, m_width);
    std::fprintf(m_out, "\r%s\x1b[K", text.toUtf8().constData());
    std::fflush(m_out);
    m_shown = true;
    m_drawn = true;
    m_sinceDraw.restart();
}

} // namespace glyphor::cli
