#include "model/track.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace cs {

const std::array<ObjectKindEntry, object_kind_count> object_kind_list = {{
    {"Start", start},
    {"Concrete wall", concrete_wall},
    {"Soft wall", soft_wall},
    {"Hay bale", hay_bale},
    {"Fence", fence},
    {"Fir tree", fir_tree},
    {"Leaf tree", leaf_tree},
    {"Pine tree", pine_tree},
    {"Palm tree", palm_tree},
    {"Cactus", cactus},
    {"Bush", bush},
    {"Traffic sign", traffic_sign},
    {"Light", light},
    {"Concrete post", concrete_post},
    {"Stone", stone},
    {"Sunk tyre", sunk_tyre},
    {"Booth", booth},
    {"House", house},
    {"Office block", office_block},
    {"Stand", stand},
    {"Gate", gate},
    {"Boat", boat},
    {"Pier", pier},
    {"Bridge", bridge},
    {"Flat bridge", flat_bridge},
}};

const std::array<SurfaceEntry, 16> surface_names = {{
    {"Tarmac"},
    {"Tarmac2"},
    {"Grass"},
    {"grass edge"},
    {"Mud"},
    {"Gravel"},
    {"Sand"},
    {"Snow"},
    {"snow edge"},
    {"White line"},
    {"Yellow line"},
    {"Kerb"},
    {"Oil"},
    {"kind 13"},
    {"kind 14"},
    {"kind 15"},
}};

int object_kind_position(int kind) {
    for (std::size_t i = 0; i < object_kind_list.size(); ++i) {
        if (object_kind_list[i].kind == kind) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

float world_scale_for(std::uint8_t world_size) {
    return 512.0f / static_cast<float>(world_size == 0 ? 256 : world_size);
}

namespace {

long double segment_length(const LinePoint& a, const LinePoint& b) {
    const long double dx = static_cast<long double>(b.x) - a.x;
    const long double dy = static_cast<long double>(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

std::int32_t compute_track_length(const Track& track) {
    const int n = track.ai_line_count;
    if (n < 2) {
        return 0;
    }
    const long double scale = world_scale_for(track.world_size);
    long double length = 0;
    for (int i = 0; i + 1 < n; ++i) {
        length += segment_length(track.ai_line[i], track.ai_line[i + 1]) / scale;
    }
    length += segment_length(track.ai_line[n - 1], track.ai_line[0]) / scale;
    return truncate_to_int(length);
}

void reset_track(Track& track) {
    for (int i = 0; i <= start_positions; ++i) {
        track.objects[i] = Object{20.0f, static_cast<float>(10 + 20 * i), 0.0f, start};
    }
    track.object_count = start_positions;
    track.world_size = 120;
    track.water_level = 50;
    track.view_angle = 60;
    track.rotation = 0;
    track.zoom = 105;
    track.sf_line = 1;
    recompute_world_scale(track);
    track.pit_count = 0;
    track.checkpoint_count = 0;
    track.ai_line_count = 0;
    track.ai_pit_line_count = 0;
    track.author.fill(0);
    track.comments.fill(0);
    track.land.fill(grass);
    track.heights.fill(default_height);
}

std::string_view text_of(const std::array<char, author_capacity + 1>& author) {
    return {author.data(), strnlen(author.data(), author_capacity)};
}

std::string_view text_of(const std::array<char, comments_capacity + 1>& comments) {
    return {comments.data(), strnlen(comments.data(), comments_capacity)};
}

} // namespace cs
