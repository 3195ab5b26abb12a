// Recovery copies of the heavy track: what the autosave tick costs the editing thread (a
// copy of the track and a thread started), against the whole copy written and flushed to a
// folder of the system's temporary directory (encoding, two safe replaces).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "bench/bench_editor.h"
#include "editor/history.h"
#include "editor/recovery.h"

namespace {

namespace fs = std::filesystem;
using cs::bench::BenchEditor;

void recovery_copy(benchmark::State& state, bool whole_write) {
    BenchEditor f(true);
    const fs::path folder = fs::temp_directory_path() / "coursesmith-recovery-bench";
    cs::start_recovery(*f.editor, folder);
    std::int64_t written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A modified track that changed since the last copy, so that every tick writes one.
        cs::mark_unsaved(*f.editor);
        state.ResumeTiming();
        cs::autosave_tick(*f.editor);
        if (whole_write) {
            cs::finish_recovery_write(*f.editor);
        } else {
            state.PauseTiming();
            cs::finish_recovery_write(*f.editor);
            state.ResumeTiming();
        }
        written += f.editor->recovery.copy_written ? 1 : 0;
        f.forget_calls();
    }
    // Every tick wrote its copy (1), or the figures time nothing.
    state.counters["copies_written"] =
        static_cast<double>(written) / static_cast<double>(state.iterations());
    cs::end_recovery(*f.editor);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void BM_AutosaveTickHeavy(benchmark::State& s) {
    recovery_copy(s, false);
}
void BM_RecoveryCopyWrittenHeavy(benchmark::State& s) {
    recovery_copy(s, true);
}
BENCHMARK(BM_AutosaveTickHeavy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecoveryCopyWrittenHeavy)->Unit(benchmark::kMicrosecond);

} // namespace
