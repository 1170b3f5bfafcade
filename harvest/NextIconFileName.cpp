#include "harvest/NextIconFileName.h"

#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/IconCounter.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <limits>

#include <fcntl.h>
#include <sys/stat.h>

namespace glyphor {

namespace {

constexpr int kFourDigitNames = 10000;

// A name is taken by anything but a folder. A link counts by what it points
// at, and a dangling link counts as taken so that nothing is written through
// it: its attributes then hold no folder bit.
bool FileTaken(const QString& path)
{
    const std::optional<unsigned> attributes = platform::AttributesOf(path);
    return attributes && !(*attributes & platform::faDirectory);
}

// The counter steps in 32 bits and wraps instead of overflowing; only the last
// four digits ever matter in the four-digit names.
std::int32_t Next(std::int32_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

std::int64_t FourDigitNumber(std::int32_t counter)
{
    const std::int64_t magnitude = counter < 0 ? -static_cast<std::int64_t>(counter) : counter;
    return magnitude % kFourDigitNames;
}

QString NameOf(std::int64_t number)
{
    return QStringLiteral("Icon")
        + (number < kFourDigitNames ? IconNumberDigits(static_cast<std::int32_t>(number))
                                    : QString::number(number))
        + QStringLiteral(".ico");
}

// The first free name by takenOnDisk(name), from IconCounter upward: the
// four-digit names first, then, in a folder with room beyond them, the names
// from 10000 up. hint, when given, spares the look on disk at the names it
// knows to be taken, and learns those found taken.
template <class TakenOnDisk>
QString FirstFreeName(
    const QString& folder, IconNameRoom room, TakenIconNames* hint, TakenOnDisk&& takenOnDisk)
{
    const std::int32_t start = IconCounter();
    const auto free = [&](std::int64_t number, const QString& name) {
        if (hint && hint->has(number))
            return false;
        if (!takenOnDisk(name))
            return true;
        if (hint)
            hint->add(number);
        return false;
    };
    if (!hint || !hint->fourDigitsFull()) {
        std::int32_t counter = start;
        for (int tried = 0; tried < kFourDigitNames; ++tried) {
            const std::int64_t number = FourDigitNumber(counter);
            QString name = NameOf(number);
            counter = Next(counter);
            if (free(number, name)) {
                SetIconCounter(counter);
                return name;
            }
        }
    }
    if (room == IconNameRoom::Unbounded) {
        // Every four-digit name exists: the numbers go on in full, from
        // 10000 or from where the counter has got to beyond it.
        constexpr std::int64_t kLast = std::numeric_limits<std::int32_t>::max() - 1;
        for (std::int64_t number = std::max<std::int64_t>(start, kFourDigitNames); number <= kLast;
             ++number) {
            QString name = NameOf(number);
            if (free(number, name)) {
                SetIconCounter(static_cast<std::int32_t>(number + 1));
                return name;
            }
        }
    }
    // Every name has been tried once, so the search would never end.
    SetIconCounter(start);
    throw ENoFreeIconName(
        FormatMessage("No free icon file name left in %s: Icon0000.ico to Icon9999.ico all exist",
            files::MessagePath(folder)));
}

} // namespace

QString IconNumberDigits(std::int32_t value)
{
    const std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    const QString text = QStringLiteral("0000") + QString::number(magnitude);
    return text.right(4);
}

std::optional<std::int64_t> IconFileNumber(const QString& name)
{
    if (name.size() < 12 || !name.startsWith(QLatin1String("Icon"))
        || !name.endsWith(QLatin1String(".ico")))
        return std::nullopt;
    const QStringView digits = QStringView(name).mid(4, name.size() - 8);
    // Ten digits pass every number a name is ever given.
    if (digits.size() > 10 || (digits.size() > 4 && digits.front() == QLatin1Char('0')))
        return std::nullopt;
    std::int64_t number = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        number = number * 10 + (c.unicode() - '0');
    }
    if (digits.size() > 4 && number < kFourDigitNames)
        return std::nullopt;
    return number;
}

void TakenIconNames::clear()
{
    m_fourDigits.reset();
    m_fourTaken = 0;
    m_beyond.clear();
}

void TakenIconNames::add(const QString& name)
{
    if (const std::optional<std::int64_t> number = IconFileNumber(name))
        add(*number);
}

void TakenIconNames::add(std::int64_t number)
{
    if (number < 0)
        return;
    if (number < kFourDigitNames) {
        if (!m_fourDigits.test(std::size_t(number))) {
            m_fourDigits.set(std::size_t(number));
            ++m_fourTaken;
        }
        return;
    }
    m_beyond.insert(number);
}

bool TakenIconNames::has(std::int64_t number) const
{
    if (number < 0)
        return false;
    return number < kFourDigitNames ? m_fourDigits.test(std::size_t(number))
                                    : m_beyond.contains(number);
}

QString NextIconFileName(const QString& folder)
{
    return platform::JoinPath(folder,
        FirstFreeName(folder, IconNameRoom::Unbounded, nullptr,
            [&](const QString& name) { return FileTaken(platform::JoinPath(folder, name)); }));
}

QString NextIconFileNameIn(const files::Folder& folder, IconNameRoom room, TakenIconNames* taken)
{
    return FirstFreeName(
        files::FromNativePath(folder.path()), room, taken, [&](const QString& name) {
            // As FileTaken, relative to the open folder.
            struct stat st { };
            if (::fstatat(folder.descriptor(), files::ToNativePath(name).c_str(), &st, 0) == 0)
                return !S_ISDIR(st.st_mode);
            return ::fstatat(folder.descriptor(), files::ToNativePath(name).c_str(), &st,
                       AT_SYMLINK_NOFOLLOW)
                == 0;
        });
}

} // namespace glyphor
