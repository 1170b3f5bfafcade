#pragma once
// Tables of named rows: each row of a parameterised test carries a name,
// which names its instance.

#include <string>

namespace glyphor::kit {

// For INSTANTIATE_TEST_SUITE_P: the instance takes its row's name.
struct RowName {
    template <class Info> std::string operator()(const Info& info) const
    {
        return std::string(info.param.name);
    }
};

} // namespace glyphor::kit
