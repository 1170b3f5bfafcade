#include "controls/ErrorText.h"

namespace glyphor {

std::string ErrorBoxText(const std::string& message)
{
    // Compared as unsigned: a UTF-8 continuation byte is above '.' as well,
    // as a character of the ANSI code page would have been.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

} // namespace glyphor
