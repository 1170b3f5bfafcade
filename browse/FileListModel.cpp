#include "browse/FileListModel.h"

#include "platform/FileSystem.h"
#include "platform/NameOrder.h"
#include "util/Error.h"

#include <algorithm>

namespace glyphor {

namespace {

// From this many names on a read shows the hourglass.
constexpr int kLongRead = 100;

} // namespace

FileListModel::FileListModel(QObject* parent)
    : QObject(parent)
{
    try {
        m_directory = platform::CurrentDirectory();
    } catch (const EInOutError&) {
        // A process started in a folder that has since been removed: the
        // folder list starts at "/" then, and so does this list, listed, so
        // that the main window's first move to "/" (which reads nothing when
        // the folder is unchanged) does not leave it empty.
        m_directory = QStringLiteral("/");
    }
    try {
        readFolder(m_directory);
    } catch (const EInOutError&) {
        // A folder that cannot be entered: the list starts empty and the
        // first move of Directory takes it elsewhere.
    }
}

void FileListModel::setDirectory(const QString& path)
{
    if (path.isEmpty() || (m_itemIndex >= 0 && path == fileName()))
        return;
    const platform::ResolvedPath resolved = platform::ResolvePath(path);
    if (resolved.folder != m_directory) {
        // Going through the old folder matters only for its side effect on the
        // process's current directory; a list whose folder was removed must
        // still be able to move elsewhere, so its failure is not an error.
        platform::TryChangeDirectory(m_directory);
        readFolder(resolved.folder);
    }
    applyLeftover(resolved.rest);
}

void FileListModel::setMask(const QString& mask)
{
    if (mask == m_mask)
        return;
    m_mask = mask;
    readFolder(m_directory);
}

void FileListModel::reread()
{
    readFolder(m_directory);
}

void FileListModel::showFolder(const QString& path, const QString& mask)
{
    const platform::ResolvedPath resolved
        = path.isEmpty() ? platform::ResolvedPath { m_directory, {} } : platform::ResolvePath(path);
    if (!resolved.rest.isEmpty()) {
        // A file name or pattern left over takes the long way, which applies it.
        setDirectory(path);
        setMask(mask);
        reread();
        return;
    }
    if (resolved.folder != m_directory)
        platform::TryChangeDirectory(m_directory);
    const QString oldMask = m_mask;
    m_mask = mask;
    try {
        readFolder(resolved.folder);
    } catch (...) {
        m_mask = oldMask;
        throw;
    }
}

QString FileListModel::fullPath(int index) const
{
    if (index < 0 || index >= m_items.size())
        return {};
    return platform::JoinPath(m_directory, m_items[index]);
}

void FileListModel::select(int index)
{
    m_itemIndex = index >= 0 && index < m_items.size() ? index : -1;
    emit clicked();
    if (m_itemIndex != m_reportedIndex) {
        m_reportedIndex = m_itemIndex;
        emit changed();
    }
}

void FileListModel::readFolder(const QString& folder)
{
    platform::ChangeDirectory(folder);
    const QString entered = platform::CurrentDirectory();

    QStringList patterns = platform::SplitMask(m_mask);
    for (QString& pattern : patterns)
        pattern = pattern.toCaseFolded();

    // Ends the hourglass however the read ends.
    struct WaitGuard {
        FileListModel* model = nullptr;
        bool shown = false;
        ~WaitGuard()
        {
            if (shown)
                emit model->longReadEnded();
        }
    } wait { this };

    QStringList found;
    try {
        platform::SearchDirectory(
            entered,
            [&](const platform::DirEntry& entry) {
                if (!platform::IsListedFile(entry))
                    return;
                const QString folded = entry.name.toCaseFolded();
                for (const QString& pattern : patterns) {
                    if (!platform::MatchesFoldedPattern(folded, pattern))
                        continue;
                    found.push_back(entry.name);
                    if (found.size() > kLongRead && !wait.shown) {
                        wait.shown = true;
                        emit longReadStarted();
                    }
                }
            },
            platform::AttributeDetail::Kind);
    } catch (const EInOutError&) {
        // A folder that can be entered but not listed shows no files, as a
        // search that finds nothing would.
        found.clear();
    }
    SortNames(found);

    m_directory = entered;
    m_items = std::move(found);
    m_itemIndex = -1;
    m_reportedIndex = -1;
    if (wait.shown) {
        wait.shown = false;
        emit longReadEnded();
    }
    emit itemsReplaced();
    emit changed();
}

void FileListModel::applyLeftover(const QString& rest)
{
    if (rest.isEmpty())
        return;
    if (platform::HasWildcards(rest)) {
        setMask(rest);
        return;
    }
    int index = int(m_items.indexOf(rest));
    if (index < 0) {
        setMask(rest);
        index = int(m_items.indexOf(rest));
    }
    m_itemIndex = index;
}

} // namespace glyphor

namespace glyphor {

void FileListModel::addFile(const QString& name)
{
    // A read skips names that the platform marks hidden (a leading ".").
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return;
    const QString folded = name.toCaseFolded();
    int matches = 0;
    for (const QString& pattern : platform::SplitMask(m_mask)) {
        if (platform::MatchesFoldedPattern(folded, pattern.toCaseFolded()))
            ++matches;
    }
    if (matches == 0)
        return;
    // After the names that compare equal, as a sorted list box inserts.
    const auto at = std::upper_bound(m_items.begin(), m_items.end(), name,
        [](const QString& a, const QString& b) { return CompareNames(a, b) < 0; });
    const int index = int(at - m_items.begin());
    emit itemsAboutToBeInserted(index, matches);
    for (int i = 0; i < matches; ++i)
        m_items.insert(index, name);
    m_itemIndex = -1;
    m_reportedIndex = -1;
    emit itemsInserted(index, matches);
    emit changed();
}

} // namespace glyphor
