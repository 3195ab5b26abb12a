// The terrain image row by row: the same pixels as recompute_pixel, bit for bit, with the
// terms that a row or a column shares worked out once, several pixels at a time (as wide as
// the processor allows), and large areas shared with the renderer's worker thread.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace cs {

struct Canvas;
struct Pixel;

// One channel of a pixel: the shade weighed against the surface colour, weight 0..10.
inline std::uint8_t blend_channel(std::uint8_t shade, std::uint8_t land, int weight) {
    return static_cast<std::uint8_t>((shade * (10 - weight) + land * weight) / 10);
}

// The pixels begin <= x < end of one row.
struct RowSpan {
    int begin = 0, end = 0;
};

// Recomputes, for every k, the pixels spans[k] of row top + k (spans and rows are cut to the
// image) and notes their tiles as written.
void recompute_row_spans(const Canvas& canvas, int top, std::span<const RowSpan> spans);
// The same for every pixel with left <= x < right and top <= y < bottom, already clamped
// to the image; the caller notes the tiles.
void recompute_rows(const Canvas& canvas, int left, int top, int right, int bottom);

// What the row routine keeps between calls, owned by the renderer and allocated once.
class TerrainRows {
  public:
    TerrainRows();
    TerrainRows(const TerrainRows&) = delete;
    TerrainRows& operator=(const TerrainRows&) = delete;

    // The per-pixel position of one image coordinate on the height grid: the sample
    // before it, and the weights of that sample (rest) and of the next one (frac).
    struct Axis {
        alignas(32) std::array<float, 512> frac{};
        alignas(32) std::array<float, 512> rest{};
        alignas(32) std::array<int, 512> cell{};
    };
    // One row g of the height grid premultiplied by the column weights, for the columns
    // lo <= x < hi: the first products of the bilinear sum, shared by every pixel row
    // that reads grid row g.
    struct SampleRow {
        alignas(32) std::array<float, 512> rest{}, frac{};
        int g = -1, lo = 0, hi = 0;
    };
    // The two grid rows a pixel row reads, kept so that the next band reuses its top.
    struct Band {
        std::array<SampleRow, 2> rows;
        int top = 0; // the index in rows of the upper grid row
    };
    // A piece of work: rows top <= y < bottom, with their spans (from spans[0] at row
    // span_top) or, without spans, columns left <= x < right on every row.
    struct Job {
        int top = 0, bottom = 0;
        const RowSpan* spans = nullptr;
        int span_top = 0;
        int left = 0, right = 0;
    };

    // The blend by channel (blue, green, red) for the routine that looks colours up in
    // registers: the shade of every level, the colour of every surface kind, the order of
    // a group of 64 pixels, and the blend weight (-1: that routine is not used).
    struct ChannelTables {
        alignas(64) std::array<std::array<std::uint8_t, 256>, 3> shade{};
        alignas(16) std::array<std::array<std::uint8_t, 16>, 3> land{};
        alignas(64) std::array<std::uint8_t, 64> order{};
        int weight = -1;
    };

    // Brings the tables up to date with the renderer and the blend; false when the
    // spacing would reach outside the height grid (then only the per-pixel path applies).
    bool prepare(const Canvas& canvas);
    // Keeps to the AVX2 routines (avx512 false) or to those of any x86-64 (both false) on a
    // processor that has more, so that each routine can be compared on one machine.
    void limit_routines(bool avx2, bool avx512);
    // Runs the job; when it is large enough, the renderer's worker thread takes groups of
    // rows too.
    void run(const Canvas& canvas, const Job& job, long long pixels);

  private:
    void render(const Canvas& canvas, const Job& job, Band& band) const;

    Axis axis_;
    float spacing_ = 0.0f;
    bool axis_valid_ = false;
    bool wide_ = false;    // the processor has AVX2: the routines eight pixels at a time
    bool wide512_ = false; // and AVX-512 with byte permutes: 64 pixels at a time
    ChannelTables channels_;
    // The blended colour of every surface kind and shade: entry kind * 256 + shade.
    std::array<std::uint32_t, 16 * 256> colours_{};
    // The tables and the blend that colours_ was made from.
    std::array<std::uint32_t, 256> shading_key_{};
    std::array<std::uint32_t, 16> land_key_{};
    int blend_key_ = -1;

    // The grid rows of each thread that draws: the caller's (0) and the worker's (1).
    std::array<Band, 2> bands_;
};

} // namespace cs
