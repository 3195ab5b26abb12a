// The recorded-lap import on arbitrary bytes (the whole track file it is read from).
// The result, when there is one, must fit the AI line and hold no point that the
// import's own rules forbid: finite, and each kept point at least the spacing from the
// one before.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "interaction/lap_import.h"
#include "tests/fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cs;
    // The editor's spacing for the default world size, and none: every sample kept.
    for (const float spacing : {0.0f, world_scale_for(120) * 5.0f}) {
        const auto points = lap_line_points(std::span<const std::uint8_t>(data, size), spacing);
        if (!points) {
            continue;
        }
        FUZZ_CHECK(points->size() <= static_cast<std::size_t>(max_ai_line));
        for (std::size_t i = 0; i < points->size(); ++i) {
            const LinePoint& p = (*points)[i];
            FUZZ_CHECK(std::isfinite(p.x) && std::isfinite(p.y));
            if (i > 0) {
                const float dx = p.x - (*points)[i - 1].x, dy = p.y - (*points)[i - 1].y;
                FUZZ_CHECK(std::sqrt(dx * dx + dy * dy) >= spacing);
            }
        }
    }
    return 0;
}
