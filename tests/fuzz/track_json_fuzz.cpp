// The JSON track reader on arbitrary text. A refused document must leave the track exactly
// as it was and give one line; an accepted one must hold what a track file can and write a
// document that reads back to the same text, the file it saves to included.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/track_json.h"
#include "model/trk_file.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/seed_tracks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cs;
    static const std::unique_ptr<Track> baseline = fuzz::sample_track();
    static const std::unique_ptr<Track> work = std::make_unique<Track>(*baseline);
    static const std::unique_ptr<Track> again = std::make_unique<Track>();
    Track& t = *work;
    const JsonReadResult result =
        track_from_json(std::string_view(reinterpret_cast<const char*>(data), size), t);
    if (!result.ok()) {
        FUZZ_CHECK(std::memcmp(&t, baseline.get(), sizeof(Track)) == 0);
        FUZZ_CHECK(result.error.find_first_of("\r\n") == std::string::npos);
        return 0;
    }
    FUZZ_CHECK(t.pit_count <= max_pits && result.trk_version <= trk_version);
    for (std::uint8_t cell : t.land) {
        FUZZ_CHECK(cell < 16);
    }
    for (std::uint16_t h : t.heights) {
        FUZZ_CHECK((h & 0xFF) == 0);
    }
    const std::string written = track_to_json(t, result.trk_version);
    const std::vector<std::uint8_t> file = encode_track(t);
    const JsonReadResult reread = track_from_json(written, *again);
    FUZZ_CHECK(reread.ok() && reread.trk_version == result.trk_version);
    FUZZ_CHECK(track_to_json(*again, result.trk_version) == written);
    FUZZ_CHECK(encode_track(*again) == file);
    FUZZ_CHECK(parse_track(file, *again).error == TrackFileError::none);
    FUZZ_CHECK(track_to_json(*again, result.trk_version) == written);
    std::memcpy(&t, baseline.get(), sizeof(Track));
    return 0;
}
