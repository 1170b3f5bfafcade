#include "platform/SettingsStore.h"

#include "util/Error.h"

#include <QSettings>

#include <memory>

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

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(const QString& iniPath)
    : m_iniPath(iniPath)
{
}

namespace {

std::unique_ptr<QSettings> OpenSettings(const QString& iniPath)
{
    if (iniPath.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Tarnwell"), QStringLiteral("Glyphor2"));
    return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

} // namespace

std::int32_t SettingsStore::loadCount() const
{
    const auto settings = OpenSettings(m_iniPath);
    const QVariant value = settings->value(kCountKey);
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

void SettingsStore::storeCount(std::int32_t count)
{
    const auto settings = OpenSettings(m_iniPath);
    settings->setValue(kCountKey, QString::number(count));
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw Error("Failed to set data for 'Count'");
}

} // namespace glyphor::platform
