#pragma once
// The help as the help window uses it: the topics of the help file, the index
// of their keywords in alphabetical order and a full-text find. No widgets
// here, so that the index and the find are tested without a window.

#include "help/HelpFile.h"
#include "util/Result.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace glyphor::help {

// The name of the help file.
inline constexpr const char* kHelpFileName = "Glyphr.hlp";

// The longest character as the help shows it: a letter and the marks that
// combine with it, in UTF-16 units. Unicode's own limit for text in streams
// is 30 marks on one letter.
inline constexpr int kMaxHelpClusterLength = 32;

// What a topic that is longer than the window shows begins with.
inline constexpr const char* kTopicCutNote
    = "*Only the beginning of this topic is shown: the whole of it is too long for the help "
      "window.*";

// text with every character (a letter and its combining marks) longer than
// kMaxHelpClusterLength replaced by U+FFFD.
QString WithShortClusters(const QString& text);

struct HelpIndexEntry {
    QString label; // the keyword, followed by the topic's title when several topics share it
    int context = 0;
};

class HelpBook {
public:
    explicit HelpBook(HelpFile file);

    // The help's caption; "Help" when the file names none.
    QString title() const;
    // Every topic's context number, in the order of the contents.
    std::vector<int> contents() const;
    bool hasTopic(int context) const { return m_file.topic(context) != nullptr; }
    QString topicTitle(int context) const;
    // The topic as the window renders it: its title as a heading, then the
    // part of its body that the window shows (HelpTopic::shown), after a
    // note when that is not all of it. A run of combining marks longer than
    // any script writes on one letter is shown as one U+FFFD, as it would
    // hold the text's layout for seconds. Empty for a context number the
    // file does not hold.
    QString topicMarkdown(int context) const;

    const std::vector<HelpIndexEntry>& index() const { return m_index; }
    // The index row that type-to-find selects for the text typed so far: the
    // first entry that sorts at or after it, case ignored, so that typing
    // "sc" lands on "Scan File"; the last row when every entry sorts before
    // it, and -1 when the index is empty.
    int indexRowFor(const QString& typed) const;

    // The words of a find query: split at blanks, empty ones dropped.
    static QStringList findWords(const QString& query);
    // The topics whose title or shown text holds every word of the query,
    // case ignored, in the order of the contents. None for an empty query.
    std::vector<int> find(const QString& query) const;

private:
    HelpFile m_file;
    std::vector<HelpIndexEntry> m_index;
    std::vector<QString> m_searchText; // per topic: its title and its text without link targets
};

// The help file of a program whose executable lies in appDir: beside the
// executable, or, for an installed program, in ../share/glyphor2 beside its
// bin folder. When neither holds one, the path beside the executable, so that
// the message about a missing file names the first place looked at.
QString FindHelpFile(const QString& appDir);

// Reads and checks the help file. The message names the file and gives the
// system's reason or the fault found in it, as in
// "/opt/g/Glyphr.hlp: No such file or directory".
Result<HelpBook> LoadHelpBook(const QString& path);

} // namespace glyphor::help
