#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "model/little_endian.h"

namespace cs {
namespace {

// Every byte different, the top bit set in most, so that a swapped order, a wrong offset or
// a byte read through a signed int shows.
constexpr std::array<std::uint8_t, 7> bytes = {0x01, 0xF2, 0x83, 0xA4, 0xC5, 0x06, 0xF7};

TEST(LittleEndian, LowByteFirstFromTheOffset) {
    EXPECT_EQ(le::u16(bytes, 0), 0xF201);
    EXPECT_EQ(le::u16(bytes, 5), 0xF706);
    EXPECT_EQ(le::u24(bytes, 1), 0xA483F2u);
    EXPECT_EQ(le::u32(bytes, 0), 0xA483F201u);
    EXPECT_EQ(le::u32(bytes, 3), 0xF706C5A4u);
    static_assert(le::u32(bytes, 2) == 0x06C5A483u, "usable in constant expressions");
}

TEST(LittleEndian, OnlyS16IsSigned) {
    constexpr std::array<std::uint8_t, 4> extremes = {0xFF, 0xFF, 0x00, 0x80};
    EXPECT_EQ(le::s16(extremes, 0), -1);
    EXPECT_EQ(le::s16(extremes, 2), -32768);
    EXPECT_EQ(le::s16(bytes, 4), 0x06C5);
    EXPECT_EQ(le::u16(extremes, 0), 0xFFFF);
    EXPECT_EQ(le::u24(std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF}, 0), 0xFFFFFFu);
    EXPECT_EQ(le::u32(std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}, 0), 0xFFFFFFFFu);
}

} // namespace
} // namespace cs
