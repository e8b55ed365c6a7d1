#include "support/bit_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support_testing.h"

namespace {

using support_testing::vtable_slot;

// Counts the positions a find asks about, to prove it asks no more than it must.
class recording_mask : public bit_array {
public:
    explicit recording_mask(std::vector<bool> p_bits) : m_bits(std::move(p_bits)) {}
    bool get(t_size n) const override {
        asked.push_back(n);
        return n < m_bits.size() && m_bits[n];
    }
    mutable std::vector<t_size> asked;

private:
    std::vector<bool> m_bits;
};

TEST(BitArray, SlotsAreInTheHostsOrder) {
    EXPECT_EQ(vtable_slot(&bit_array::get), 0);
    EXPECT_EQ(vtable_slot(&bit_array::find), 1);
    EXPECT_EQ(vtable_slot(&bit_array_true::find), 1);
}

TEST(BitArray, TableLayoutIsTheHosts) {
    const bool table[3] = {true, false, true};
    const bit_array_table_t<bool> mask(table, 3, true);
    const char* base = reinterpret_cast<const char*>(&mask);
    const void* pointer;
    std::memcpy(&pointer, base + sizeof(void*), sizeof pointer);
    t_uint32 count;
    std::memcpy(&count, base + 2 * sizeof(void*), sizeof count);
    EXPECT_EQ(pointer, table);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(base[2 * sizeof(void*) + 4], 1);
}

TEST(BitArray, TableGet) {
    const bool table[3] = {true, false, true};
    const struct {
        t_size position;
        bool after_false;
        bool after_true;
    } cases[] = {{0, true, true}, {1, false, false}, {2, true, true}, {3, false, true}, {100, false, true},
                 {0xFFFFFFFF, false, true}};
    const bit_array_table_t<bool> past_false(table, 3, false);
    const bit_array_table_t<bool> past_true(table, 3, true);
    for (const auto& c : cases) {
        EXPECT_EQ(past_false.get(c.position), c.after_false) << c.position;
        EXPECT_EQ(past_true.get(c.position), c.after_true) << c.position;
    }
}

TEST(BitArray, TableReadsAnyNonzeroByteAsTrue) {
    // A table filled byte by byte by other code: 2 and 0xFF are true, not undefined.
    const unsigned char bytes[3] = {2, 0, 0xFF};
    bool table[3];
    std::memcpy(table, bytes, sizeof table);
    const bit_array_table_t<bool> mask(table, 3);
    EXPECT_TRUE(mask.get(0));
    EXPECT_FALSE(mask.get(1));
    EXPECT_TRUE(mask.get(2));
}

TEST(BitArray, CommonFindOnTheTable) {
    const bool table[3] = {true, false, true};
    const bit_array_table_t<bool> mask(table, 3, false);
    const struct {
        bool val;
        t_size start;
        t_int32 count;
        t_size expected;
    } cases[] = {
        {false, 0, 3, 1},            // first false
        {true, 1, 2, 2},             //
        {false, 2, 1, 3},            // none: 2 + 1
        {true, 0, 0, 0},             // count 0 answers start
        {false, 5000, 0, 5000},      // also far past the table
        {true, 2, -3, 2},            // backwards, found at once
        {false, 2, -1, 1},           // none: 2 - 1
        {false, 2, -3, 1},           //
        {true, 1, -1, 0},            // none backwards: 1 - 1
        {false, 0, -1, 0xFFFFFFFF},  // none, wrapping below 0
        {false, 3, 5, 3},            // past the table: the third field
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mask.find(c.val, c.start, c.count), c.expected)
            << c.val << " from " << c.start << " over " << c.count;
    }
}

TEST(BitArray, CommonFindAsksEachPositionOnceInOrder) {
    const recording_mask mask({false, false, false, true, false});
    EXPECT_EQ(mask.find(true, 0, 5), 3u);
    EXPECT_EQ(mask.asked, (std::vector<t_size>{0, 1, 2, 3}));

    mask.asked.clear();
    EXPECT_EQ(mask.find(true, 2, -3), 0xFFFFFFFFu);
    EXPECT_EQ(mask.asked, (std::vector<t_size>{2, 1, 0}));

    mask.asked.clear();
    EXPECT_EQ(mask.find(false, 7, 0), 7u);
    EXPECT_TRUE(mask.asked.empty());
}

TEST(BitArray, AllTrue) {
    const bit_array_true mask;
    EXPECT_TRUE(mask.get(0));
    EXPECT_TRUE(mask.get(0xFFFFFFFF));
    EXPECT_EQ(mask.find(true, 5, 10), 5u);
    EXPECT_EQ(mask.find(false, 5, 10), 15u);
    EXPECT_EQ(mask.find(false, 5, -3), 2u);
    // Through the interface, as the host reads it.
    const bit_array& as_host = mask;
    EXPECT_EQ(as_host.find(false, 0, 4), 4u);
}

TEST(BitArray, AllTrueFindAgreesWithTheCommonOne) {
    const bool all[8] = {true, true, true, true, true, true, true, true};
    const bit_array_table_t<bool> common(all, 8, true);
    const bit_array_true own;
    for (t_size start : {0u, 3u, 7u})
        for (t_int32 count : {-3, -1, 0, 1, 4})
            for (bool val : {false, true})
                EXPECT_EQ(own.find(val, start, count), common.find(val, start, count))
                    << val << " from " << start << " over " << count;
}

}  // namespace
