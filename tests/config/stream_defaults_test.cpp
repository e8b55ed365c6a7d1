#include "config_testing.h"

using namespace config_testing;

namespace {

bytes filled(std::size_t p_count) {
    bytes data(p_count);
    for (std::size_t i = 0; i < p_count; ++i) data[i] = static_cast<unsigned char>(i * 7);
    return data;
}

}  // namespace

TEST(StreamReaderReadObject, DeliversExactlyWhatWasAskedInOneRead) {
    no_abort abort;
    memory_reader reader(filled(10));
    unsigned char out[6] = {};
    reader.read_object(out, 6, abort);
    EXPECT_EQ(out[5], 35);
    ASSERT_EQ(reader.reads.size(), 1u);
}

TEST(StreamReaderReadObject, ShortDataIsTruncationAfterOneReadWithoutRetry) {
    no_abort abort;
    memory_reader reader(filled(3));
    unsigned char out[8];
    try {
        reader.read_object(out, 8, abort);
        FAIL() << "no error";
    } catch (const foobar2000_io::exception_io_data_truncation& e) {
        EXPECT_STREQ(e.what(), "Unsupported format or corrupted file");
    }
    ASSERT_EQ(reader.reads.size(), 1u);
    EXPECT_EQ(reader.reads[0].got, 3u);
}

// The chunks a skip asks for, and what it answers, by how much data is left.
struct skip_case {
    t_uint64 asked;
    std::size_t available;
    std::vector<t_size> chunks;
    t_uint64 answered;
};

class StreamReaderSkip : public ::testing::TestWithParam<skip_case> {};

TEST_P(StreamReaderSkip, ReadsIn256ByteChunksUntilShortOrDone) {
    const skip_case& c = GetParam();
    no_abort abort;
    memory_reader reader(filled(c.available));
    EXPECT_EQ(reader.skip(c.asked, abort), c.answered);
    std::vector<t_size> asked;
    for (const auto& call : reader.reads) asked.push_back(call.asked);
    EXPECT_EQ(asked, c.chunks);
    EXPECT_EQ(reader.position(), c.answered);
}

INSTANTIATE_TEST_SUITE_P(Table, StreamReaderSkip,
                         ::testing::Values(skip_case{600, 600, {256, 256, 88}, 600},
                                           skip_case{600, 300, {256, 256}, 300},  // second chunk gives 44
                                           skip_case{0, 50, {}, 0},               // nothing is read at all
                                           skip_case{256, 256, {256}, 256},
                                           skip_case{257, 1000, {256, 1}, 257},
                                           skip_case{10, 0, {10}, 0}));

TEST(StreamReaderSkipObject, ExactSkipPassesAndShortOneIsTruncation) {
    no_abort abort;
    memory_reader enough(filled(600));
    enough.skip_object(600, abort);
    EXPECT_EQ(enough.position(), 600u);

    memory_reader short_of_data(filled(300));
    EXPECT_THROW(short_of_data.skip_object(600, abort), foobar2000_io::exception_io_data_truncation);
    EXPECT_EQ(short_of_data.position(), 300u);
}
