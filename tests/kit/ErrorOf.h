#pragma once
// The message of the error that an operation raises, for tests that compare
// the program's message texts.

#include "util/Error.h"

#include <functional>
#include <string>

namespace glyphor::kit {

inline std::string ErrorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace glyphor::kit
