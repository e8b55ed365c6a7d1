#include "support/bit_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "support_testing.h"

namespace {

using namespace support_testing;

const bool table[3] = {true, false, true};

// Records the positions a find asks about, to prove it asks no more than it must.
class recording_mask : public bit_array {
public:
    explicit recording_mask(std::vector<bool> p_bits) : m_bits(std::move(p_bits)) {}
    bool get(t_size n) const override { return asked.push_back(n), n < m_bits.size() && m_bits[n]; }
    mutable std::vector<t_size> asked;

private:
    std::vector<bool> m_bits;
};

TEST(BitArray, SlotsAndTableLayoutAreTheHosts) {
    EXPECT_EQ(vtable_slot(&bit_array::get), 0);
    EXPECT_EQ(vtable_slot(&bit_array::find), 1);
    EXPECT_EQ(vtable_slot(&bit_array_true::find), 1);
    const bit_array_table_t<bool> mask(table, 3, true);
    EXPECT_EQ(field_at<const void*>(&mask, sizeof(void*)), table);
    EXPECT_EQ(field_at<t_uint32>(&mask, 2 * sizeof(void*)), 3u);
    EXPECT_EQ(field_at<char>(&mask, 2 * sizeof(void*) + 4), 1);
}

TEST(BitArray, TableGet) {
    const bit_array_table_t<bool> past_false(table, 3, false), past_true(table, 3, true);
    for (const auto& [position, after_false, after_true] :
         {std::tuple<t_size, bool, bool>{0, true, true}, {1, false, false}, {2, true, true}, {3, false, true},
          {100, false, true}, {0xFFFFFFFF, false, true}}) {
        EXPECT_EQ(past_false.get(position), after_false) << position;
        EXPECT_EQ(past_true.get(position), after_true) << position;
    }
    // A table filled byte by byte by other code: 2 and 0xFF are true, not undefined.
    const unsigned char bytes[3] = {2, 0, 0xFF};
    bool raw[3];
    std::memcpy(raw, bytes, sizeof raw);
    const bit_array_table_t<bool> mask(raw, 3);
    EXPECT_EQ(std::vector<bool>({mask.get(0), mask.get(1), mask.get(2)}), std::vector<bool>({true, false, true}));
}

TEST(BitArray, CommonFindOnTheTable) {
    const bit_array_table_t<bool> mask(table, 3, false);
    const struct { bool val; t_size start; t_int32 count; t_size expected; } cases[] = {
        {false, 0, 3, 1},     {true, 1, 2, 2},   {false, 2, 1, 3} /* none: 2 + 1 */, {true, 0, 0, 0},
        {false, 5000, 0, 5000} /* count 0 answers start, also far past the table */,
        {true, 2, -3, 2},     {false, 2, -1, 1} /* none: 2 - 1 */, {false, 2, -3, 1},  {true, 1, -1, 0},
        {false, 0, -1, 0xFFFFFFFF} /* wraps below 0 */,           {false, 3, 5, 3} /* the third field */,
    };
    for (const auto& c : cases)
        EXPECT_EQ(mask.find(c.val, c.start, c.count), c.expected) << c.val << " from " << c.start << " over " << c.count;
}

TEST(BitArray, CommonFindAsksEachPositionOnceInOrder) {
    const struct { bool val; t_size start; t_int32 count; t_size expected; std::vector<t_size> asked; } cases[] = {
        {true, 0, 5, 3, {0, 1, 2, 3}}, {true, 2, -3, 0xFFFFFFFF, {2, 1, 0}}, {false, 7, 0, 7, {}}};
    for (const auto& c : cases) {
        const recording_mask mask({false, false, false, true, false});
        EXPECT_EQ(mask.find(c.val, c.start, c.count), c.expected);
        EXPECT_EQ(mask.asked, c.asked);
    }
}

TEST(BitArray, AllTrueAgreesWithTheCommonFind) {
    const bit_array_true own;
    const bit_array& as_host = own;
    EXPECT_TRUE(own.get(0) && own.get(0xFFFFFFFF));
    EXPECT_EQ(as_host.find(true, 5, 10), 5u);
    EXPECT_EQ(as_host.find(false, 5, 10), 15u);
    EXPECT_EQ(as_host.find(false, 5, -3), 2u);
    const bool all[8] = {true, true, true, true, true, true, true, true};
    const bit_array_table_t<bool> common(all, 8, true);
    for (t_size start : {0u, 3u, 7u})
        for (t_int32 count : {-3, -1, 0, 1, 4})
            for (bool val : {false, true})
                EXPECT_EQ(as_host.find(val, start, count), common.find(val, start, count))
                    << val << " from " << start << " over " << count;
}

}  // namespace
