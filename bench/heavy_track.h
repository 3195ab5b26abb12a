// The heavy track of the benchmarks: every list at its maximum, spread over the map.
#pragma once

#include <cmath>

#include "model/track.h"

namespace cs::bench {

inline void fill_heavy_track(Track& t) {
    reset_track(t);
    t.object_count = max_objects;
    for (int i = 0; i < max_objects; ++i) {
        // Kinds in turn, on a grid that covers the map, turned a little each time.
        t.objects[i] = Object{
            static_cast<float>(i % 256) * 2.0f + 0.5f, static_cast<float>(i / 256) * 2.0f + 0.5f,
            static_cast<float>(i % 628) * 0.01f, static_cast<std::uint8_t>(i % object_kind_count)};
    }
    t.checkpoint_count = max_checkpoints;
    for (int i = 0; i < max_checkpoints; ++i) {
        const float x = static_cast<float>(i * 2);
        t.checkpoints[i] = Checkpoint{x, 40.0f, x + 30.0f, 90.0f};
    }
    t.pit_count = max_pits;
    for (int i = 0; i < max_pits; ++i) {
        t.pits[i] = Pit{100.0f + 40.0f * static_cast<float>(i), 450.0f, 0.0f};
    }
    t.ai_line_count = max_ai_line;
    for (int i = 0; i < max_ai_line; ++i) {
        const float a = static_cast<float>(i) * (6.2831853f / max_ai_line);
        t.ai_line[i] = LinePoint{256.0f + 200.0f * std::cos(a), 256.0f + 200.0f * std::sin(a)};
    }
    t.ai_pit_line_count = max_ai_pit_line;
    for (int i = 0; i < max_ai_pit_line; ++i) {
        t.ai_pit_line[i] = LinePoint{50.0f + static_cast<float>(i) * 1.6f, 470.0f};
    }
}

} // namespace cs::bench
