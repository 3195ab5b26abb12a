#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

TEST(Validation, FullTextOfAllSixFlaws) {
    Flaws all;
    all.found.fill(true);
    const std::string expected =
        "Track has following flaws that should be fixed.\n\n"
        "\t* Players can't go to repair their cars. Add pits\n"
        "\t* Lap can't be completed. Create check points\n"
        "\t* AI drivers don't know how to drive here. Create AI driving line\n"
        "\t* AI drivers don't know how to go to the pits. Create AI pit driving line\n"
        "\t* AI drivers can't find they way to some pits. Move pits closer to AI pit driving "
        "line.\n"
        "\t* Pits are too close to each other.\n"
        "\nWould you like to save anyway?";
    EXPECT_EQ(expected.size(), 446u);
    EXPECT_EQ(validation_message(all), expected);
    EXPECT_TRUE(all.any());
    EXPECT_FALSE(Flaws{}.any());
}

TEST(Validation, FlawsTwoToSixOnOneTrack) {
    // Two pits 1 map unit apart, one checkpoint, a 2-point AI line, no AI pit line.
    auto t = playable();
    t->pits[1] = {101, 100, 0};
    t->pit_count = 2;
    t->checkpoint_count = 1;
    t->ai_line_count = 2;
    t->ai_pit_line_count = 1;
    const Flaws f = validate_track(*t);
    EXPECT_EQ(f.found, (std::array<bool, 6>{false, true, true, true, false, true}));
    t->ai_pit_line_count = 0;
    EXPECT_EQ(validate_track(*t).found, (std::array<bool, 6>{false, true, true, true, true, true}));
    EXPECT_EQ(validation_message(validate_track(*t)),
              "Track has following flaws that should be fixed.\n\n"
              "\t* Lap can't be completed. Create check points\n"
              "\t* AI drivers don't know how to drive here. Create AI driving line\n"
              "\t* AI drivers don't know how to go to the pits. Create AI pit driving line\n"
              "\t* AI drivers can't find they way to some pits. Move pits closer to AI pit "
              "driving line.\n"
              "\t* Pits are too close to each other.\n"
              "\nWould you like to save anyway?");
}

TEST(Validation, EachCountCheckHasItsOwnBoundary) {
    auto t = playable();
    t->checkpoint_count = 1;
    EXPECT_EQ(validate_track(*t).found,
              (std::array<bool, 6>{false, true, false, false, false, false}));
    t->checkpoint_count = 2;
    t->ai_line_count = 2;
    EXPECT_EQ(validate_track(*t).found,
              (std::array<bool, 6>{false, false, true, false, false, false}));
    t->ai_line_count = 3;
    t->ai_pit_line_count = 1; // the one point left still reaches the pit
    EXPECT_EQ(validate_track(*t).found,
              (std::array<bool, 6>{false, false, false, true, false, false}));
}

TEST(Validation, WorldSize128ThresholdsInBothDirections) {
    // Reach: 60 map units, here along a 36-48-60 diagonal.
    auto t = playable();
    t->ai_pit_line[0] = {136, 148};
    EXPECT_TRUE(validate_track(*t).has(Flaw::unreachable_pits));
    t->ai_pit_line[0] = {136, 147.9f};
    EXPECT_FALSE(validate_track(*t).has(Flaw::unreachable_pits));
    // Spacing: 40 map units, here vertically.
    t->ai_pit_line[0] = {100, 120};
    t->pits[1] = {100, 140, 0};
    t->pit_count = 2;
    EXPECT_FALSE(validate_track(*t).any());
    t->pits[1] = {100, 139.99f, 0};
    EXPECT_EQ(validate_track(*t).found,
              (std::array<bool, 6>{false, false, false, false, false, true}));
}

TEST(Validation, TheStoredScaleIsNotUsed) {
    // The thresholds come from the world size; a stale or infinite stored scale changes
    // nothing.
    auto t = playable();
    t->ai_pit_line[0] = {159.9f, 100};
    for (float stale : {0.0f, 1.0f, 100.0f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        t->world_scale = stale;
        EXPECT_FALSE(validate_track(*t).any()) << stale;
    }
    t->ai_pit_line[0] = {160, 100};
    t->world_scale = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(validate_track(*t).has(Flaw::unreachable_pits));
}

TEST(Validation, DefaultWorldSizeThresholds) {
    // World size 120: scale 512/120, reach 15 units = 64 map units, spacing 10 = 42.67.
    auto t = playable();
    t->world_size = 120;
    t->ai_pit_line[0] = {163.9f, 100};
    EXPECT_FALSE(validate_track(*t).any());
    t->ai_pit_line[0] = {164.1f, 100};
    EXPECT_TRUE(validate_track(*t).has(Flaw::unreachable_pits));
    t->ai_pit_line[0] = {100, 100};
    t->pits[1] = {100, 142.7f, 0};
    t->ai_pit_line[1] = {100, 142.7f};
    t->pit_count = 2;
    EXPECT_FALSE(validate_track(*t).any());
    t->pits[1] = {100, 142.6f, 0};
    t->ai_pit_line[1] = {100, 142.6f};
    EXPECT_TRUE(validate_track(*t).has(Flaw::pits_too_close));
}

TEST(Validation, ACountBeyondSixPitsReadsNoFurther) {
    // The reader refuses such a track; validation of a damaged record still stays inside
    // the pit array (the six pits and the placement slot) and judges six pits.
    auto t = playable();
    for (int p = 0; p <= max_pits; ++p) {
        t->pits[p] = {static_cast<float>(20 + 60 * p), 400, 0};
    }
    t->pit_count = 200;
    const Flaws f = validate_track(*t);
    EXPECT_FALSE(f.has(Flaw::no_pits));
    EXPECT_TRUE(f.has(Flaw::unreachable_pits));
    EXPECT_FALSE(f.has(Flaw::pits_too_close));
}

} // namespace
} // namespace cs
