#include "catalogue/CatalogueRecords.h"

#include <array>
#include <ctime>

namespace glyphor::catalogue {

namespace {

constexpr std::array<std::string_view, 5> kOutcomeNames
    = { "waiting", "placed", "duplicate", "discarded", "lost" };

} // namespace

std::string_view OutcomeName(Outcome outcome)
{
    return kOutcomeNames[static_cast<std::size_t>(outcome)];
}

std::optional<Outcome> OutcomeFromName(std::string_view name)
{
    for (std::size_t i = 0; i < kOutcomeNames.size(); ++i)
        if (kOutcomeNames[i] == name)
            return static_cast<Outcome>(i);
    return std::nullopt;
}

std::string IsoTime(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm {};
    if (!::gmtime_r(&t, &tm))
        return std::to_string(seconds);
    char out[32];
    std::strftime(out, sizeof out, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return out;
}

} // namespace glyphor::catalogue
