#include "harvest/IconFolder.h"

#include "harvest/FileOps.h"
#include "platform/NameOrder.h"

namespace glyphor {

namespace {

template <class Visit>
void VisitIconFiles(FileOps& files, const files::Folder& folder, Visit&& visit)
{
    const auto entries = files.listDirectory(folder);
    if (!entries)
        return;
    for (const platform::DirEntry& entry : *entries) {
        if (platform::IsListedFile(entry)
            && platform::MatchesPattern(entry.name, platform::kIconMask))
            visit(entry.name);
    }
}

} // namespace

QStringList ListIconFiles(FileOps& files, const files::Folder& folder)
{
    QStringList names;
    VisitIconFiles(files, folder, [&](const QString& name) { names.push_back(name); });
    SortNames(names);
    return names;
}

} // namespace glyphor
