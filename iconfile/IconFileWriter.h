#pragma once
// The one writer of icon files: one image, 4 bits per pixel with the 16-colour
// table, and a one-bit mask; 766 bytes for the 32 x 32 icons of the program.

#include "iconfile/IconImage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glyphor::files {
class Folder;
class NewFile;
} // namespace glyphor::files

namespace glyphor {

// The file's bytes for an icon of any size (the program only writes 32 x 32).
// The icon's colour is taken as it stands (alpha ignored); its mask gives the
// AND bits.
std::vector<std::uint8_t> EncodeIconFile(const IconImage& icon);

// Writes the icon file under a name that nothing has yet, the first that
// nextName gives. The bytes go to a hidden temporary file in that name's
// folder, which takes the name once complete and never replaces anything: when
// another file has taken the name meanwhile, the file takes the next name that
// nextName gives instead (nextName gives nothing when there is none). So no
// reader ever sees a half-written icon file, and a failure leaves nothing
// behind. Returns the name taken. nextName may raise; nothing is left then
// either.
// Raises Error: "Icon image is not valid" (empty icon), "Cannot create file %s"
// and "Stream write error", each followed by the path and the system's reason.
std::string WriteNewIconFile(
    const IconImage& icon, const std::function<std::optional<std::string>()>& nextName);

// An icon file written in full under a hidden temporary name in a folder
// held open, meant to take name there, and given it by place(): whatever must
// be recorded of a file before it exists is recorded in between. Destroyed
// unplaced, it leaves nothing behind. Messages name the file by the folder's
// path and the name. The folder outlives the object.
class PreparedIconFile {
public:
    // Raises Error: "Icon image is not valid" (empty icon), "Cannot create
    // file %s" and "Stream write error", with the path and the system's reason.
    PreparedIconFile(const IconImage& icon, const files::Folder& folder, std::string name);
    // The same for the bytes EncodeIconFile made of an icon.
    PreparedIconFile(
        std::vector<std::uint8_t> bytes, const files::Folder& folder, std::string name);
    ~PreparedIconFile();
    PreparedIconFile(const PreparedIconFile&) = delete;
    PreparedIconFile& operator=(const PreparedIconFile&) = delete;

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    const std::string& name() const { return m_name; }
    // Gives the file its name, or, when that has been taken meanwhile, the
    // first that nextName gives that nothing has; returns the name taken.
    // Raises "Cannot create file %s" when none can be taken.
    std::string place(const std::function<std::optional<std::string>()>& nextName);

private:
    void write();

    const files::Folder& m_folder;
    std::string m_name;
    std::vector<std::uint8_t> m_bytes;
    std::unique_ptr<files::NewFile> m_file;
};

// The same at path, which must not exist: "Cannot create file %s: File exists"
// otherwise.
void WriteIconFile(const IconImage& icon, const std::string& path);

} // namespace glyphor
