#include "platform/SettingsStore.h"

#include "files/InputFile.h"
#include "files/NativePath.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/RunningTotal.h"
#include "util/Error.h"

#include <QDebug>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace glyphor::platform {

namespace {

const QString kCountKey = QStringLiteral("Count");

int DigitValue(QChar c, int base)
{
    int value = -1;
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        value = c.unicode() - '0';
    else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        value = c.unicode() - 'a' + 10;
    else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        value = c.unicode() - 'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::optional<std::int32_t> ParseInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    int base = 10;
    if (i < text.size() && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Decimal values are limited by the sign's range; hexadecimal ones by the
    // 32 bits they fill.
    const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    if (base == 16)
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int32_t>(negative ? -value : value);
}

QString UserSettingsPath()
{
    // Where QSettings keeps the program's settings by its organisation and
    // application name, so that the count stored by earlier versions is found.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tarnwell/Glyphor2.conf");
}

SettingsStore::SettingsStore()
    : m_path(UserSettingsPath())
{
}

SettingsStore::SettingsStore(const QString& iniPath)
    : m_path(iniPath)
{
}

namespace {

// A settings file of the program holds one short line; anything much larger
// is not one.
constexpr std::size_t kMaxSettingsFileSize = std::size_t { 64 } * 1024;
// How long a close waits for another window's store to finish, which takes
// milliseconds; a holder that never lets go fails the store instead.
constexpr std::chrono::seconds kLockPatience { 5 };

const QString kNotRead = QStringLiteral("the count of icons extracted is not read from it");
const QString kNotStored = QStringLiteral("the count of icons extracted is not stored in it");

[[noreturn]] void RefuseStore()
{
    throw Error("Failed to set data for 'Count'");
}

void Warn(const QString& path, const QString& what)
{
    qWarning().noquote() << files::DisplayPath(path) + QStringLiteral(": ") + what;
}

// The settings file as the program read it: its bytes, or why there are none.
struct SettingsBytes {
    QByteArray bytes;
    bool missing = false;
    QString problem; // empty when read (or missing)
};

SettingsBytes ReadSettingsBytes(const QString& path)
{
    SettingsBytes out;
    files::InputFile file = files::InputFile::open(files::ToNativePath(path));
    if (!file.ok()) {
        if (file.notRegular())
            out.problem = QStringLiteral("not a regular file");
        else if (file.error() == ENOENT)
            out.missing = true;
        else
            out.problem = SystemErrorText(file.error());
        return out;
    }
    std::vector<std::uint8_t> bytes;
    if (const int error = file.readToEnd(bytes, kMaxSettingsFileSize); error != 0)
        out.problem = SystemErrorText(error);
    else if (bytes.size() > kMaxSettingsFileSize)
        out.problem = QStringLiteral("larger than a settings file of the program");
    else
        out.bytes
            = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    return out;
}

// The value of "Count" in the bytes of a settings file. QSettings reads only
// files it opens itself, and keeps what it read by the file's name, trusting
// the file's size and time to tell a change; two windows storing within one
// tick of the clock change neither. So it reads a private copy of the bytes
// read above, under a name of its own each time.
std::vector<QVariant> ValuesIn(const QByteArray& ini, std::initializer_list<QString> keys)
{
    std::vector<QVariant> out(keys.size());
    if (ini.isEmpty())
        return out;
    QTemporaryFile copy;
    if (!copy.open() || copy.write(ini) != ini.size() || !copy.flush())
        throw Error(FormatMessage("Cannot create file %s", files::MessagePath(copy.fileName())));
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    std::transform(keys.begin(), keys.end(), out.begin(),
        [&](const QString& key) { return settings.value(key); });
    return out;
}

QVariant ValueIn(const QByteArray& ini, const QString& key)
{
    return ValuesIn(ini, { key }).front();
}

bool OptionFromValue(const QVariant& value)
{
    return value.typeId() == QMetaType::QString
        && (value.toString() == QLatin1String("1")
            || value.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
}

QVariant CountValueIn(const QByteArray& ini)
{
    return ValueIn(ini, kCountKey);
}

std::int32_t CountFromValue(const QVariant& value)
{
    if (!value.isValid())
        return 0;
    if (value.typeId() != QMetaType::QString)
        throw Error("Invalid data type for 'Count'");
    const QString text = value.toString();
    if (text.isEmpty())
        return 0;
    const std::optional<std::int32_t> count = ParseInteger(text);
    if (!count)
        throw Error(FormatMessage("'%s' is not a valid integer value", text.toStdString()));
    return *count;
}

// The lock every store of the count takes, on a file beside the settings
// (not QSettings' own lock file, which it takes and removes for each write).
FileLock LockForStore(const QString& path)
{
    const QString lockPath = path + QStringLiteral(".count-lock");
    QDir().mkpath(FolderOf(path));
    FileLock lock = FileLock::acquire(files::ToNativePath(lockPath), kLockPatience);
    if (!lock.ok()) {
        Warn(lockPath,
            (lock.error() == EINVAL ? QStringLiteral("not a regular file")
                                    : SystemErrorText(lock.error()))
                + QStringLiteral("; the count of icons extracted is not stored"));
        RefuseStore();
    }
    return lock;
}

// The settings as they are under the lock; raises when they may not be
// written over.
SettingsBytes SettingsToWrite(const QString& path)
{
    SettingsBytes file = ReadSettingsBytes(path);
    if (!file.problem.isEmpty()) {
        Warn(path, file.problem + QStringLiteral(", so ") + kNotStored);
        RefuseStore();
    }
    return file;
}

} // namespace

std::int32_t SettingsStore::loadCount() const
{
    const StoredSettings stored = load();
    if (!stored.countError.empty())
        throw Error(stored.countError);
    return stored.count;
}

void SettingsStore::storeCount(std::int32_t count)
{
    const FileLock lock = LockForStore(m_path);
    SettingsToWrite(m_path);
    writeCount(count);
}

bool SettingsStore::loadOption(const QString& key) const
{
    const SettingsBytes file = ReadSettingsBytes(m_path);
    if (!file.problem.isEmpty())
        return false;
    try {
        return OptionFromValue(ValueIn(file.bytes, key));
    } catch (const Error&) {
        return false;
    }
}

StoredSettings SettingsStore::load() const
{
    StoredSettings out;
    const SettingsBytes file = ReadSettingsBytes(m_path);
    if (!file.problem.isEmpty()) {
        Warn(m_path, file.problem + QStringLiteral(", so ") + kNotRead);
        return out;
    }
    try {
        const std::vector<QVariant> values
            = ValuesIn(file.bytes, { kCountKey, kOtherIconSourcesKey, kLookInsideArchivesKey });
        out.otherIconSources = OptionFromValue(values[1]);
        out.lookInsideArchives = OptionFromValue(values[2]);
        out.count = CountFromValue(values[0]);
    } catch (const Error& e) {
        out.countError = e.what();
    }
    return out;
}

void SettingsStore::storeOption(const QString& key, bool on)
{
    // Under the count's lock, so that a window storing its count meanwhile
    // and this write do not undo each other.
    const FileLock lock = LockForStore(m_path);
    SettingsToWrite(m_path);
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(key, on ? QStringLiteral("1") : QStringLiteral("0"));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Error(FormatMessage("Failed to set data for '%s'", key.toStdString()));
}

std::int32_t SettingsStore::addToCount(std::int64_t added)
{
    const FileLock lock = LockForStore(m_path);
    const SettingsBytes file = SettingsToWrite(m_path);
    const QVariant value = CountValueIn(file.bytes);
    std::int32_t stored = 0;
    try {
        stored = CountFromValue(value);
    } catch (const Error&) {
        // Reported when the window loaded it; the sum replaces it.
    }
    const std::int32_t total = SaturatedCount(std::int64_t { stored } + added);
    writeCount(total);
    return total;
}

void SettingsStore::writeCount(std::int32_t count)
{
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(kCountKey, QString::number(count));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        RefuseStore();
}

} // namespace glyphor::platform
