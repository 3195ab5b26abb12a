#include "interaction/lap_import.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/little_endian.h"
#include "model/trk_file.h"

namespace cs {

namespace {

bool has_magic(std::span<const std::uint8_t> b) {
    return b.size() >= 4 && b[2] == 'T' && b[3] == 'S';
}

} // namespace

std::optional<std::vector<LinePoint>> lap_line_points(std::span<const std::uint8_t> bytes,
                                                      float spacing) {
    // Version and magic, or none: a version-256 file starts with the game data offset.
    const std::size_t header = has_magic(bytes) ? 4 : 0;
    if (bytes.size() < header + 5) {
        return std::nullopt; // too short even for the offset and the world size
    }
    const std::uint32_t game_data = le::u32(bytes, header);
    const std::uint8_t world_size = bytes[header + 4];

    // In 64 bits, so that a hostile offset near 2^32 lies past the end instead of
    // wrapping round to the start of the file.
    const std::uint64_t count_at = std::uint64_t{game_data} + lap_offset_in_game_data;
    if (count_at + 2 > bytes.size()) {
        return std::nullopt;
    }
    const std::uint16_t samples = le::u16(bytes, static_cast<std::size_t>(count_at));
    // Two samples share a record; an odd count brings one more record, which is read but
    // not converted.
    const std::uint64_t records_at = count_at + 2;
    const std::uint64_t records_read = (std::uint64_t{samples} + 1) / 2;
    if (records_at + records_read * lap_record_size > bytes.size()) {
        return std::nullopt;
    }

    // Lap positions are in 1/150 of a world unit, y upwards; the file's own world size
    // sets the scale (0 taken as 256, as everywhere).
    const float k = world_scale_for(world_size) * 0.006666667f;
    std::vector<LinePoint> points;
    const std::size_t converted = samples / 2;
    for (std::size_t j = 0; j < converted && points.size() < max_ai_line; ++j) {
        const std::size_t at = static_cast<std::size_t>(records_at) + j * lap_record_size;
        const LinePoint p{static_cast<float>(le::s16(bytes, at)) * k,
                          512.0f - static_cast<float>(le::s16(bytes, at + 4)) * k};
        if (!points.empty()) {
            const float dx = p.x - points.back().x;
            const float dy = p.y - points.back().y;
            if (std::sqrt(dx * dx + dy * dy) < spacing) {
                continue; // too close to the last kept point
            }
        }
        points.push_back(p);
    }
    return points;
}

} // namespace cs
