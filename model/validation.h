// The checks a track must pass to be playable, and the message that lists its flaws.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/track.h"

namespace cs {

enum class Flaw {
    no_pits,
    no_checkpoints,
    no_ai_line,
    no_ai_pit_line,
    unreachable_pits,
    pits_too_close,
};
inline constexpr int flaw_count = 6;

struct Flaws {
    std::array<bool, flaw_count> found{};
    bool any() const;
    bool has(Flaw flaw) const { return found[static_cast<int>(flaw)]; }
};

Flaws validate_track(const Track& track);

// The line a flaw adds to the message ("\t* ...\n").
std::string_view flaw_line(Flaw flaw);
// Heading, the flaw lines in order, then the question whether to save anyway.
std::string validation_message(const Flaws& flaws);

} // namespace cs
