#include <gtest/gtest.h>

#include <memory>

#include "model/validation.h"

namespace cs {
namespace {

// A track without flaws at world size 128 (world scale 4): one pit on the pit line.
std::unique_ptr<Track> playable() {
    auto t = std::make_unique<Track>();
    reset_track(*t);
    t->world_size = 128;
    t->pits[0] = {100, 100, 0};
    t->pit_count = 1;
    t->checkpoint_count = 2;
    t->ai_line_count = 3;
    t->ai_pit_line[0] = {100, 100};
    t->ai_pit_line[1] = {300, 300};
    t->ai_pit_line_count = 2;
    return t;
}

TEST(Validation, NewTrackLacksEverythingButPitsToReach) {
    auto t = std::make_unique<Track>();
    reset_track(*t);
    const Flaws f = validate_track(*t);
    EXPECT_EQ(f.found, (std::array<bool, 6>{true, true, true, true, false, false}));
    EXPECT_EQ(validation_message(f),
              "Track has following flaws that should be fixed.\n\n"
              "\t* Players can't go to repair their cars. Add pits\n"
              "\t* Lap can't be completed. Create check points\n"
              "\t* AI drivers don't know how to drive here. Create AI driving line\n"
              "\t* AI drivers don't know how to go to the pits. Create AI pit driving line\n"
              "\nWould you like to save anyway?");
    EXPECT_FALSE(validate_track(*playable()).any());
}

TEST(Validation, ReachIsStrictlyWithinFifteenWorldUnits) {
    auto t = playable();
    t->ai_pit_line[0] = {160, 100}; // exactly 60 map units = 15 world units
    EXPECT_TRUE(validate_track(*t).has(Flaw::unreachable_pits));
    t->ai_pit_line[0] = {159.9f, 100};
    EXPECT_FALSE(validate_track(*t).any());
    // Pits without a pit line: flaws 4 and 5.
    t->ai_pit_line_count = 0;
    const Flaws f = validate_track(*t);
    EXPECT_TRUE(f.has(Flaw::no_ai_pit_line));
    EXPECT_TRUE(f.has(Flaw::unreachable_pits));
}

TEST(Validation, EveryPitMustBeReachable) {
    auto t = playable();
    t->pits[1] = {300, 250, 0}; // 50 from (300, 300): reachable
    t->pits[2] = {450, 450, 0}; // far from both points
    t->pit_count = 3;
    EXPECT_TRUE(validate_track(*t).has(Flaw::unreachable_pits));
    t->pit_count = 2;
    EXPECT_FALSE(validate_track(*t).any());
}

TEST(Validation, PitsTooCloseIsReportedOnce) {
    auto t = playable();
    t->pits[1] = {140, 100, 0}; // exactly 10 world units
    t->pit_count = 2;
    EXPECT_FALSE(validate_track(*t).has(Flaw::pits_too_close));
    t->pits[1] = {139.6f, 100, 0}; // 9.9 world units
    EXPECT_TRUE(validate_track(*t).has(Flaw::pits_too_close));
    t->pits[1] = {101, 100, 0};
    t->pits[2] = {102, 100, 0};
    t->pit_count = 3;
    const std::string message = validation_message(validate_track(*t));
    EXPECT_EQ(message.find("too close"), message.rfind("too close"));
    EXPECT_NE(message.find("too close"), std::string::npos);
}

TEST(Validation, WorldSizeZeroUsesAFiniteScale) {
    auto t = playable();
    t->world_size = 0; // scale 2: reach 30 map units
    t->ai_pit_line[0] = {129, 100};
    EXPECT_FALSE(validate_track(*t).any());
    t->ai_pit_line[0] = {131, 100};
    EXPECT_TRUE(validate_track(*t).has(Flaw::unreachable_pits));
}

TEST(Validation, LongestMessage) {
    Flaws all;
    all.found.fill(true);
    const std::string message = validation_message(all);
    EXPECT_EQ(message.size(), 446u);
    EXPECT_EQ(flaw_line(Flaw::unreachable_pits),
              "\t* AI drivers can't find they way to some pits. Move pits closer to AI pit driving "
              "line.\n");
}

} // namespace
} // namespace cs
