#include "tests/fuzz/seed_tracks.h"

#include <cmath>
#include <string_view>

#include "model/trk_file.h"

namespace cs::fuzz {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
// Positions as the file stores them: half units, y upwards.
std::uint16_t sx(float x) {
    return static_cast<std::uint16_t>(std::lround(x * 2.0f));
}
std::uint16_t sy(float y) {
    return static_cast<std::uint16_t>(std::lround((512.0f - y) * 2.0f));
}
std::uint16_t sangle(float a) {
    return static_cast<std::uint16_t>(std::lround(a * 10000.0f));
}

void set_text(char* out, std::size_t capacity, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && i < capacity; ++i) {
        out[i] = text[i];
    }
}

} // namespace

std::unique_ptr<Track> sample_track() {
    auto track = std::make_unique<Track>();
    Track& t = *track;
    reset_track(t);
    for (int y = 0; y < map_size; ++y) {
        for (int x = 0; x < map_size; ++x) {
            // Bands of all sixteen kinds with a diagonal so the runs vary in length.
            t.land[y * map_size + x] = static_cast<std::uint8_t>(((x + y / 3) / 32) % 16);
        }
    }
    for (int i = 0; i < height_samples; ++i) {
        t.heights[i] = static_cast<std::uint16_t>(((i * 37) % 256) << 8);
    }
    t.world_size = 100;
    t.water_level = 70;
    t.view_angle = 45;
    t.rotation = -30;
    t.zoom = 90;
    t.sf_line = 0;
    recompute_world_scale(t);
    set_text(t.author.data(), author_capacity, "Seed author");
    set_text(t.comments.data(), comments_capacity, "Every element kind\r\nsecond line");

    int n = start_positions; // reset_track made the six start positions
    for (int kind = 1; kind < object_kind_count; ++kind) {
        t.objects[n++] = Object{40.0f + 18.0f * static_cast<float>(kind % 12),
                                200.0f + 60.0f * static_cast<float>(kind / 12),
                                0.25f * static_cast<float>(kind), static_cast<std::uint8_t>(kind)};
    }
    t.object_count = static_cast<std::uint16_t>(n);
    t.objects[n] = Object{20.0f, 130.0f, 0.0f, start};
    for (int i = 0; i < max_pits; ++i) {
        t.pits[i] = Pit{300.0f + 12.0f * static_cast<float>(i), 460.0f, 1.5f};
    }
    t.pit_count = max_pits;
    for (int i = 0; i < 5; ++i) {
        const float a = static_cast<float>(i) * 1.2f;
        const float cx = 256.0f + 150.0f * std::cos(a), cy = 256.0f + 150.0f * std::sin(a);
        t.checkpoints[i] = Checkpoint{cx - 15.0f, cy - 10.0f, cx + 15.0f, cy + 10.0f};
    }
    t.checkpoint_count = 5;
    for (int i = 0; i < 40; ++i) {
        const float a = static_cast<float>(i) * 6.2831853f / 40.0f;
        t.ai_line[i] = LinePoint{256.0f + 150.0f * std::cos(a), 256.0f + 120.0f * std::sin(a)};
    }
    t.ai_line_count = 40;
    for (int i = 0; i < 8; ++i) {
        t.ai_pit_line[i] = LinePoint{280.0f + 10.0f * static_cast<float>(i), 440.0f};
    }
    t.ai_pit_line_count = 8;
    t.track_length = compute_track_length(t);
    return track;
}

std::vector<std::uint8_t> track_file(const Track& t, std::uint16_t version) {
    const bool wide_counts = version >= 258;
    const int objects = wide_counts ? t.object_count : std::min<int>(t.object_count, 255);
    const int ai = wide_counts ? t.ai_line_count : std::min<int>(t.ai_line_count, 255);

    // Land runs from row 511 up to row 0, each at most 4095 cells.
    std::vector<std::uint16_t> runs;
    std::uint8_t kind = t.land[(map_size - 1) * map_size];
    std::uint32_t length = 0;
    for (int row = map_size - 1; row >= 0; --row) {
        for (int x = 0; x < map_size; ++x) {
            const std::uint8_t cell = t.land[row * map_size + x];
            if (cell == kind && length < 4095) {
                ++length;
            } else {
                runs.push_back(static_cast<std::uint16_t>(length * 16 + (kind & 0x0F)));
                kind = cell;
                length = 1;
            }
        }
    }
    runs.push_back(static_cast<std::uint16_t>(length * 16 + (kind & 0x0F)));

    std::vector<std::uint8_t> out;
    if (version != 256) {
        put16(out, version);
        out.push_back('T');
        out.push_back('S');
    }
    const std::size_t offset_at = out.size();
    put32(out, 0); // game data offset, filled in below
    out.push_back(t.world_size);
    out.push_back(t.water_level);
    put16(out, static_cast<std::uint16_t>(t.view_angle));
    put16(out, static_cast<std::uint16_t>(t.rotation));
    if (version >= 261) {
        out.push_back(t.zoom);
        out.push_back(t.sf_line);
    }
    if (version >= 259) {
        put32(out, static_cast<std::uint32_t>(runs.size()));
    } else {
        put16(out, static_cast<std::uint32_t>(runs.size()));
    }
    for (std::uint16_t run : runs) {
        put16(out, run);
    }
    put16(out, height_samples);
    for (int i = 0; i < height_size; ++i) {
        for (int c = 0; c < height_size; ++c) {
            out.push_back(
                static_cast<std::uint8_t>(t.heights[(height_size - 1 - i) * height_size + c] >> 8));
        }
    }
    if (wide_counts) {
        put16(out, static_cast<std::uint32_t>(objects));
    } else {
        out.push_back(static_cast<std::uint8_t>(objects));
    }
    for (int i = 0; i < objects; ++i) {
        const Object& o = t.objects[i];
        out.push_back(o.kind);
        out.push_back(0);
        put16(out, sx(o.x));
        put16(out, sy(o.y));
        put16(out, sangle(o.angle));
    }
    out.push_back(t.pit_count);
    for (int i = 0; i < t.pit_count; ++i) {
        put16(out, sx(t.pits[i].x));
        put16(out, sy(t.pits[i].y));
        put16(out, sangle(t.pits[i].angle));
    }
    out.push_back(t.checkpoint_count);
    for (int i = 0; i < t.checkpoint_count; ++i) {
        const Checkpoint& c = t.checkpoints[i];
        put16(out, sx(c.x1));
        put16(out, sy(c.y1));
        put16(out, sx(c.x2));
        put16(out, sy(c.y2));
    }
    if (wide_counts) {
        put16(out, static_cast<std::uint32_t>(ai));
    } else {
        out.push_back(static_cast<std::uint8_t>(ai));
    }
    for (int i = 0; i < ai; ++i) {
        put16(out, sx(t.ai_line[i].x));
        put16(out, sy(t.ai_line[i].y));
    }
    out.push_back(t.ai_pit_line_count);
    for (int i = 0; i < t.ai_pit_line_count; ++i) {
        put16(out, sx(t.ai_pit_line[i].x));
        put16(out, sy(t.ai_pit_line[i].y));
    }
    // The trailer: author and comments, each zero-padded to its capacity.
    put16(out, 0xFFFF);
    const std::string_view author = text_of(t.author);
    out.insert(out.end(), author.begin(), author.end());
    out.insert(out.end(), author_capacity - author.size(), 0);
    const std::string_view comments = text_of(t.comments);
    out.insert(out.end(), comments.begin(), comments.end());
    out.insert(out.end(), comments_capacity - comments.size(), 0);
    put16(out, 0xFFFF);
    put32(out, static_cast<std::uint32_t>(compute_track_length(t)));

    const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) {
        out[offset_at + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    return out;
}

std::vector<std::uint8_t> track_file_with_lap(const Track& track, std::uint16_t version,
                                              int samples) {
    std::vector<std::uint8_t> out = track_file(track, version);
    for (int i = 0; i < 7; ++i) {
        put16(out, 6000);
    }
    out.insert(out.end(), game_data_size - 14, 0);
    put16(out, static_cast<std::uint32_t>(samples));
    // Positions in 1/150 world unit, y upwards: map units / world scale * 150.
    const float per_map_unit = 150.0f / track.world_scale;
    for (int r = 0; r < (samples + 1) / 2; ++r) {
        const float a = static_cast<float>(r) * 6.2831853f / static_cast<float>(samples / 2 + 1);
        const float x = 256.0f + 180.0f * std::cos(a);
        const float y = 256.0f + 140.0f * std::sin(a);
        put16(out, static_cast<std::uint16_t>(std::lround(x * per_map_unit)));
        put16(out, 0);
        put16(out, static_cast<std::uint16_t>(std::lround((512.0f - y) * per_map_unit)));
        put16(out, 0);
        put16(out, static_cast<std::uint16_t>(r));
        put16(out, 0);
    }
    return out;
}

} // namespace cs::fuzz
