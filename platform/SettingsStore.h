#pragma once
// The one setting the program keeps across runs: the running total of icons
// extracted, stored as decimal text under "Count" in the user's settings of
// Tarnwell/Glyphor2. No widgets here; the main window loads the count when it
// is created and stores it when it closes.

#include <QString>

#include <cstdint>
#include <optional>

namespace glyphor::platform {

// Reads text as a signed 32-bit integer the way the program reads a stored
// number: leading blanks skipped, an optional sign, then decimal digits or
// "$" and hexadecimal digits. Anything else, or a value outside 32 bits,
// gives nothing. A hexadecimal value is a 32-bit pattern, so $FFFFFFFF is -1.
std::optional<std::int32_t> ParseInteger(const QString& text);

class SettingsStore {
public:
    // The user's settings of the program.
    SettingsStore();
    // An INI file of its own, for tests and tools.
    explicit SettingsStore(const QString& iniPath);

    // The stored count; 0 when nothing (or empty text) is stored. Raises
    // Error "'%s' is not a valid integer value" for text that is not a number
    // and "Invalid data type for 'Count'" for a value that is not text.
    std::int32_t loadCount() const;
    // Raises Error "Failed to set data for 'Count'" when the store refuses.
    void storeCount(std::int32_t count);

private:
    QString m_iniPath; // empty: the user's settings
};

} // namespace glyphor::platform
