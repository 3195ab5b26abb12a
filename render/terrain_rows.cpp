#include "render/terrain_rows.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "render/canvas.h"
#include "render/terrain_image.h"
#include "render/worker.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The AVX2 and AVX-512 routines are compiled for those instruction sets alone and taken only
// where the processor has them, so the program still runs on any x86-64.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// GCC 12's AVX-512 intrinsics start from _mm512_undefined_*, which -Wuninitialized reports.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#define CS_ROWS_AVX2 1
#endif

namespace cs {

namespace {

// Below this many pixels the per-pixel path is cheaper than preparing a row.
constexpr long long small_area = 64;
// From this many pixels (a quarter of the image) on, the worker thread is offered groups
// of rows_per_take rows; measured on two cores, smaller areas gain nothing from it.
constexpr long long shared_area = 65536;
constexpr int rows_per_take = 16;

// The bits of a stored pixel that recomputation leaves alone.
constexpr std::uint32_t fourth_byte = std::bit_cast<std::uint32_t>(Pixel{0, 0, 0, 0xFF});

static_assert(image_size == 512 && height_size == 64);

// Premultiplies grid row row.g by the column weights for the columns from <= x < to.
void fill_row(const TerrainRows::Axis& axis, const std::uint16_t* heights,
              TerrainRows::SampleRow& row, int from, int to) {
    const std::uint16_t* samples = heights + row.g * height_size;
    for (int x = from; x < to; ++x) {
        const auto c = static_cast<std::size_t>(x);
        const int g = axis.cell[c];
        row.rest[c] = static_cast<float>(samples[g]) * axis.rest[c];
        row.frac[c] = static_cast<float>(samples[g + 1]) * axis.frac[c];
    }
}

#if defined(CS_ROWS_AVX2)
// fill_row for from and to multiples of 8. Eight columns of a valid spacing (more than 8
// pixels between samples) read at most two cells, so the samples are broadcast and chosen
// per column instead of gathered.
__attribute__((target("avx2"))) void fill_row_avx2(const TerrainRows::Axis& axis,
                                                   const std::uint16_t* heights,
                                                   TerrainRows::SampleRow& row, int from, int to) {
    const std::uint16_t* samples = heights + row.g * height_size;
    alignas(32) float level[height_size + 8] = {}; // one past the grid for the broadcasts
    for (int g = 0; g < height_size; g += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + g));
        _mm256_store_ps(level + g, _mm256_cvtepi32_ps(_mm256_cvtepu16_epi32(eight)));
    }
    for (int x = from; x < to; x += 8) {
        const auto c = static_cast<std::size_t>(x);
        const int first = axis.cell[c];
        if (axis.cell[c + 7] - first > 1) {
            fill_row(axis, heights, row, x, x + 8);
            continue;
        }
        const auto g = static_cast<std::size_t>(first);
        const __m256i cell = _mm256_load_si256(reinterpret_cast<const __m256i*>(&axis.cell[c]));
        const __m256 next = _mm256_castsi256_ps(_mm256_cmpgt_epi32(cell, _mm256_set1_epi32(first)));
        const __m256 at = _mm256_set1_ps(level[g]);
        const __m256 after = _mm256_set1_ps(level[g + 1]);
        const __m256 left = _mm256_blendv_ps(at, after, next);
        const __m256 right = _mm256_blendv_ps(after, _mm256_set1_ps(level[g + 2]), next);
        _mm256_store_ps(&row.rest[c], _mm256_mul_ps(left, _mm256_load_ps(&axis.rest[c])));
        _mm256_store_ps(&row.frac[c], _mm256_mul_ps(right, _mm256_load_ps(&axis.frac[c])));
    }
}
#endif

void fill(bool wide, const TerrainRows::Axis& axis, const std::uint16_t* heights,
          TerrainRows::SampleRow& row, int from, int to) {
#if defined(CS_ROWS_AVX2)
    if (wide) {
        fill_row_avx2(axis, heights, row, from, to);
        return;
    }
#endif
    (void)wide;
    fill_row(axis, heights, row, from, to);
}

// Makes row hold grid row g for at least the columns lo <= x < hi.
void cover_row(bool wide, const TerrainRows::Axis& axis, const std::uint16_t* heights,
               TerrainRows::SampleRow& row, int g, int lo, int hi) {
    if (row.g != g) {
        row.g = g;
        row.lo = row.hi = lo;
    }
    if (lo < row.lo) {
        fill(wide, axis, heights, row, lo, row.lo);
        row.lo = lo;
    }
    if (hi > row.hi) {
        fill(wide, axis, heights, row, row.hi, hi);
        row.hi = hi;
    }
}

// Makes band hold grid rows gy and gy + 1 for at least the columns lo <= x < hi.
void cover_band(bool wide, const TerrainRows::Axis& axis, const std::uint16_t* heights,
                TerrainRows::Band& band, int gy, int lo, int hi) {
    if (band.rows[static_cast<std::size_t>(band.top)].g != gy &&
        band.rows[static_cast<std::size_t>(1 - band.top)].g == gy) {
        band.top = 1 - band.top; // moving down one band: the lower row becomes the upper
    }
    cover_row(wide, axis, heights, band.rows[static_cast<std::size_t>(band.top)], gy, lo, hi);
    cover_row(wide, axis, heights, band.rows[static_cast<std::size_t>(1 - band.top)], gy + 1, lo,
              hi);
}

void store(Pixel& out, std::uint32_t colour) {
    out = std::bit_cast<Pixel>((std::bit_cast<std::uint32_t>(out) & fourth_byte) | colour);
}

} // namespace

TerrainRows::TerrainRows() {
#if defined(CS_ROWS_AVX2)
    wide_ = __builtin_cpu_supports("avx2");
    wide512_ = wide_ && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vbmi");
#endif
    // Byte 16 * lane + 4 * group + i of a group of 64 is pixel 16 * group + 4 * lane + i.
    for (std::size_t q = 0; q < 64; ++q) {
        channels_.order[q] = static_cast<std::uint8_t>((q & 3) | (q >> 4) << 2 | (q >> 2 & 3) << 4);
    }
}

void TerrainRows::limit_routines(bool avx2, bool avx512) {
    wide_ = wide_ && avx2;
    wide512_ = wide512_ && wide_ && avx512;
    blend_key_ = -1; // whether the channel tables are used follows wide512_
}

bool TerrainRows::prepare(const Canvas& canvas) {
    const Renderer& r = canvas.renderer;
    if (!(r.height_spacing == spacing_)) {
        spacing_ = r.height_spacing;
        axis_valid_ = true;
        for (int i = 0; i < image_size; ++i) {
            // As recompute_pixel places a pixel's centre on the grid.
            const float f = (static_cast<float>(i) + 0.5f) / spacing_;
            if (!(f >= 0.0f && f < static_cast<float>(height_size - 1))) {
                axis_valid_ = false;
                break;
            }
            const auto k = static_cast<std::size_t>(i);
            axis_.cell[k] = static_cast<int>(f);
            axis_.frac[k] = f - static_cast<float>(axis_.cell[k]);
            axis_.rest[k] = 1.0f - axis_.frac[k];
        }
    }
    if (!axis_valid_) {
        return false;
    }

    const int weight = canvas.image_blend;
    if (weight != blend_key_ ||
        std::memcmp(r.shading.data(), shading_key_.data(), sizeof shading_key_) != 0 ||
        std::memcmp(r.land_colours.data(), land_key_.data(), sizeof land_key_) != 0) {
        std::memcpy(shading_key_.data(), r.shading.data(), sizeof shading_key_);
        std::memcpy(land_key_.data(), r.land_colours.data(), sizeof land_key_);
        blend_key_ = weight;
        for (std::size_t kind = 0; kind < 16; ++kind) {
            const Pixel& land = r.land_colours[kind];
            for (std::size_t s = 0; s < 256; ++s) {
                const Pixel& shade = r.shading[s];
                const Pixel p{blend_channel(shade.blue, land.blue, weight),
                              blend_channel(shade.green, land.green, weight),
                              blend_channel(shade.red, land.red, weight), 0};
                colours_[kind * 256 + s] = std::bit_cast<std::uint32_t>(p);
            }
        }
        channels_.weight = -1;
        if (wide512_ && weight >= 0 && weight <= 10) {
            channels_.weight = weight;
            for (std::size_t s = 0; s < 256; ++s) {
                const Pixel& shade = r.shading[s];
                channels_.shade[0][s] = shade.blue;
                channels_.shade[1][s] = shade.green;
                channels_.shade[2][s] = shade.red;
            }
            for (std::size_t kind = 0; kind < 16; ++kind) {
                const Pixel& land = r.land_colours[kind];
                channels_.land[0][kind] = land.blue;
                channels_.land[1][kind] = land.green;
                channels_.land[2][kind] = land.red;
            }
        }
    }
    return true;
}

namespace {

using ChannelTables = TerrainRows::ChannelTables;

// What shading one row of pixels reads and writes.
struct RowInput {
    const TerrainRows::SampleRow* upper = nullptr;
    const TerrainRows::SampleRow* lower = nullptr;
    float rest_y = 0.0f, frac_y = 0.0f; // the row's weights of the upper and the lower sample
    const std::uint8_t* land = nullptr; // the row's cells
    Pixel* out = nullptr;               // the row's pixels
    const std::uint32_t* colours = nullptr;
    int begin = 0, end = 0; // the pixels stored
    int lo = 0, hi = 0;     // whole groups of 16 columns around them
};

// Stores the pixels from <= x < to of the group of columns at x0 from their shades.
void store_part(const RowInput& in, const std::uint8_t* shades, int x0, int from, int to) {
    for (int x = from; x < to; ++x) {
        const unsigned index = (in.land[x] & 0x0Fu) << 8 | shades[x - x0];
        store(in.out[x], in.colours[index]);
    }
}

// h = ((r0 * (1 - ax)) * (1 - ay) + (r1 * ax) * (1 - ay)) + (r2 * (1 - ax)) * ay
//     + (r3 * ax) * ay, in that order, as recompute_pixel evaluates it.
void shade_row(const RowInput& in) {
    const TerrainRows::SampleRow& upper = *in.upper;
    const TerrainRows::SampleRow& lower = *in.lower;
#if defined(__SSE2__)
    const __m128 rest_y = _mm_set1_ps(in.rest_y);
    const __m128 frac_y = _mm_set1_ps(in.frac_y);
    const __m128 scale = _mm_set1_ps(0.00390625f);
    const __m128i low_nibbles = _mm_set1_epi8(0x0F);
    const __m128i keep = _mm_set1_epi32(static_cast<int>(fourth_byte));
    alignas(16) std::uint8_t shades[16];
    for (int x0 = in.lo; x0 < in.hi; x0 += 16) {
        __m128i level[4];
        for (int k = 0; k < 4; ++k) {
            const auto c = static_cast<std::size_t>(x0 + 4 * k);
            __m128 h = _mm_add_ps(_mm_mul_ps(_mm_load_ps(&upper.rest[c]), rest_y),
                                  _mm_mul_ps(_mm_load_ps(&upper.frac[c]), rest_y));
            h = _mm_add_ps(h, _mm_mul_ps(_mm_load_ps(&lower.rest[c]), frac_y));
            h = _mm_add_ps(h, _mm_mul_ps(_mm_load_ps(&lower.frac[c]), frac_y));
            level[k] = _mm_cvttps_epi32(_mm_mul_ps(h, scale));
        }
        // Saturating to 16 and then to unsigned 8 bits clamps to 0..255.
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(level[0], level[1]),
                                                _mm_packs_epi32(level[2], level[3]));
        if (x0 >= in.begin && x0 + 16 <= in.end) {
            // Colour index kind * 256 + shade as 16 bits, then the colours, merged into the
            // stored pixels four at a time.
            const __m128i kinds = _mm_and_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.land + x0)), low_nibbles);
            alignas(16) std::uint16_t index[16];
            _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_unpacklo_epi8(packed, kinds));
            _mm_store_si128(reinterpret_cast<__m128i*>(index + 8),
                            _mm_unpackhi_epi8(packed, kinds));
            alignas(16) std::uint32_t colours[16];
            for (int k = 0; k < 16; ++k) {
                colours[k] = in.colours[index[k]];
            }
            for (int k = 0; k < 16; k += 4) {
                auto* stored = reinterpret_cast<__m128i*>(in.out + x0 + k);
                const __m128i kept = _mm_and_si128(_mm_loadu_si128(stored), keep);
                const __m128i colour =
                    _mm_load_si128(reinterpret_cast<const __m128i*>(colours + k));
                _mm_storeu_si128(stored, _mm_or_si128(kept, colour));
            }
            continue;
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(shades), packed);
        store_part(in, shades, x0, std::max(in.begin, x0), std::min(in.end, x0 + 16));
    }
#else
    for (int x = in.begin; x < in.end; ++x) {
        const auto c = static_cast<std::size_t>(x);
        const float h = upper.rest[c] * in.rest_y + upper.frac[c] * in.rest_y +
                        lower.rest[c] * in.frac_y + lower.frac[c] * in.frac_y;
        const int s = std::clamp(static_cast<int>(h * 0.00390625f), 0, 255);
        const unsigned index = (in.land[x] & 0x0Fu) << 8 | static_cast<unsigned>(s);
        store(in.out[x], in.colours[index]);
    }
#endif
}

#if defined(CS_ROWS_AVX2)
// shade_row eight pixels at a time, for the columns from <= x < to of lo..hi.
__attribute__((target("avx2"))) void shade_columns_avx2(const RowInput& in, int from, int to) {
    const TerrainRows::SampleRow& upper = *in.upper;
    const TerrainRows::SampleRow& lower = *in.lower;
    const __m256 rest_y = _mm256_set1_ps(in.rest_y);
    const __m256 frac_y = _mm256_set1_ps(in.frac_y);
    const __m256 scale = _mm256_set1_ps(0.00390625f);
    const __m256i brightest = _mm256_set1_epi32(255);
    const __m256i low_nibble = _mm256_set1_epi32(0x0F);
    const __m256i keep = _mm256_set1_epi32(static_cast<int>(fourth_byte));
    alignas(32) std::int32_t shades[8];
    for (int x0 = from; x0 < to; x0 += 8) {
        const auto c = static_cast<std::size_t>(x0);
        __m256 h = _mm256_add_ps(_mm256_mul_ps(_mm256_load_ps(&upper.rest[c]), rest_y),
                                 _mm256_mul_ps(_mm256_load_ps(&upper.frac[c]), rest_y));
        h = _mm256_add_ps(h, _mm256_mul_ps(_mm256_load_ps(&lower.rest[c]), frac_y));
        h = _mm256_add_ps(h, _mm256_mul_ps(_mm256_load_ps(&lower.frac[c]), frac_y));
        __m256i shade = _mm256_cvttps_epi32(_mm256_mul_ps(h, scale));
        shade = _mm256_min_epi32(_mm256_max_epi32(shade, _mm256_setzero_si256()), brightest);
        if (x0 >= in.begin && x0 + 8 <= in.end) {
            const __m256i kinds =
                _mm256_and_si256(_mm256_cvtepu8_epi32(_mm_loadl_epi64(
                                     reinterpret_cast<const __m128i*>(in.land + x0))),
                                 low_nibble);
            // Eight loads through the stored indices: faster than vpgatherdd here.
            alignas(32) std::uint32_t index[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(index),
                               _mm256_or_si256(_mm256_slli_epi32(kinds, 8), shade));
            const std::uint32_t* table = in.colours;
            const __m256i colour = _mm256_setr_epi32(
                static_cast<int>(table[index[0]]), static_cast<int>(table[index[1]]),
                static_cast<int>(table[index[2]]), static_cast<int>(table[index[3]]),
                static_cast<int>(table[index[4]]), static_cast<int>(table[index[5]]),
                static_cast<int>(table[index[6]]), static_cast<int>(table[index[7]]));
            auto* stored = reinterpret_cast<__m256i*>(in.out + x0);
            const __m256i kept = _mm256_and_si256(_mm256_loadu_si256(stored), keep);
            _mm256_storeu_si256(stored, _mm256_or_si256(kept, colour));
            continue;
        }
        _mm256_store_si256(reinterpret_cast<__m256i*>(shades), shade);
        for (int x = std::max(in.begin, x0); x < std::min(in.end, x0 + 8); ++x) {
            const unsigned index =
                (in.land[x] & 0x0Fu) << 8 | static_cast<unsigned>(shades[x - x0]);
            store(in.out[x], in.colours[index]);
        }
    }
}

// The pixels of a whole group of 64 columns at x0 without a table of colours: the shade and
// the surface colour of each channel are looked up in registers (vpermi2b, pshufb) and
// blended as blend_channel does, x / 10 being (x * 6554) >> 16 for x <= 2550. The shades
// and kinds are first put in the order in which the byte interleaving below leaves whole
// pixels in order.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void
shade_64_avx512(const RowInput& in, const ChannelTables& tables, int x0) {
    const TerrainRows::SampleRow& upper = *in.upper;
    const TerrainRows::SampleRow& lower = *in.lower;
    const __m512 rest_y = _mm512_set1_ps(in.rest_y);
    const __m512 frac_y = _mm512_set1_ps(in.frac_y);
    const __m512 scale = _mm512_set1_ps(0.00390625f);
    __m128i quarter[4];
    for (int k = 0; k < 4; ++k) {
        const auto c = static_cast<std::size_t>(x0 + 16 * k);
        __m512 h = _mm512_add_ps(_mm512_mul_ps(_mm512_loadu_ps(&upper.rest[c]), rest_y),
                                 _mm512_mul_ps(_mm512_loadu_ps(&upper.frac[c]), rest_y));
        h = _mm512_add_ps(h, _mm512_mul_ps(_mm512_loadu_ps(&lower.rest[c]), frac_y));
        h = _mm512_add_ps(h, _mm512_mul_ps(_mm512_loadu_ps(&lower.frac[c]), frac_y));
        const __m512i level = _mm512_cvttps_epi32(_mm512_mul_ps(h, scale));
        // Negative levels to 0, then unsigned saturation to 255: the clamp to 0..255.
        quarter[k] = _mm512_cvtusepi32_epi8(_mm512_max_epi32(level, _mm512_setzero_si512()));
    }
    __m512i shade = _mm512_castsi128_si512(quarter[0]);
    shade = _mm512_inserti32x4(shade, quarter[1], 1);
    shade = _mm512_inserti32x4(shade, quarter[2], 2);
    shade = _mm512_inserti32x4(shade, quarter[3], 3);
    const __m512i order = _mm512_load_si512(tables.order.data());
    shade = _mm512_permutexvar_epi8(order, shade);
    const __m512i kinds = _mm512_permutexvar_epi8(
        order, _mm512_and_si512(_mm512_loadu_si512(in.land + x0), _mm512_set1_epi8(0x0F)));
    const __mmask64 upper_half = _mm512_movepi8_mask(shade);
    const __m512i weights =
        _mm512_set1_epi16(static_cast<short>(tables.weight << 8 | (10 - tables.weight)));
    const __m512i tenth = _mm512_set1_epi16(6554);

    // Each channel as 16-bit values: lanes' bytes 0..7 in low, 8..15 in high.
    __m512i low[3], high[3];
    for (std::size_t ch = 0; ch < 3; ++ch) {
        const std::uint8_t* shades = tables.shade[ch].data();
        const __m512i below = _mm512_permutex2var_epi8(_mm512_load_si512(shades), shade,
                                                       _mm512_load_si512(shades + 64));
        const __m512i above = _mm512_permutex2var_epi8(_mm512_load_si512(shades + 128), shade,
                                                       _mm512_load_si512(shades + 192));
        const __m512i shade_ch = _mm512_mask_blend_epi8(upper_half, below, above);
        const __m512i land_ch =
            _mm512_shuffle_epi8(_mm512_broadcast_i32x4(_mm_load_si128(
                                    reinterpret_cast<const __m128i*>(tables.land[ch].data()))),
                                kinds);
        low[ch] = _mm512_mulhi_epu16(
            _mm512_maddubs_epi16(_mm512_unpacklo_epi8(shade_ch, land_ch), weights), tenth);
        high[ch] = _mm512_mulhi_epu16(
            _mm512_maddubs_epi16(_mm512_unpackhi_epi8(shade_ch, land_ch), weights), tenth);
    }
    const __m512i blue_green_low = _mm512_or_si512(low[0], _mm512_slli_epi16(low[1], 8));
    const __m512i blue_green_high = _mm512_or_si512(high[0], _mm512_slli_epi16(high[1], 8));
    const __m512i colours[4] = {_mm512_unpacklo_epi16(blue_green_low, low[2]),
                                _mm512_unpackhi_epi16(blue_green_low, low[2]),
                                _mm512_unpacklo_epi16(blue_green_high, high[2]),
                                _mm512_unpackhi_epi16(blue_green_high, high[2])};
    const __m512i keep = _mm512_set1_epi32(static_cast<int>(fourth_byte));
    for (int k = 0; k < 4; ++k) {
        Pixel* stored = in.out + x0 + 16 * k;
        const __m512i kept = _mm512_and_si512(_mm512_loadu_si512(stored), keep);
        _mm512_storeu_si512(stored, _mm512_or_si512(kept, colours[k]));
    }
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void
shade_row_avx512(const RowInput& in, const ChannelTables& tables) {
    for (int x0 = in.lo; x0 < in.hi;) {
        if (x0 >= in.begin && x0 + 64 <= in.end) {
            shade_64_avx512(in, tables, x0);
            x0 += 64;
        } else {
            shade_columns_avx2(in, x0, x0 + 16);
            x0 += 16;
        }
    }
}
#endif

} // namespace

void TerrainRows::render(const Canvas& canvas, const Job& job, Band& band) const {
    const std::uint16_t* heights = canvas.track.heights.data();
    RowInput in;
    in.colours = colours_.data();
    for (int y = job.top; y < job.bottom; ++y) {
        in.begin = job.left;
        in.end = job.right;
        if (job.spans != nullptr) {
            const RowSpan& span = job.spans[y - job.span_top];
            in.begin = std::max(span.begin, 0);
            in.end = std::min(span.end, image_size);
        }
        if (in.begin >= in.end) {
            continue;
        }
        // Whole groups of 16 columns, all inside the image; only begin..end is stored.
        in.lo = in.begin & ~15;
        in.hi = (in.end + 15) & ~15;
        const auto row = static_cast<std::size_t>(y);
        cover_band(wide_, axis_, heights, band, axis_.cell[row], in.lo, in.hi);
        in.upper = &band.rows[static_cast<std::size_t>(band.top)];
        in.lower = &band.rows[static_cast<std::size_t>(1 - band.top)];
        in.rest_y = axis_.rest[row];
        in.frac_y = axis_.frac[row];
        in.land = canvas.track.land.data() + y * map_size;
        in.out = canvas.renderer.image.get() + y * image_size;
#if defined(CS_ROWS_AVX2)
        if (channels_.weight >= 0) {
            shade_row_avx512(in, channels_);
            continue;
        }
        if (wide_) {
            shade_columns_avx2(in, in.lo, in.hi);
            continue;
        }
#endif
        shade_row(in);
    }
}

void TerrainRows::run(const Canvas& canvas, const Job& job, long long pixels) {
    for (Band& band : bands_) {
        band.rows[0].g = band.rows[1].g = -1; // the heights may have changed since the last job
    }
    SharedWorker* worker = canvas.renderer.worker.get();
    // The AVX-512 routine draws the whole image in about the time that handing half of it
    // to the other thread costs, so it works alone.
    if (worker == nullptr || pixels < shared_area || job.bottom - job.top <= rows_per_take ||
        channels_.weight >= 0) {
        render(canvas, job, bands_[0]);
        return;
    }
    // Groups of rows_per_take rows, each drawn by whichever thread takes it first.
    const int rows = job.bottom - job.top;
    auto group = [&](int k, int thread) {
        Job part = job;
        part.top = job.top + k * rows_per_take;
        part.bottom = std::min(part.top + rows_per_take, job.bottom);
        render(canvas, part, bands_[static_cast<std::size_t>(thread)]);
    };
    worker->run((rows + rows_per_take - 1) / rows_per_take, group);
}

void recompute_rows(const Canvas& canvas, int left, int top, int right, int bottom) {
    if (left >= right || top >= bottom) {
        return;
    }
    const long long pixels = static_cast<long long>(right - left) * (bottom - top);
    TerrainRows* rows = canvas.renderer.rows.get();
    if (pixels < small_area || rows == nullptr || !rows->prepare(canvas)) {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                recompute_pixel(canvas, x, y);
            }
        }
        return;
    }
    TerrainRows::Job job;
    job.top = top;
    job.bottom = bottom;
    job.left = left;
    job.right = right;
    rows->run(canvas, job, pixels);
}

void recompute_row_spans(const Canvas& canvas, int top, std::span<const RowSpan> spans) {
    // The rows of the image that the spans reach.
    const long long first = std::max<long long>(top, 0);
    const long long last = std::min<long long>(
        static_cast<long long>(top) + static_cast<long long>(spans.size()), image_size);
    long long pixels = 0;
    for (long long y = first; y < last; ++y) {
        const RowSpan& span = spans[static_cast<std::size_t>(y - top)];
        const int begin = std::max(span.begin, 0);
        const int end = std::min(span.end, image_size);
        if (begin < end) {
            canvas.renderer.note_rectangle_written(begin, static_cast<int>(y), end,
                                                   static_cast<int>(y) + 1);
            pixels += end - begin;
        }
    }
    if (pixels == 0) {
        return;
    }
    TerrainRows* rows = canvas.renderer.rows.get();
    if (pixels < small_area || rows == nullptr || !rows->prepare(canvas)) {
        for (long long y = first; y < last; ++y) {
            const RowSpan& span = spans[static_cast<std::size_t>(y - top)];
            for (int x = std::max(span.begin, 0); x < std::min(span.end, image_size); ++x) {
                recompute_pixel(canvas, x, static_cast<int>(y));
            }
        }
        return;
    }
    TerrainRows::Job job;
    job.top = static_cast<int>(first);
    job.bottom = static_cast<int>(last);
    job.spans = spans.data() + (first - top);
    job.span_top = job.top;
    rows->run(canvas, job, pixels);
}

} // namespace cs
