#pragma once
// Capturing one icon of an executable as a 32 x 32 icon file, through an
// image list, and "Save Icon", which does the same straight into the
// destination folder.

#include "harvest/IconHolder.h"
#include "harvest/IconProvider.h"
#include "harvest/ImageList.h"
#include "harvest/NextIconFileName.h"
#include "iconfile/IconFileWriter.h"
#include "util/Error.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

class IconProvider;

// The scratch objects that every capture passes through, kept by whoever
// captures for as long as it lives (the main window, the tool): iconHolder
// keeps the icon last extracted by a scan, image1 the icon last saved, and
// imageList1 is back to its one image after every capture, also after one
// that failed.
struct CaptureObjects {
    // standardIconSize is the system's standard icon size that every holder
    // reports (32 on this platform; tests give other sizes).
    explicit CaptureObjects(int standardIconSize = kIconSize)
        : standardIconSize(standardIconSize)
        , iconHolder(standardIconSize)
        , image1(standardIconSize)
    {
    }

    int standardIconSize;
    IconHolder iconHolder;
    IconHolder image1;
    ImageList imageList1;
};

// Steps 4 to 7 of a capture: the holder's icon into the image list at index 1,
// fetched back into image1, saved to path, removed from the list again. The
// file never replaces anything: when path has been taken meanwhile, the file
// takes the next free name of folder. Returns the path written.
// Raises Error "Invalid image size", EInvalidIcon "Icon image is not valid"
// (nothing to save; no file is created) or the writer's errors ("Cannot
// create file %s" with the system's reason).
QString SaveThroughImageList(
    CaptureObjects& objects, const IconHolder& holder, const QString& path, const QString& folder);

// The seven steps of a capture, in order: extract icon index of exe into
// iconHolder (the icon it held is destroyed), take the name with
// NextIconFileName(folder), then SaveThroughImageList. Sets no status text and
// adds to no count; its callers do that. Returns the path written. A damaged
// icon raises EInvalidIcon "Icon image is not valid: <reason>", a file that
// can no longer be read EInvalidIcon with the read's error.
QString CaptureIcon(CaptureObjects& objects, const IconProvider& source, const QString& exe,
    int index, const QString& folder);

// Steps 1, 4 and 5 of a capture, the part that needs no folder: icon index
// of exe extracted into objects.iconHolder, passed through the image list
// and fetched back into objects.image1; returns that icon, the one a
// capture saves. Raises as CaptureIcon does. The harvest runs this on the
// threads that read its sources, each with objects of its own, and writes
// the file itself.
// extracted, when given, is set once the icon is extracted, before it goes
// through the list.
IconImage CaptureImage(CaptureObjects& objects, const IconProvider& source, const IconInput& exe,
    int index, bool* extracted = nullptr);
// Places an icon file written under a hidden name: under its name, or the
// next free one of folder when that was taken meanwhile; returns the name
// taken. taken, when given, is what is known of the folder's names.
QString PlaceCapture(PreparedIconFile& capture, const files::Folder& folder, IconNameRoom room,
    TakenIconNames* taken = nullptr);

// "Save Icon": icon itemIndex of fileName (the icon picker's selection; -1
// when nothing is selected) saved under NextIconFileName(destFolder), through a
// holder of its own that is released afterwards. Returns the path written; the
// caller then reads the destination file list again. No status text, no count,
// no duplicate check. A save that fails leaves no file behind.
QString SaveIcon(CaptureObjects& objects, const IconProvider& source, const QString& destFolder,
    int itemIndex, const QString& fileName);
// The same, recording in the destination's catalogue where the icon came
// from, before its file takes its name; what the catalogue has to tell (why
// it is not kept) goes to notices.
QString SaveIconKeepingSource(CaptureObjects& objects, const IconProvider& source,
    const QString& destFolder, int itemIndex, const QString& fileName, QStringList& notices);

} // namespace glyphor
