#pragma once
// Text rules of the application's error box, kept apart from the box itself
// so that they are tested without a window.

#include <string>

namespace glyphor {

// The message as the error box shows it: a period is appended when the last
// character's code is above that of the period (so "Ready." and "path/" keep
// theirs, "Icon image is not valid" gets one).
std::string ErrorBoxText(const std::string& message);

} // namespace glyphor
