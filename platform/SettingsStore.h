#pragma once
// What the program keeps across runs, in the user's settings of
// Tarnwell/Glyphor2 (an INI file, Tarnwell/Glyphor2.conf in the user's
// configuration folder): the running total of icons extracted, as decimal
// text under "Count", and the two options of the Options menu, each "1" or
// "0" under its key (off when missing). No widgets here; the main window
// loads them when it is created, stores an option when it is changed and
// adds its own extractions to the count when it closes.
//
// The settings are read only from a regular file, as every other file the
// program reads: a fifo, a device or a folder in the file's place is reported
// on standard error and left alone, never waited on and never written over.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace glyphor::platform {

// Reads text as a signed 32-bit integer the way the program reads a stored
// number: leading blanks skipped, an optional sign, then decimal digits or
// "$" and hexadecimal digits. Anything else, or a value outside 32 bits,
// gives nothing. A hexadecimal value is a 32-bit pattern, so $FFFFFFFF is -1.
std::optional<std::int32_t> ParseInteger(const QString& text);

// The file of the user's settings: Tarnwell/Glyphor2.conf in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config).
QString UserSettingsPath();

// The options, by their keys: harvest the other icon sources of old software
// besides .exe and .dll, and look inside the archives the walk meets.
inline const QString kOtherIconSourcesKey = QStringLiteral("OtherIconSources");
inline const QString kLookInsideArchivesKey = QStringLiteral("LookInsideArchives");

// Everything the program keeps, as the main window loads it when it starts.
struct StoredSettings {
    std::int32_t count = 0;
    // Why the stored count was not taken ("'abc' is not a valid integer
    // value"), as loadCount raises it; empty when it was, count then 0.
    std::string countError;
    bool otherIconSources = false;
    bool lookInsideArchives = false;
};

class SettingsStore {
public:
    // The user's settings of the program.
    SettingsStore();
    // An INI file of its own, for tests and tools.
    explicit SettingsStore(const QString& iniPath);

    QString path() const { return m_path; }

    // The stored count; 0 when nothing (or empty text) is stored, and when
    // the file cannot be read or is not a regular file (said on standard
    // error). Raises Error "'%s' is not a valid integer value" for text that
    // is not a number and "Invalid data type for 'Count'" for a value that
    // is not text.
    std::int32_t loadCount() const;
    // The count and both options from one read of the file, which is
    // reported as loadCount reports it.
    StoredSettings load() const;
    // Stores count as the total. Raises Error "Failed to set data for
    // 'Count'" when the store refuses, or when the file is not a regular file
    // (then left as it is).
    void storeCount(std::int32_t count);
    // Adds added to the total stored now and stores the sum, stopped at the
    // limits of 32 bits; returns it. The read, the sum and the write happen
    // under a lock that every window's store takes, so that two windows
    // closing together both keep what they add. A stored value that is not a
    // number counts as 0 and is replaced. Raises as storeCount does.
    std::int32_t addToCount(std::int64_t added);

    // An option: true only for "1" or "true" stored under key; false when
    // nothing is stored or the file cannot be read.
    bool loadOption(const QString& key) const;
    // Stores an option. Raises Error "Failed to set data for '%s'" when the
    // store refuses, or when the file is not a regular file.
    void storeOption(const QString& key, bool on);

private:
    void writeCount(std::int32_t count);

    QString m_path;
};

} // namespace glyphor::platform
