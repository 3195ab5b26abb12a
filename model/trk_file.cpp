#include "model/trk_file.h"

#include <cmath>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include "model/little_endian.h"

namespace cs {

std::string_view message_for(TrackFileError error) {
    switch (error) {
    case TrackFileError::none:
        return {};
    case TrackFileError::cant_open:
        return "Can't open file!";
    case TrackFileError::newer_version:
        return "Track was saved with newer version of the track editor. This version does not "
               "know how to handle this track.";
    case TrackFileError::damaged:
        return "The track file is damaged or incomplete.";
    case TrackFileError::cant_create:
        return "Can't create file.";
    }
    return {};
}

namespace {

// Reads little-endian values from the file in memory; any read past the end marks the
// cursor as failed and yields zeros, so the caller checks once per section.
class Cursor {
  public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool at_end() const { return pos_ == bytes_.size(); }

    bool has(std::size_t n) {
        if (!ok_ || remaining() < n) {
            ok_ = false;
        }
        return ok_;
    }
    std::uint8_t u8() { return has(1) ? bytes_[pos_++] : 0; }
    std::uint16_t u16() {
        if (!has(2)) {
            return 0;
        }
        const std::uint16_t v = le::u16(bytes_, pos_);
        pos_ += 2;
        return v;
    }
    std::uint32_t u32() {
        if (!has(4)) {
            return 0;
        }
        const std::uint32_t v = le::u32(bytes_, pos_);
        pos_ += 4;
        return v;
    }
    // Copies up to n bytes, as many as the file still holds; returns how many.
    std::size_t take_upto(char* out, std::size_t n) {
        const std::size_t k = ok_ ? std::min(n, remaining()) : 0;
        std::memcpy(out, bytes_.data() + pos_, k);
        pos_ += k;
        return k;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace

float stored_to_x(std::uint16_t v) {
    return static_cast<float>(v) * 0.5f;
}
float stored_to_y(std::uint16_t v) {
    return 512.0f - static_cast<float>(v) * 0.5f;
}
float stored_to_angle(std::uint16_t v) {
    return static_cast<float>(v) * 0.0001f;
}

std::int32_t x_units(float x) {
    return truncate_to_int(x * 2.0f);
}
std::int32_t y_units(float y) {
    return truncate_to_int((512.0f - y) * 2.0f);
}
// Rounded, not truncated: a stored angle read back (stored * 0.0001f) and written again
// keeps its value, so saving an unchanged track never turns its objects and pits.
std::int32_t angle_units(float angle) {
    const float steps = angle * 10000.0f;
    if (!std::isfinite(steps) || std::fabs(steps) > 2.0e9f) {
        return truncate_to_int(steps);
    }
    return static_cast<std::int32_t>(std::lround(steps));
}

namespace {

// The file keeps the low 16 bits of each number.
std::uint16_t x_to_stored(float x) {
    return static_cast<std::uint16_t>(x_units(x));
}
std::uint16_t y_to_stored(float y) {
    return static_cast<std::uint16_t>(y_units(y));
}
std::uint16_t angle_to_stored(float angle) {
    return static_cast<std::uint16_t>(angle_units(angle));
}

bool decode_land(Cursor& in, std::uint32_t run_count, Track& track) {
    if (!in.has(std::size_t{2} * run_count)) {
        return false;
    }
    int row = map_size - 1;
    int column = 0;
    for (std::uint32_t i = 0; i < run_count; ++i) {
        const std::uint16_t run = in.u16();
        const std::uint8_t kind = run & 0x0F;
        for (int n = run >> 4; n > 0; --n) {
            if (column == map_size) {
                if (row == 0) {
                    return false; // the runs cover more cells than the map has
                }
                --row;
                column = 0;
            }
            track.land[row * map_size + column] = kind;
            ++column;
        }
    }
    return true;
}

bool decode_heights(Cursor& in, Track& track) {
    if (in.u16() != height_samples || !in.has(height_samples)) {
        return false;
    }
    for (int i = 0; i < height_size; ++i) {
        for (int c = 0; c < height_size; ++c) {
            track.heights[(height_size - 1 - i) * height_size + c] =
                static_cast<std::uint16_t>(in.u8() << 8);
        }
    }
    return true;
}

// Driving-line points; false when the file ends before count of them.
bool read_points(Cursor& in, LinePoint* points, int count) {
    if (!in.has(std::size_t{4} * static_cast<std::size_t>(count))) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        points[i].x = stored_to_x(in.u16());
        points[i].y = stored_to_y(in.u16());
    }
    return true;
}

bool decode_elements(Cursor& in, std::uint16_t version, Track& track) {
    const bool wide_counts = version >= 258;

    const std::uint16_t objects = wide_counts ? in.u16() : in.u8();
    if (!in.has(std::size_t{8} * objects)) {
        return false;
    }
    for (int i = 0; i < objects; ++i) {
        Object& o = track.objects[i];
        o.kind = in.u8();
        in.u8(); // reserved
        o.x = stored_to_x(in.u16());
        o.y = stored_to_y(in.u16());
        o.angle = stored_to_angle(in.u16());
    }
    track.object_count = objects;

    const std::uint8_t pits = in.u8();
    if (pits > max_pits || !in.has(std::size_t{6} * pits)) {
        return false;
    }
    for (int i = 0; i < pits; ++i) {
        Pit& p = track.pits[i];
        p.x = stored_to_x(in.u16());
        p.y = stored_to_y(in.u16());
        p.angle = stored_to_angle(in.u16());
    }
    track.pit_count = pits;

    const std::uint8_t checkpoints = in.u8();
    if (!in.has(std::size_t{8} * checkpoints)) {
        return false;
    }
    for (int i = 0; i < checkpoints; ++i) {
        Checkpoint& c = track.checkpoints[i];
        c.x1 = stored_to_x(in.u16());
        c.y1 = stored_to_y(in.u16());
        c.x2 = stored_to_x(in.u16());
        c.y2 = stored_to_y(in.u16());
    }
    track.checkpoint_count = checkpoints;

    const std::uint16_t ai = wide_counts ? in.u16() : in.u8();
    if (!read_points(in, track.ai_line.data(), ai)) {
        return false;
    }
    track.ai_line_count = ai;

    const std::uint8_t pit_line = in.u8();
    if (!read_points(in, track.ai_pit_line.data(), pit_line)) {
        return false;
    }
    track.ai_pit_line_count = pit_line;
    return in.ok();
}

// The optional trailer: author and comments behind a 0xFFFF marker. What a file that
// ends inside them holds is kept; the rest stays zero.
void decode_trailer(Cursor& in, Track& track) {
    track.author.fill(0);
    track.comments.fill(0);
    if (in.remaining() < 2 || in.u16() != 0xFFFF) {
        return;
    }
    in.take_upto(track.author.data(), author_capacity);
    in.take_upto(track.comments.data(), comments_capacity);
}

class Writer {
  public:
    explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v & 0xFFFF));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void bytes(const char* data, std::size_t n) { out_.insert(out_.end(), data, data + n); }
    void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }

  private:
    std::vector<std::uint8_t>& out_;
};

void write_points(Writer& w, const LinePoint* points, int count) {
    for (int i = 0; i < count; ++i) {
        w.u16(x_to_stored(points[i].x));
        w.u16(y_to_stored(points[i].y));
    }
}

// Land runs in file order: from row 511 up to row 0, each row left to right, runs
// continuing across row ends, at most 4095 cells per run.
std::vector<std::uint16_t> encode_land(const Track& track) {
    std::vector<std::uint16_t> runs;
    std::uint8_t kind = track.land[(map_size - 1) * map_size];
    std::uint32_t length = 0;
    for (int row = map_size - 1; row >= 0; --row) {
        const std::uint8_t* cells = &track.land[row * map_size];
        for (int column = 0; column < map_size; ++column) {
            if (cells[column] == kind && length < 4095) {
                ++length;
            } else {
                runs.push_back(static_cast<std::uint16_t>(length * 16 + (kind & 0x0F)));
                kind = cells[column];
                length = 1;
            }
        }
    }
    runs.push_back(static_cast<std::uint16_t>(length * 16 + (kind & 0x0F)));
    return runs;
}

} // namespace

TrackReadResult parse_track(std::span<const std::uint8_t> bytes, Track& track) {
    Cursor in(bytes);
    std::uint16_t version = 256;
    if (bytes.size() >= 4 && bytes[2] == 'T' && bytes[3] == 'S') {
        version = in.u16();
        in.u16();
        if (version > trk_version) {
            return {TrackFileError::newer_version, version, {}};
        }
    }
    const std::uint16_t layout = version < 256 ? 257 : version;

    // Parse into a copy so that a damaged file leaves the track as it was.
    auto parsed = std::make_unique<Track>(track);
    Track& t = *parsed;
    in.u32(); // game data offset: the editor never reads the block
    t.world_size = in.u8();
    t.water_level = in.u8();
    t.view_angle = static_cast<std::int16_t>(in.u16());
    t.rotation = static_cast<std::int16_t>(in.u16());
    if (layout >= 261) {
        t.zoom = in.u8();
        t.sf_line = in.u8();
    } else {
        t.zoom = 105;
        t.sf_line = 1;
    }
    const std::uint32_t run_count = layout >= 259 ? in.u32() : in.u16();
    if (!in.ok() || !decode_land(in, run_count, t) || !decode_heights(in, t) ||
        !decode_elements(in, layout, t)) {
        return {TrackFileError::damaged, version, {}};
    }
    decode_trailer(in, t);
    recompute_world_scale(t);
    track = t;
    return {TrackFileError::none, version, {}};
}

TrackReadResult read_track(const std::filesystem::path& path, Track& track) {
    std::vector<std::uint8_t> bytes;
    std::error_code reason;
    if (!read_whole_file(path, bytes, &reason, max_track_file_size)) {
        if (reason == std::errc::file_too_large) {
            return {TrackFileError::damaged, 0, reason};
        }
        return {TrackFileError::cant_open, 0, reason};
    }
    return parse_track(bytes, track);
}

std::vector<std::uint8_t> encode_track(Track& track) {
    const std::vector<std::uint16_t> runs = encode_land(track);
    const std::size_t game_data_offset =
        567 + 4096 + 2 * runs.size() + 8 * std::size_t{track.object_count} +
        6 * std::size_t{track.pit_count} + 8 * std::size_t{track.checkpoint_count} +
        4 * std::size_t{track.ai_line_count} + 4 * std::size_t{track.ai_pit_line_count};

    std::vector<std::uint8_t> out;
    out.reserve(game_data_offset + game_data_size);
    Writer w(out);
    w.u16(trk_version);
    w.u8('T');
    w.u8('S');
    w.u32(static_cast<std::uint32_t>(game_data_offset));
    w.u8(track.world_size);
    w.u8(track.water_level);
    w.u16(static_cast<std::uint16_t>(track.view_angle));
    w.u16(static_cast<std::uint16_t>(track.rotation));
    w.u8(track.zoom);
    w.u8(track.sf_line);
    w.u32(static_cast<std::uint32_t>(runs.size()));
    for (std::uint16_t run : runs) {
        w.u16(run);
    }

    w.u16(height_samples);
    for (int i = 0; i < height_size; ++i) {
        for (int c = 0; c < height_size; ++c) {
            w.u8(static_cast<std::uint8_t>(track.heights[(height_size - 1 - i) * height_size + c] >>
                                           8));
        }
    }

    w.u16(track.object_count);
    for (int i = 0; i < track.object_count; ++i) {
        const Object& o = track.objects[i];
        w.u8(o.kind);
        w.u8(0);
        w.u16(x_to_stored(o.x));
        w.u16(y_to_stored(o.y));
        w.u16(angle_to_stored(o.angle));
    }
    w.u8(track.pit_count);
    for (int i = 0; i < track.pit_count; ++i) {
        const Pit& p = track.pits[i];
        w.u16(x_to_stored(p.x));
        w.u16(y_to_stored(p.y));
        w.u16(angle_to_stored(p.angle));
    }
    w.u8(track.checkpoint_count);
    for (int i = 0; i < track.checkpoint_count; ++i) {
        const Checkpoint& c = track.checkpoints[i];
        w.u16(x_to_stored(c.x1));
        w.u16(y_to_stored(c.y1));
        w.u16(x_to_stored(c.x2));
        w.u16(y_to_stored(c.y2));
    }
    w.u16(track.ai_line_count);
    write_points(w, track.ai_line.data(), track.ai_line_count);
    w.u8(track.ai_pit_line_count);
    write_points(w, track.ai_pit_line.data(), track.ai_pit_line_count);

    w.u16(0xFFFF);
    const std::string_view author = text_of(track.author);
    w.bytes(author.data(), author.size());
    w.zeros(author_capacity - author.size());
    const std::string_view comments = text_of(track.comments);
    w.bytes(comments.data(), comments.size());
    w.zeros(comments_capacity - comments.size());
    w.u16(0xFFFF);

    track.track_length = compute_track_length(track);
    w.u32(static_cast<std::uint32_t>(track.track_length));

    // The game's block in its initial state: seven entries of 6000, the rest zero.
    for (int i = 0; i < 7; ++i) {
        w.u16(6000);
    }
    w.zeros(91 + 9408 + 112);
    return out;
}

TrackFileError write_track(const std::filesystem::path& path, Track& track,
                           std::error_code* reason) {
    const std::vector<std::uint8_t> bytes = encode_track(track);
    return replace_file(path, bytes, reason) ? TrackFileError::none : TrackFileError::cant_create;
}

} // namespace cs
