#include "model/validation.h"

#include <algorithm>

namespace cs {

namespace {

constexpr std::string_view heading = "Track has following flaws that should be fixed.\n\n";
constexpr std::string_view question = "\nWould you like to save anyway?";
constexpr std::array<std::string_view, flaw_count> lines = {
    "\t* Players can't go to repair their cars. Add pits\n",
    "\t* Lap can't be completed. Create check points\n",
    "\t* AI drivers don't know how to drive here. Create AI driving line\n",
    "\t* AI drivers don't know how to go to the pits. Create AI pit driving line\n",
    "\t* AI drivers can't find they way to some pits. Move pits closer to AI pit driving line.\n",
    "\t* Pits are too close to each other.\n",
};

float squared_distance(float x1, float y1, float x2, float y2) {
    const float dx = x1 - x2;
    const float dy = y1 - y2;
    return dx * dx + dy * dy;
}

} // namespace

bool Flaws::any() const {
    for (bool f : found) {
        if (f) {
            return true;
        }
    }
    return false;
}

Flaws validate_track(const Track& t) {
    Flaws flaws;
    auto mark = [&](Flaw f) { flaws.found[static_cast<int>(f)] = true; };
    if (t.pit_count == 0) {
        mark(Flaw::no_pits);
    }
    if (t.checkpoint_count < 2) {
        mark(Flaw::no_checkpoints);
    }
    if (t.ai_line_count < 3) {
        mark(Flaw::no_ai_line);
    }
    if (t.ai_pit_line_count < 2) {
        mark(Flaw::no_ai_pit_line);
    }

    // Thresholds are world units in map units: 15 to reach a pit, 10 between pits. The
    // scale is derived from the world size here, so a stale or infinite stored scale
    // (world size 0) never matters.
    const float scale = world_scale_for(t.world_size);
    const float reach = 225.0f * scale * scale;
    // The reader refuses more than six pits; a count beyond that is never read past the
    // pit array.
    const int pits = std::min<int>(t.pit_count, max_pits);
    int reachable = 0;
    for (int p = 0; p < pits; ++p) {
        for (int i = 0; i < t.ai_pit_line_count; ++i) {
            if (squared_distance(t.pits[p].x, t.pits[p].y, t.ai_pit_line[i].x, t.ai_pit_line[i].y) <
                reach) {
                ++reachable;
                break;
            }
        }
    }
    if (reachable < pits) {
        mark(Flaw::unreachable_pits);
    }

    const float spacing = 100.0f * scale * scale;
    for (int a = 0; a < pits && !flaws.has(Flaw::pits_too_close); ++a) {
        for (int b = a + 1; b < pits; ++b) {
            if (squared_distance(t.pits[a].x, t.pits[a].y, t.pits[b].x, t.pits[b].y) < spacing) {
                mark(Flaw::pits_too_close);
                break;
            }
        }
    }
    return flaws;
}

std::string_view flaw_line(Flaw flaw) {
    return lines[static_cast<int>(flaw)];
}

std::string validation_message(const Flaws& flaws) {
    std::string text(heading);
    for (int i = 0; i < flaw_count; ++i) {
        if (flaws.found[i]) {
            text += lines[i];
        }
    }
    text += question;
    return text;
}

} // namespace cs
