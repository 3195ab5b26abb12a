// The land and height bitmap imports on arbitrary bytes. BITMAP_KIND selects the decoder
// (0 land map, 1 height grid), so both harnesses share this file. A refused file leaves
// the map untouched; an accepted one holds only values a file can give, and exporting
// the result and importing it again gives the same map.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/bitmap_file.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/seed_tracks.h"

namespace {

using namespace cs;

const Track& baseline() {
    static const std::unique_ptr<Track> track = fuzz::sample_track();
    return *track;
}

template <typename Grid, typename Decode, typename Encode, typename Valid>
void check_decoder(std::span<const std::uint8_t> bytes, Grid Track::*grid, Decode decode,
                   Encode encode, Valid valid) {
    static const std::unique_ptr<Track> work = std::make_unique<Track>(baseline());
    Track& t = *work;
    t.*grid = baseline().*grid;
    if (!decode(bytes, t.*grid)) {
        FUZZ_CHECK(t.*grid == baseline().*grid);
        return;
    }
    FUZZ_CHECK(std::all_of((t.*grid).begin(), (t.*grid).end(), valid));
    const std::vector<std::uint8_t> exported = encode(t);
    static const std::unique_ptr<Track> again = std::make_unique<Track>();
    FUZZ_CHECK(decode(exported, again.get()->*grid));
    FUZZ_CHECK(again.get()->*grid == t.*grid);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
#if BITMAP_KIND == 0
    check_decoder(
        bytes, &Track::land, decode_land_bitmap,
        [](const Track& t) { return encode_land_bitmap(t); },
        [](std::uint8_t cell) { return cell < 16; });
#else
    check_decoder(bytes, &Track::heights, decode_height_bitmap, encode_height_bitmap,
                  [](std::uint16_t h) { return (h & 0xFF) == 0; });
#endif
    return 0;
}
