#pragma once
// The errors that the program's commands raise. Each carries the program's
// own message text; the application's error box shows that text as it is.

#include <stdexcept>
#include <string>

namespace glyphor {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The run-time library's I/O error: a folder that cannot be entered, a file
// that cannot be opened or read. The message is the system's text.
class EInOutError : public Error {
public:
    using Error::Error;
};

// Fills the one "%s" of a message text, as the program's messages are worded
// ("Cannot create file %s").
std::string FormatMessage(const std::string& pattern, const std::string& arg);

} // namespace glyphor
