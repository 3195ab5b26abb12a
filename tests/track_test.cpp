#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>

#include "model/track.h"

namespace cs {
namespace {

std::unique_ptr<Track> new_track() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    return track;
}

TEST(Track, ResetGivesTheDefaultTrack) {
    auto t = new_track();
    EXPECT_EQ(t->object_count, 6);
    for (int i = 0; i <= 6; ++i) {
        EXPECT_EQ(t->objects[i].kind, start);
        EXPECT_EQ(t->objects[i].x, 20.0f);
        EXPECT_EQ(t->objects[i].y, 10.0f + 20.0f * i);
        EXPECT_EQ(t->objects[i].angle, 0.0f);
    }
    EXPECT_EQ(t->pit_count + t->checkpoint_count + t->ai_line_count + t->ai_pit_line_count, 0);
    EXPECT_EQ(t->world_size, 120);
    EXPECT_EQ(t->water_level, 50);
    EXPECT_EQ(t->view_angle, 60);
    EXPECT_EQ(t->rotation, 0);
    EXPECT_EQ(t->zoom, 105);
    EXPECT_EQ(t->sf_line, 1);
    EXPECT_EQ(t->world_scale, 4.2666669f);
    for (auto cell : t->land) {
        ASSERT_EQ(cell, grass);
    }
    for (auto h : t->heights) {
        ASSERT_EQ(h, 32896);
    }
    EXPECT_TRUE(text_of(t->author).empty());
    EXPECT_TRUE(text_of(t->comments).empty());
}

TEST(Track, ObjectKindListIsAPermutationOfTheKinds) {
    std::set<int> kinds;
    for (const auto& entry : object_kind_list) {
        kinds.insert(entry.kind);
    }
    EXPECT_EQ(kinds.size(), 25u);
    EXPECT_EQ(*kinds.begin(), 0);
    EXPECT_EQ(*kinds.rbegin(), 24);
    EXPECT_EQ(object_kind_list[0].name, "Start");
    EXPECT_EQ(object_kind_list[4].name, "Fence");
    EXPECT_EQ(object_kind_list[4].kind, 23);
    EXPECT_EQ(object_kind_list[24].name, "Flat bridge");
    EXPECT_EQ(object_kind_position(23), 4);
    EXPECT_EQ(object_kind_position(pit_kind), -1);
}

TEST(Track, WorldScale) {
    EXPECT_EQ(world_scale_for(128), 4.0f);
    EXPECT_EQ(world_scale_for(120), 512.0f / 120.0f);
    // A world size of 0 counts as 256, so the scale stays finite.
    EXPECT_EQ(world_scale_for(0), 2.0f);
}

TEST(Track, TrackLengthOfClosedLine) {
    auto t = new_track();
    t->world_size = 128;
    EXPECT_EQ(compute_track_length(*t), 0);
    t->ai_line[0] = {0, 0};
    t->ai_line_count = 1;
    EXPECT_EQ(compute_track_length(*t), 0);
    // Two points 10 map units apart at world scale 4: 2.5 there and 2.5 back.
    t->ai_line[1] = {10, 0};
    t->ai_line_count = 2;
    EXPECT_EQ(compute_track_length(*t), 5);
    // A 30-40-50 triangle: 120 map units = 30 world units.
    t->ai_line[1] = {30, 0};
    t->ai_line[2] = {30, 40};
    t->ai_line_count = 3;
    EXPECT_EQ(compute_track_length(*t), 30);
    // Truncation toward zero: 119 map units -> 29.75 -> 29.
    t->ai_line[2] = {30, 39.4f};
    EXPECT_LT(compute_track_length(*t), 30);
    t->world_size = 0; // scale 2
    t->ai_line[2] = {30, 40};
    EXPECT_EQ(compute_track_length(*t), 60);
}

TEST(Track, TruncationNeverOverflows) {
    EXPECT_EQ(truncate_to_int(-2.7f), -2);
    EXPECT_EQ(truncate_to_int(2.7f), 2);
    EXPECT_EQ(truncate_to_int(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(truncate_to_int(std::numeric_limits<float>::infinity()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(truncate_to_int(-1e30), std::numeric_limits<std::int32_t>::min());
}

} // namespace
} // namespace cs
