#include "harvest/CaptureIcon.h"

#include "files/Folder.h"
#include "files/NativePath.h"
#include "harvest/CatalogueKeeper.h"
#include "harvest/IconProvider.h"
#include "harvest/NextIconFileName.h"
#include "iconfile/IconFileWriter.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <utility>

namespace glyphor {

namespace {

// Removes the capture's image from the list when the capture ends, also when
// the save fails, so that the next capture finds its icon at index 1 again
// rather than fetching this one.
class ImageOneRemover {
public:
    explicit ImageOneRemover(ImageList& list)
        : m_list(list)
    {
    }
    ~ImageOneRemover() { m_list.remove(1); }
    ImageOneRemover(const ImageOneRemover&) = delete;
    ImageOneRemover& operator=(const ImageOneRemover&) = delete;

private:
    ImageList& m_list;
};

// The icon put into Image1 through the image list, as the window shows it;
// remover takes it out of the list again when the caller is done, also when
// the icon is refused here. Checked before any writer is called so that an
// invalid icon never leaves a file at its name.
void ShowInImageOne(
    CaptureObjects& objects, const IconHolder& holder, std::optional<ImageOneRemover>& remover)
{
    if (objects.imageList1.addIcon(holder) >= 0)
        remover.emplace(objects.imageList1);
    objects.image1.setIcon(objects.imageList1.getIcon(1));
    if (!objects.image1.hasIcon() || objects.image1.icon()->empty())
        throw EInvalidIcon(kImageNotValidText);
}

// The icon to capture. A damaged icon fails with the source's reason; a
// source that cannot read the file (it changed or went away meanwhile) fails
// this icon alone, as an icon that is not valid.
std::optional<IconImage> ExtractFor(const IconProvider& source, const IconInput& exe, int index)
{
    try {
        return source.extractFrom(exe, index);
    } catch (const EInvalidIcon&) {
        throw;
    } catch (const Error& e) {
        throw EInvalidIcon(e.what());
    }
}

} // namespace

QString SaveThroughImageList(
    CaptureObjects& objects, const IconHolder& holder, const QString& path, const QString& folder)
{
    std::optional<ImageOneRemover> remover;
    ShowInImageOne(objects, holder, remover);
    // The file never replaces one of the same name: when another program (or
    // another run of this one) takes the name before the file is complete,
    // the next free name is taken instead.
    bool offered = false;
    QString written = path;
    WriteNewIconFile(*objects.image1.icon(), [&]() -> std::optional<std::string> {
        if (std::exchange(offered, true))
            written = NextIconFileName(folder);
        return files::ToNativePath(written);
    });
    return written;
}

IconImage CaptureImage(CaptureObjects& objects, const IconProvider& source, const IconInput& exe,
    int index, bool* extracted)
{
    objects.iconHolder.setIcon(ExtractFor(source, exe, index));
    if (extracted)
        *extracted = true;
    std::optional<ImageOneRemover> remover;
    ShowInImageOne(objects, objects.iconHolder, remover);
    return *objects.image1.icon();
}

QString PlaceCapture(PreparedIconFile& capture, const files::Folder& folder, IconNameRoom room,
    TakenIconNames* taken)
{
    return files::FromNativePath(capture.place([&]() -> std::optional<std::string> {
        return files::ToNativePath(NextIconFileNameIn(folder, room, taken));
    }));
}

QString CaptureIcon(CaptureObjects& objects, const IconProvider& source, const QString& exe,
    int index, const QString& folder)
{
    objects.iconHolder.setIcon(ExtractFor(source, IconInput::Path(exe), index));
    const QString path = NextIconFileName(folder);
    return SaveThroughImageList(objects, objects.iconHolder, path, folder);
}

QString SaveIconKeepingSource(CaptureObjects& objects, const IconProvider& source,
    const QString& destFolder, int itemIndex, const QString& fileName, QStringList& notices)
{
    IconHolder holder(objects.standardIconSize);
    const files::Folder dest = files::Folder::open(files::ToNativePath(destFolder));
    const QString name = NextIconFileNameIn(dest);
    const IconInput input = IconInput::Path(fileName);
    holder.setIcon(ExtractFor(source, input, itemIndex));
    std::optional<ImageOneRemover> remover;
    ShowInImageOne(objects, holder, remover);
    if (!dest.ok())
        throw Error(FormatMessage("Cannot create file %s",
                        files::MessagePath(platform::JoinPath(destFolder, name)))
            + ": " + platform::SystemErrorText(dest.error()).toStdString());
    PreparedIconFile file(*objects.image1.icon(), dest, files::ToNativePath(name));
    // Where the icon came from is in the catalogue before its file exists.
    CatalogueKeeper keeper(dest, destFolder, [&](const QString& text) { notices << text; });
    keeper.saving(fileName, itemIndex, source.original(input, itemIndex), file.bytes(), name);
    const QString taken = PlaceCapture(file, dest, IconNameRoom::Unbounded);
    keeper.saved(taken);
    return platform::JoinPath(destFolder, taken);
}

QString SaveIcon(CaptureObjects& objects, const IconProvider& source, const QString& destFolder,
    int itemIndex, const QString& fileName)
{
    IconHolder holder(objects.standardIconSize);
    const QString path = NextIconFileName(destFolder);
    holder.setIcon(ExtractFor(source, IconInput::Path(fileName), itemIndex));
    return SaveThroughImageList(objects, holder, path, destFolder);
}

} // namespace glyphor
