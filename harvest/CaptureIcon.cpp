#include "harvest/CaptureIcon.h"

#include "harvest/IconSource.h"
#include "harvest/NextIconFileName.h"
#include "iconfile/IconFileWriter.h"
#include "platform/NativePath.h"
#include "util/Error.h"

namespace glyphor {

namespace {

// Removes the capture's image from the list when the capture ends, also when
// the save fails, so that the next capture finds its icon at index 1 again
// rather than fetching this one.
class ImageOneRemover {
public:
    explicit ImageOneRemover(ImageList& list) : m_list(list) {}
    ~ImageOneRemover() { m_list.remove(1); }
    ImageOneRemover(const ImageOneRemover&) = delete;
    ImageOneRemover& operator=(const ImageOneRemover&) = delete;

private:
    ImageList& m_list;
};

} // namespace

void SaveThroughImageList(CaptureObjects& objects, const IconHolder& holder, const QString& path)
{
    const int added = objects.imageList1.addIcon(holder);
    std::optional<ImageOneRemover> remover;
    if (added >= 0)
        remover.emplace(objects.imageList1);
    objects.image1.setIcon(objects.imageList1.getIcon(1));
    // Checked before the writer is called so that an invalid icon never leaves
    // a file at its name.
    if (!objects.image1.hasIcon() || objects.image1.icon()->empty())
        throw Error("Icon image is not valid");
    WriteIconFile(*objects.image1.icon(), platform::toNativePath(path));
}

QString CaptureIcon(CaptureObjects& objects, const IconSource& source, const QString& exe, int index,
                    const QString& folder)
{
    objects.iconHolder.setIcon(source.extract(exe, index));
    const QString path = NextIconFileName(folder);
    SaveThroughImageList(objects, objects.iconHolder, path);
    return path;
}

QString SaveIcon(CaptureObjects& objects, const IconSource& source, const QString& destFolder, int itemIndex,
                 const QString& fileName)
{
    IconHolder holder(objects.standardIconSize);
    const QString path = NextIconFileName(destFolder);
    holder.setIcon(source.extract(fileName, itemIndex));
    SaveThroughImageList(objects, holder, path);
    return path;
}

} // namespace glyphor
