#include "tests/fuzz/invariants.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editor/view_commands.h"
#include "render/overlay.h"
#include "render/view.h"
#include "resources/control_ids.h"
#include "tests/fuzz/check.h"

namespace cs::fuzz {

void check_editor(const Editor& editor, const ScriptedUi& ui) {
    const Track& t = editor.track;
    FUZZ_CHECK(t.object_count <= max_objects);
    FUZZ_CHECK(t.pit_count <= max_pits);
    FUZZ_CHECK(t.checkpoint_count <= max_checkpoints);
    FUZZ_CHECK(t.ai_line_count <= max_ai_line);
    FUZZ_CHECK(t.ai_pit_line_count <= max_ai_pit_line);

    std::uint8_t any_high = 0;
    for (std::uint8_t cell : t.land) {
        any_high |= cell;
    }
    FUZZ_CHECK((any_high & 0xF0) == 0);

    FUZZ_CHECK(ui.is_enabled(id::land_undo) == editor.undo.land_armed);
    FUZZ_CHECK(ui.is_enabled(id::hmap_undo) == editor.undo.heights_armed);
    FUZZ_CHECK(ui.is_enabled(id::delete_pit) == (t.pit_count != 0));
    FUZZ_CHECK(ui.is_enabled(id::delete_checkpoint) == (t.checkpoint_count != 0));
    FUZZ_CHECK(ui.is_enabled(id::delete_ai_line) == (t.ai_line_count != 0));
    FUZZ_CHECK(ui.is_enabled(id::delete_ai_pit_line) == (t.ai_pit_line_count != 0));
    // Every finished action is in the history: an operation that wrote the track without
    // telling it where would leave a change that undo cannot take back.
    FUZZ_CHECK(editor.gesture.button_down != 0 || history_in_step(editor));
}

namespace {

// Where two images first differ; the pixel count when they are the same. One memcmp in
// the common case: a pixel-wise comparison would be traced by the fuzzer's instrumentation.
std::size_t first_difference(const Pixel* a, const Pixel* b) {
    const std::size_t pixels = std::size_t{image_size} * image_size;
    if (std::memcmp(a, b, pixels * sizeof(Pixel)) == 0) {
        return pixels;
    }
    return static_cast<std::size_t>(std::mismatch(a, a + pixels, b).first - a);
}

void report_difference(std::size_t at, const char* what) {
    if (at != std::size_t{image_size} * image_size) {
        std::fprintf(stderr, "%s first at (%zu, %zu)\n", what, at % image_size, at / image_size);
    }
}

} // namespace

void check_same_image(const Editor& editor, const Editor& twin) {
    if (!editor.renderer.exists() || !twin.renderer.exists()) {
        FUZZ_CHECK(editor.renderer.exists() == twin.renderer.exists());
        return;
    }
    const std::size_t at = first_difference(editor.renderer.image.get(), twin.renderer.image.get());
    report_difference(at, "the images of the two overlay passes differ");
    FUZZ_CHECK(at == std::size_t{image_size} * image_size);
}

void check_image_at_rest(Editor& editor) {
    Renderer& r = editor.renderer;
    if (!r.exists() || editor.gesture.button_down != 0) {
        return;
    }
    Track& t = editor.track;
    const Object& pending = t.objects[t.object_count];
    draw_object(canvas_of(editor), pending.x, pending.y, pending.angle, pending.kind,
                DrawMode::erase, -1);
    if (t.pit_count < max_pits) {
        const Pit& pit = t.pits[t.pit_count];
        draw_object(canvas_of(editor), pit.x, pit.y, pit.angle, pit_kind, DrawMode::erase, -1);
    }
    redraw_overlays(canvas_of(editor));

    const std::size_t pixels = std::size_t{image_size} * image_size;
    std::vector<Pixel> shown(r.image.get(), r.image.get() + pixels);
    const bool literal = r.literal_overlays;
    r.literal_overlays = true;
    full_redraw(editor);
    r.literal_overlays = literal;
    const std::size_t at = first_difference(shown.data(), r.image.get());
    report_difference(at, "the image differs from the full redraw");
    FUZZ_CHECK(at == pixels);
}

} // namespace cs::fuzz
