#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <utility>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "interaction/elements.h"
#include "render/overlay.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

constexpr float pi = std::numbers::pi_v<float>;

struct Elements : ::testing::Test {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    Track& t = editor->track;

    void SetUp() override {
        ASSERT_TRUE(set_up_editor(*editor));
        t.world_size = 128; // world scale 4
        recompute_world_scale(t);
        full_redraw(*editor); // the shapes at the new scale
        ui.clock = 1000;
    }
    void place(std::uint8_t kind, float x, float y) {
        t.objects[t.object_count] = Object{x, y, 0, kind};
        ++t.object_count;
    }
    std::vector<Pixel> image() const {
        const Pixel* p = editor->renderer.image.get();
        return {p, p + image_size * image_size};
    }
    // How many pixels differ from a redraw from scratch: stale shapes show up here.
    int stale_pixels() {
        const std::vector<Pixel> shown = image();
        full_redraw(*editor);
        const std::vector<Pixel> fresh = image();
        int n = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            n += !(shown[i] == fresh[i]);
        }
        return n;
    }
};

TEST_F(Elements, StartReplacesTheOldestStartPosition) {
    const Object third = t.objects[2];
    pending_object_move(placement_edit_of(*editor), 300, 300, false);
    object_commit(placement_edit_of(*editor), 300, 300);
    pending_object_move(placement_edit_of(*editor), 310, 320, false);
    object_commit(placement_edit_of(*editor), 310, 320);
    EXPECT_EQ(t.object_count, 6);
    EXPECT_FLOAT_EQ(t.objects[0].y, third.y);
    EXPECT_FLOAT_EQ(t.objects[3].y, 110.0f);
    EXPECT_FLOAT_EQ(t.objects[4].x, 300.0f);
    EXPECT_FLOAT_EQ(t.objects[5].y, 320.0f);
    EXPECT_EQ(t.objects[6].kind, start); // the pending slot is no start position
    // The start positions carry their new numbers at once.
    EXPECT_EQ(stale_pixels(), 0);

    // A list that lacks start positions takes the Start as a new one.
    t.object_count = 3;
    t.objects[3].kind = start;
    object_commit(placement_edit_of(*editor), 50, 60);
    EXPECT_EQ(t.object_count, 4);
    EXPECT_EQ(t.objects[4].kind, editor->tools.object_kind);
}

TEST_F(Elements, RightDragTurnsThePendingObjectThenItFollowsAndCommits) {
    editor->tools.object_kind = house;
    t.objects[6].kind = house;
    pending_object_move(placement_edit_of(*editor), 200, 200, false);
    const struct {
        float x, y, angle;
    } turns[] = {{210, 210, pi / 4},     {190, 210, 3 * pi / 4}, {190, 190, 5 * pi / 4},
                 {210, 190, 7 * pi / 4}, {200, 210, pi / 2},     {200, 190, 3 * pi / 2},
                 {203, 203, 3 * pi / 2}}; // within 5 units: unchanged
    for (const auto& turn : turns) {
        pending_object_move(placement_edit_of(*editor), turn.x, turn.y, true);
        EXPECT_NEAR(t.objects[6].angle, turn.angle, 1e-5) << turn.x << "," << turn.y;
        EXPECT_FLOAT_EQ(t.objects[6].x, 200.0f);
    }
    pending_object_move(placement_edit_of(*editor), 250, 260, false);
    object_commit(placement_edit_of(*editor), 250, 260);
    ASSERT_EQ(t.object_count, 7);
    EXPECT_FLOAT_EQ(t.objects[6].x, 250.0f);
    EXPECT_NEAR(t.objects[6].angle, 3 * pi / 2, 1e-5);
    EXPECT_NEAR(t.objects[7].angle, 3 * pi / 2, 1e-5); // the next one keeps the turn
    EXPECT_EQ(t.objects[7].kind, house);

    object_commit(placement_edit_of(*editor), -1, 260); // outside the map
    t.object_count = max_objects;
    object_commit(placement_edit_of(*editor), 250, 260);
    EXPECT_EQ(t.object_count, max_objects);
}

TEST_F(Elements, PitsStopAtSixAndDeleteFromTheEnd) {
    for (int i = 0; i < max_pits; ++i) {
        pending_pit_move(placement_edit_of(*editor), 100.0f + 20 * i, 100, false);
        pit_commit(placement_edit_of(*editor), 100.0f + 20 * i, 100);
    }
    EXPECT_EQ(t.pit_count, max_pits);
    EXPECT_TRUE(ui.is_enabled(id::delete_pit));
    const auto before = image();
    const int repaints = ui.repaints;
    pending_pit_move(placement_edit_of(*editor), 300, 300, false); // no pending pit is shown
    EXPECT_EQ(image(), before);
    EXPECT_EQ(ui.repaints, repaints);
    pit_commit(placement_edit_of(*editor), 300, 300);
    EXPECT_EQ(t.pit_count, max_pits);

    for (int i = 0; i < max_pits; ++i) {
        EXPECT_TRUE(ui.is_enabled(id::delete_pit)) << i; // until the last one goes
        delete_last_pit(placement_edit_of(*editor));
    }
    EXPECT_EQ(t.pit_count, 0);
    EXPECT_FALSE(ui.is_enabled(id::delete_pit));
    EXPECT_EQ(stale_pixels(), 0);
    delete_last_pit(placement_edit_of(*editor)); // empty: nothing
    EXPECT_EQ(t.pit_count, 0);
}

TEST_F(Elements, CheckpointsNeedTenUnitsAndRoom) {
    checkpoint_start(placement_edit_of(*editor), 100, 100);
    EXPECT_EQ(ui.check_of(id::show_checkpoints), 1);
    checkpoint_drag(placement_edit_of(*editor), 109, 100);
    checkpoint_commit(placement_edit_of(*editor), 109, 100);
    EXPECT_EQ(t.checkpoint_count, 0);
    checkpoint_start(placement_edit_of(*editor), 100, 100);
    checkpoint_commit(placement_edit_of(*editor), 106, 108); // exactly 10 long: kept
    EXPECT_EQ(t.checkpoint_count, 1);
    // Released past the bottom edge: the far end is pulled in to the last row, 511.
    checkpoint_start(placement_edit_of(*editor), 300, 505);
    checkpoint_commit(placement_edit_of(*editor), 300, 530);
    ASSERT_EQ(t.checkpoint_count, 2);
    EXPECT_FLOAT_EQ(t.checkpoints[1].x2, 300.0f);
    EXPECT_FLOAT_EQ(t.checkpoints[1].y2, 511.0f);
    t.checkpoint_count = 0;

    checkpoint_start(placement_edit_of(*editor), 5, 100);
    checkpoint_drag(placement_edit_of(*editor), -20, 100);
    checkpoint_commit(placement_edit_of(*editor), -20,
                      100); // 25 long as released, 5 once pulled in
    ASSERT_EQ(t.checkpoint_count, 1);
    EXPECT_FLOAT_EQ(t.checkpoints[0].x2, 0.0f);
    EXPECT_TRUE(ui.is_enabled(id::delete_checkpoint));

    t.checkpoint_count = max_checkpoints;
    place(house, 230, 200); // under the one being dragged
    checkpoint_start(placement_edit_of(*editor), 200, 200);
    checkpoint_drag(placement_edit_of(*editor), 260, 200);
    EXPECT_GT(stale_pixels(), 0); // drawn while dragging
    checkpoint_drag(placement_edit_of(*editor), 260, 200);
    checkpoint_commit(placement_edit_of(*editor), 260, 200);
    EXPECT_EQ(t.checkpoint_count, max_checkpoints);
    EXPECT_EQ(stale_pixels(), 0);

    t.checkpoint_count = 1;
    delete_last_checkpoint(placement_edit_of(*editor));
    EXPECT_EQ(t.checkpoint_count, 0);
    EXPECT_FALSE(ui.is_enabled(id::delete_checkpoint));
    delete_last_checkpoint(placement_edit_of(*editor)); // empty: nothing
    EXPECT_EQ(t.checkpoint_count, 0);
}

// A release away from where the last drag drew the checkpoint: the picture shows the
// checkpoint that was added, not the one that was being dragged.
TEST_F(Elements, ACheckpointReleasedAwayFromTheLastDragShowsWhereItEnds) {
    checkpoint_start(placement_edit_of(*editor), 100, 100);
    checkpoint_drag(placement_edit_of(*editor), 320, 140);
    checkpoint_commit(placement_edit_of(*editor), 160, 140);
    ASSERT_EQ(t.checkpoint_count, 1);
    EXPECT_FLOAT_EQ(t.checkpoints[0].x2, 160.0f);
    EXPECT_EQ(stale_pixels(), 0);
}

TEST_F(Elements, CommitsReleasedOutsideTheMapAreDropped) {
    editor->tools.object_kind = house;
    t.objects[t.object_count].kind = house;
    const int objects = t.object_count;
    for (auto [x, y] :
         {std::pair{512.0f, 10.0f}, {10.0f, 512.0f}, {-0.5f, 10.0f}, {10.0f, -0.5f}}) {
        object_commit(placement_edit_of(*editor), x, y);
        pit_commit(placement_edit_of(*editor), x, y);
    }
    EXPECT_EQ(t.object_count, objects);
    EXPECT_EQ(t.pit_count, 0);
    // The edge cells are inside.
    object_commit(placement_edit_of(*editor), 0, 511.5f);
    pit_commit(placement_edit_of(*editor), 511.5f, 0);
    EXPECT_EQ(t.object_count, objects + 1);
    EXPECT_EQ(t.pit_count, 1);
}

TEST_F(Elements, DeleteObjectTakesTheNearestWithinItsRadius) {
    place(house, 200, 200);
    redraw_overlays(canvas_of(*editor)); // from here on the objects are found by where they stand
    t.objects[7] = Object{0, 0, 1.5f, house}; // the pending slot
    editor->tools.object_kind = bush;
    delete_object_at(placement_edit_of(*editor), 216.5f, 200); // a House reaches 4 x 4 = 16 units
    EXPECT_EQ(t.object_count, 7);
    delete_object_at(placement_edit_of(*editor), t.objects[0].x,
                     t.objects[0].y); // start positions stay
    EXPECT_EQ(t.object_count, 7);
    delete_object_at(placement_edit_of(*editor), 216, 200);
    EXPECT_EQ(t.object_count, 6);
    delete_object_at(placement_edit_of(*editor), 200,
                     200); // only the placement slot stands there now
    EXPECT_EQ(t.object_count, 6);
    EXPECT_FLOAT_EQ(t.objects[6].angle, 1.5f);
    EXPECT_EQ(t.objects[6].kind, bush);
    EXPECT_EQ(stale_pixels(), 0);

    place(stone, 195, 200);
    place(house, 205, 200);
    place(bush, 300, 300);
    place(office_block, 240, 400);
    redraw_overlays(canvas_of(*editor));
    delete_object_at(placement_edit_of(*editor), 200, 200); // a tie: the lower index goes
    ASSERT_EQ(t.object_count, 9);
    EXPECT_EQ(t.objects[6].kind, house);
    EXPECT_EQ(t.objects[7].kind, bush); // the rest keep their order
    delete_object_at(placement_edit_of(*editor), 216.5f,
                     400); // an Office block reaches 6 x 4 = 24 units
    EXPECT_EQ(t.object_count, 8);
}

} // namespace
} // namespace cs
