// The track reader on arbitrary bytes: as they come, and once more behind a version and
// magic header when they carry none. A refused file must leave the track exactly as it
// was; an accepted one must hold counts within the lists' capacities and survive a save
// and reload unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/trk_file.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/seed_tracks.h"

namespace {

using namespace cs;

const Track& baseline() {
    static const std::unique_ptr<Track> track = fuzz::sample_track();
    return *track;
}

void check_parse(std::span<const std::uint8_t> bytes) {
    static const std::unique_ptr<Track> work = std::make_unique<Track>();
    static bool dirty = true;
    Track& t = *work;
    if (dirty) {
        std::memcpy(&t, &baseline(), sizeof(Track));
    }
    const TrackReadResult result = parse_track(bytes, t);
    if (result.error != TrackFileError::none) {
        FUZZ_CHECK(std::memcmp(&t, &baseline(), sizeof(Track)) == 0);
        dirty = false;
        return;
    }
    dirty = true;
    FUZZ_CHECK(t.pit_count <= max_pits);
    for (std::uint8_t cell : t.land) {
        FUZZ_CHECK(cell < 16);
    }
    for (std::uint16_t h : t.heights) {
        FUZZ_CHECK((h & 0xFF) == 0);
    }
    FUZZ_CHECK(t.world_scale == world_scale_for(t.world_size));

    // Saved and read back, the track gives the same file again.
    const std::vector<std::uint8_t> saved = encode_track(t);
    static const std::unique_ptr<Track> again = std::make_unique<Track>();
    std::memcpy(again.get(), &baseline(), sizeof(Track));
    FUZZ_CHECK(parse_track(saved, *again).error == TrackFileError::none);
    FUZZ_CHECK(encode_track(*again) == saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    check_parse(bytes);
    if (size < 4 || data[2] != 'T' || data[3] != 'S') {
        // The same bytes as the body of a file of version 257..261.
        std::vector<std::uint8_t> framed{static_cast<std::uint8_t>(1 + size % 5), 1, 'T', 'S'};
        framed.insert(framed.end(), data, data + size);
        check_parse(framed);
    }
    return 0;
}
