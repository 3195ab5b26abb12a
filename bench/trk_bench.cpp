// Load and save of track files, the worst case being a map of 262144 single-cell runs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "model/trk_file.h"

namespace {

void make_worst_case(cs::Track& track) {
    cs::reset_track(track);
    // Every cell differs from its neighbour along the file's cell order.
    for (int i = 0; i < cs::land_cells; ++i) {
        track.land[i] = static_cast<std::uint8_t>((i + i / cs::map_size) % 2 == 0 ? 0 : 2);
    }
}

std::string worst_case_path() {
    return (std::filesystem::temp_directory_path() /
            ("coursesmith-bench-worst-" + std::to_string(::getpid()) + ".trk"))
        .string();
}

void BM_SaveWorstCase(benchmark::State& state) {
    auto track = std::make_unique<cs::Track>();
    make_worst_case(*track);
    const std::string path = worst_case_path();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cs::write_track(path, *track));
    }
}
BENCHMARK(BM_SaveWorstCase)->Unit(benchmark::kMillisecond);

void BM_ParseWorstCase(benchmark::State& state) {
    auto track = std::make_unique<cs::Track>();
    make_worst_case(*track);
    const std::vector<std::uint8_t> bytes = cs::encode_track(*track);
    auto target = std::make_unique<cs::Track>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cs::parse_track(bytes, *target));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseWorstCase)->Unit(benchmark::kMillisecond);

// Loading through the editor: reading, the panel refresh and the full redraw.
void BM_LoadWorstCase(benchmark::State& state) {
    auto track = std::make_unique<cs::Track>();
    make_worst_case(*track);
    const std::string path = worst_case_path();
    cs::write_track(path, *track);
    cs::ScriptedUi ui;
    auto editor = std::make_unique<cs::Editor>(ui);
    cs::set_up_editor(*editor);
    for (auto _ : state) {
        ui.clock += 100;
        ui.calls.clear();
        benchmark::DoNotOptimize(cs::load_track(*editor, path));
    }
}
BENCHMARK(BM_LoadWorstCase)->Unit(benchmark::kMillisecond);

} // namespace
