// The JSON track reader on arbitrary text. A refused document must leave the track exactly
// as it was and give one line; an accepted one must hold what a track file can, write a
// document that reads back to the same text, and save to the same file as that document.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/track_json.h"
#include "model/trk_file.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/seed_tracks.h"

namespace {

using namespace cs;

const Track& baseline() {
    static const std::unique_ptr<Track> track = fuzz::sample_track();
    return *track;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::unique_ptr<Track> work = std::make_unique<Track>();
    static bool dirty = true;
    Track& t = *work;
    if (dirty) {
        std::memcpy(&t, &baseline(), sizeof(Track));
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const JsonReadResult result = track_from_json(text, t);
    if (!result.ok()) {
        FUZZ_CHECK(std::memcmp(&t, &baseline(), sizeof(Track)) == 0);
        FUZZ_CHECK(result.error.find_first_of("\r\n") == std::string::npos);
        dirty = false;
        return 0;
    }
    dirty = true;
    FUZZ_CHECK(t.pit_count <= max_pits);
    FUZZ_CHECK(result.trk_version <= trk_version);
    for (std::uint8_t cell : t.land) {
        FUZZ_CHECK(cell < 16);
    }
    for (std::uint16_t h : t.heights) {
        FUZZ_CHECK((h & 0xFF) == 0);
    }
    FUZZ_CHECK(t.world_scale == world_scale_for(t.world_size));

    // Written and read back, the document gives the same text and the same file.
    const std::string written = track_to_json(t, result.trk_version);
    static const std::unique_ptr<Track> again = std::make_unique<Track>();
    std::memcpy(again.get(), &baseline(), sizeof(Track));
    const JsonReadResult reread = track_from_json(written, *again);
    FUZZ_CHECK(reread.ok());
    FUZZ_CHECK(reread.trk_version == result.trk_version);
    FUZZ_CHECK(track_to_json(*again, reread.trk_version) == written);
    const std::vector<std::uint8_t> file = encode_track(t);
    FUZZ_CHECK(encode_track(*again) == file);
    // And the file read back writes that document.
    FUZZ_CHECK(parse_track(file, *again).error == TrackFileError::none);
    FUZZ_CHECK(track_to_json(*again, result.trk_version) == written);
    return 0;
}
