#pragma once
// Files and folders of the tests by the system's own names (bytes, which need
// not be valid UTF-8): a scratch folder removed with everything in it, and
// whole files written and read.

#include "kit/Bytes.h"

#include <string>
#include <vector>

namespace glyphor::kit {

// A folder of its own under the system's temporary folder, removed with all
// it holds when the object goes. Its path leads through no link, as the
// browsers show a folder.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Everything the folder holds, sorted.
    std::vector<std::string> names() const { return NamesIn(m_path); }

    static std::vector<std::string> NamesIn(const std::string& folder);

private:
    std::string m_path;
};

bool WriteBytes(const std::string& path, const Bytes& bytes);
// The whole file; nothing when it cannot be read.
Bytes ReadBytes(const std::string& path);

} // namespace glyphor::kit
