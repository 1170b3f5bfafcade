#pragma once
// The tool run as a user runs it: a separate process in a folder of the
// test's choosing, given its arguments as bytes as a shell gives them, with
// its exit status and both outputs kept.

#include "files/NativePath.h"
#include "kit/Files.h"

#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glyphor::test {

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

// Where the tool's standard output goes: a file that Output::out is read
// from, nowhere (closed, as a shell's >&- leaves it), or a device that is
// always full (/dev/full, whose writes fail with ENOSPC).
enum class StdoutTo { File, Closed, Full };

// The outputs are kept outside the folder, which thus holds only what the
// tool made there.
// whileRunning, when given, is called with the tool's process id once it runs
// (to send it a signal), and the tool is waited for after it returns.
inline Output RunCli(const std::vector<std::string>& args, const std::string& folder,
    StdoutTo to = StdoutTo::File, const std::function<void(pid_t)>& whileRunning = {})
{
    const kit::ScratchFolder outputs;
    const std::string out = outputs.file("stdout");
    const std::string err = outputs.file("stderr");
    std::vector<char*> argv { const_cast<char*>(G2_CLI) };
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::dup2(::open(err.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644), 2);
        if (to == StdoutTo::File)
            ::dup2(::open(out.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644), 1);
        else if (to == StdoutTo::Full)
            ::dup2(::open("/dev/full", O_WRONLY), 1);
        else
            ::close(1);
        ::execv(G2_CLI, argv.data());
        ::_exit(127);
    }
    if (whileRunning)
        whileRunning(child);
    int status = 0;
    ::waitpid(child, &status, 0);
    const kit::Bytes outBytes = kit::ReadBytes(out);
    const kit::Bytes errBytes = kit::ReadBytes(err);
    return { WIFEXITED(status) ? WEXITSTATUS(status) : -1,
        std::string(outBytes.begin(), outBytes.end()),
        std::string(errBytes.begin(), errBytes.end()) };
}

inline Output RunCli(const QStringList& args, const QString& folder)
{
    std::vector<std::string> bytes;
    for (const QString& a : args)
        bytes.push_back(files::ToNativePath(a));
    return RunCli(bytes, files::ToNativePath(folder));
}

} // namespace glyphor::test
