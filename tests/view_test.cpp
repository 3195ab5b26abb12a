#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

class View : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(set_up_editor(*editor));
        ui.calls.clear();
        ui.repaints = 0;
    }

    // Sets the clock, asks for a repaint and tells whether one was carried out.
    bool repaint_at(std::uint32_t tick, bool force = false) {
        ui.clock = tick;
        const int before = ui.repaints;
        request_repaint(*editor, force);
        return ui.repaints > before;
    }

    std::vector<Pixel> image() const {
        const Pixel* p = editor->renderer.image.get();
        return {p, p + image_size * image_size};
    }

    bool called(const std::string& call) const {
        return std::find(ui.calls.begin(), ui.calls.end(), call) != ui.calls.end();
    }

    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
};

void expect_bars(const ScrollSettings& s, int maximum, int page) {
    EXPECT_EQ(s.minimum, 0);
    EXPECT_EQ(s.maximum, maximum);
    EXPECT_EQ(s.page, page);
    EXPECT_EQ(s.position, 0);
    EXPECT_FALSE(s.show_disabled);
}

TEST_F(View, FirstRepaintRequestIsCarriedOut) {
    EXPECT_TRUE(repaint_at(123456));
    EXPECT_EQ(ui.calls.back(), "repaint");
}

TEST_F(View, UnforcedRequestsAtMostOncePer50Ms) {
    EXPECT_TRUE(repaint_at(1000));
    EXPECT_FALSE(repaint_at(1000)); // the same tick
    EXPECT_FALSE(repaint_at(1030));
    EXPECT_FALSE(repaint_at(1049));
    EXPECT_TRUE(repaint_at(1050));
    EXPECT_FALSE(repaint_at(1080)); // the period runs from the last repaint carried out
    EXPECT_TRUE(repaint_at(1200));
    EXPECT_EQ(ui.repaints, 3);
}

TEST_F(View, ForcedRequestIsAlwaysCarriedOutAndRestartsThePeriod) {
    EXPECT_TRUE(repaint_at(1000));
    EXPECT_TRUE(repaint_at(1010, true));
    EXPECT_TRUE(repaint_at(1010, true));
    EXPECT_FALSE(repaint_at(1055));
    EXPECT_TRUE(repaint_at(1060));
}

TEST_F(View, ThrottleAcrossTheTickCountWrap) {
    const std::uint32_t top = 0xFFFFFFFFu;
    EXPECT_TRUE(repaint_at(top - 59));
    EXPECT_FALSE(repaint_at(top - 29));
    EXPECT_TRUE(repaint_at(top - 9)); // the period it starts ends at tick 40, past the wrap
    EXPECT_TRUE(repaint_at(40));
    EXPECT_FALSE(repaint_at(60));
    EXPECT_TRUE(repaint_at(90));
    // A period that ends just before the wrap drops nothing past it.
    EXPECT_TRUE(repaint_at(top - 100));
    EXPECT_TRUE(repaint_at(3));
}

TEST_F(View, RequestWithoutViewWindowStillStartsThePeriod) {
    ui.view_exists = false;
    EXPECT_FALSE(repaint_at(1000));
    ui.view_exists = true;
    EXPECT_FALSE(repaint_at(1020));
    EXPECT_TRUE(repaint_at(1050));
}

TEST_F(View, FourTimesWhileTwiceUnchecksTwiceAndResetsScrolling) {
    set_zoom_2x(*editor, true, false);
    expect_bars(ui.vertical, 1000, 500);
    expect_bars(ui.horizontal, 1000, 500);
    editor->view.scroll_h = 300;
    editor->view.scroll_v = 200;
    ui.calls.clear();

    set_zoom_4x(*editor, true, false);
    EXPECT_EQ(magnification(editor->view), 4);
    EXPECT_FALSE(editor->view.zoom_2x);
    EXPECT_EQ(editor->view.scroll_h, 0);
    EXPECT_EQ(editor->view.scroll_v, 0);
    EXPECT_EQ(ui.check_of(id::zoom_2x), 0);
    EXPECT_FALSE(called("check 1048 1")); // the box was ticked by the user
    expect_bars(ui.vertical, 1250, 250);
    expect_bars(ui.horizontal, 1250, 250);
    const auto vertical =
        std::find(ui.calls.begin(), ui.calls.end(), "vscroll 0..1250 page 250 pos 0");
    const auto horizontal =
        std::find(ui.calls.begin(), ui.calls.end(), "hscroll 0..1250 page 250 pos 0");
    EXPECT_LT(vertical, horizontal);
    EXPECT_NE(horizontal, ui.calls.end());
}

TEST_F(View, UncheckingTheActiveMagnificationReturnsToOnce) {
    set_zoom_2x(*editor, true, true);
    EXPECT_EQ(ui.check_of(id::zoom_2x), 1);
    editor->view.scroll_h = 501;
    set_zoom_2x(*editor, false, false);
    EXPECT_EQ(magnification(editor->view), 1);
    EXPECT_EQ(editor->view.scroll_h, 0);
    expect_bars(ui.vertical, 0, 500);
    expect_bars(ui.horizontal, 0, 500);

    set_zoom_4x(*editor, true, false);
    set_zoom_4x(*editor, false, false);
    expect_bars(ui.horizontal, 0, 250);
}

TEST_F(View, SwitchingTheInactiveMagnificationOffKeepsTheActiveOnesBars) {
    set_zoom_4x(*editor, true, false);
    set_zoom_2x(*editor, false, true);
    EXPECT_EQ(magnification(editor->view), 4);
    EXPECT_EQ(ui.check_of(id::zoom_4x), 1);
    expect_bars(ui.vertical, 1250, 250);
    expect_bars(ui.horizontal, 1250, 250);
}

TEST_F(View, MagnificationCopiesTheImageWithoutRecomputingIt) {
    editor->renderer.at(7, 9) = pixel_of(0x123456);
    ui.clock = 5000;
    set_zoom_2x(*editor, true, false);
    EXPECT_EQ(editor->renderer.at(7, 9), pixel_of(0x123456));
    EXPECT_EQ(ui.repaints, 1);
}

TEST_F(View, VisibilityTogglesRedrawEverything) {
    Track& t = editor->track;
    t.checkpoints[0] = Checkpoint{100, 100, 200, 100};
    t.checkpoint_count = 1;
    full_redraw(*editor);
    const std::vector<Pixel> with_checkpoint = image();

    ui.clock = 1000;
    show_checkpoints(*editor, false, false);
    EXPECT_FALSE(editor->view.show_checkpoints);
    EXPECT_NE(image(), with_checkpoint);
    EXPECT_FALSE(called("check 1032 0"));
    EXPECT_EQ(ui.calls.back(), "repaint");

    ui.clock = 2000;
    show_checkpoints(*editor, true, true);
    EXPECT_EQ(image(), with_checkpoint);
    EXPECT_EQ(ui.check_of(id::show_checkpoints), 1);

    // A stray pixel written over the image goes too: the whole image is recomputed.
    editor->renderer.at(300, 400) = pixel_of(0xABCDEF);
    show_ai_line(*editor, true, true);
    EXPECT_EQ(image(), with_checkpoint);
    EXPECT_EQ(ui.check_of(id::show_ai_line), 1);
    show_objects(*editor, false, true);
    EXPECT_FALSE(editor->view.show_objects);
    EXPECT_EQ(ui.check_of(id::show_objects), 0);
}

TEST(PaintGeometry, OnceCopiesTheClampedRectangleInPlace) {
    const PaintCopy copy = paint_geometry({10, 20, 30, 40}, 512, 512, 0, 0, 1);
    EXPECT_TRUE(copy.paint);
    EXPECT_EQ(copy.source, (Rect{10, 20, 30, 40}));
    EXPECT_EQ(copy.target, copy.source);
    // Scroll positions do not count at 1x.
    EXPECT_EQ(paint_geometry({-5, -7, 600, 700}, 495, 495, 300, 300, 1).source,
              (Rect{0, 0, 512, 512}));
    EXPECT_FALSE(paint_geometry({10, 10, 10, 20}, 512, 512, 0, 0, 1).paint);
    EXPECT_FALSE(paint_geometry({600, 0, 700, 10}, 512, 512, 0, 0, 2).paint);
    EXPECT_FALSE(paint_geometry({-20, -20, -5, -5}, 512, 512, 0, 0, 4).paint);
}

TEST(PaintGeometry, TwiceWidensToEvenAndHalves) {
    // Window pixel (100, 60) shows image pixel (50, 30).
    PaintCopy copy = paint_geometry({100, 60, 101, 61}, 512, 512, 0, 0, 2);
    EXPECT_EQ(copy.target, (Rect{100, 60, 102, 62}));
    EXPECT_EQ(copy.source, (Rect{50, 30, 51, 31}));
    copy = paint_geometry({101, 61, 102, 62}, 512, 512, 0, 0, 2);
    EXPECT_EQ(copy.target, (Rect{100, 60, 102, 62}));
    EXPECT_EQ(copy.source, (Rect{50, 30, 51, 31}));
    // -5 is clamped to 0 before widening.
    copy = paint_geometry({-5, 3, 7, 9}, 512, 512, 100, 0, 2);
    EXPECT_EQ(copy.target, (Rect{0, 2, 8, 10}));
    EXPECT_EQ(copy.source, (Rect{51, 1, 55, 5})); // 512 * 100 / 1000 = 51
}

TEST(PaintGeometry, TwiceAtTheLargestScrollPositionEndsAtTheImageEdge) {
    PaintCopy copy = paint_geometry({0, 0, 512, 512}, 512, 512, 501, 501, 2);
    EXPECT_EQ(copy.source, (Rect{256, 256, 512, 512}));
    EXPECT_EQ(copy.target, (Rect{0, 0, 512, 512}));
    // With the bars shown the client is 495 square: 265 + 247 columns, and the half
    // column left over past the edge is not copied.
    copy = paint_geometry({0, 0, 495, 495}, 495, 495, 501, 501, 2);
    EXPECT_EQ(copy.source, (Rect{265, 265, 512, 512}));
    EXPECT_EQ(copy.target, (Rect{0, 0, 494, 494}));
}

TEST(PaintGeometry, FourTimesWidensToMultiplesOfFour) {
    PaintCopy copy = paint_geometry({5, 5, 10, 10}, 512, 512, 0, 0, 4);
    EXPECT_EQ(copy.target, (Rect{4, 4, 12, 12}));
    EXPECT_EQ(copy.source, (Rect{1, 1, 3, 3}));
    // 1536 * 1001 / 4000 = 384 and 1553 * 500 / 4000 = 194, truncated.
    copy = paint_geometry({5, 5, 10, 10}, 512, 495, 1001, 500, 4);
    EXPECT_EQ(copy.target, (Rect{4, 4, 12, 12}));
    EXPECT_EQ(copy.source, (Rect{385, 195, 387, 197}));
    copy = paint_geometry({0, 0, 512, 512}, 512, 512, 1001, 1001, 4);
    EXPECT_EQ(copy.source, (Rect{384, 384, 512, 512}));
}

TEST(PaintGeometry, SourceStaysInsideTheImageAndKeepsWholeBlocks) {
    for (int m : {2, 4}) {
        for (int client : {400, 495, 511, 512}) {
            for (int scroll : {0, 1, 250, 501, 1001, 1250}) {
                const PaintCopy c =
                    paint_geometry({0, 0, 512, 512}, client, client, scroll, scroll, m);
                if (!c.paint) {
                    continue;
                }
                EXPECT_GE(c.source.left, 0);
                EXPECT_GE(c.source.top, 0);
                EXPECT_LE(c.source.right, image_size);
                EXPECT_LE(c.source.bottom, image_size);
                EXPECT_EQ(c.target.right - c.target.left, (c.source.right - c.source.left) * m);
                EXPECT_EQ(c.target.bottom - c.target.top, (c.source.bottom - c.source.top) * m);
            }
        }
    }
}

TEST_F(View, PaintViewUsesTheViewsStateAndNeedsTheImage) {
    set_zoom_2x(*editor, true, false);
    editor->view.scroll_h = 501;
    ui.client = {495, 495};
    const PaintCopy copy = paint_view(*editor, {0, 0, 2, 2});
    EXPECT_EQ(copy.source, (Rect{265, 0, 266, 1}));
    EXPECT_EQ(scroll_offset(495, 501, 2), 265);
    clean_up_editor(*editor);
    EXPECT_FALSE(paint_view(*editor, {0, 0, 2, 2}).paint);
}

} // namespace
} // namespace cs
