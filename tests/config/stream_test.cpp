// The default operations of the host's reader, the two small streams of the
// configuration store, and the walk over a stream held in memory.

#include "config/record_codec.h"
#include "config/stream_adapters.h"
#include "config_testing.h"
#include "platform/heap.h"
#include "tests/allocation_failure.h"

using namespace config_testing;

namespace {

bytes filled(std::size_t p_count) {
    bytes data(p_count);
    for (std::size_t i = 0; i < p_count; ++i) data[i] = static_cast<unsigned char>(i * 7);
    return data;
}

std::vector<t_size> asked(const memory_reader& p_reader) {
    std::vector<t_size> out;
    for (const auto& call : p_reader.reads) out.push_back(call.first);
    return out;
}

// The chunks a skip asks for, and what it answers, by how much data is left.
struct skip_case {
    t_uint64 asked;
    std::size_t available;
    std::vector<t_size> chunks;
    t_uint64 answered;
};

class StreamReaderSkip : public ::testing::TestWithParam<skip_case> {};

using payload_buffer = pfc::array_t<unsigned char, pfc::alloc_fast_aggressive>;
using append_writer = foobar2000_io::stream_writer_buffer_append_ref_t<payload_buffer>;

// An array that claims to be nearly full, to reach the 32-bit limit without
// allocating 4 GB.
struct nearly_full_array {
    t_size get_size() const { return pfc::infinite_size - 2; }
    void set_size(t_size) { ADD_FAILURE() << "resized past the limit"; }
    unsigned char* get_ptr() { return nullptr; }
};

}  // namespace

TEST(StreamReader, ReadObjectAndSkipObjectAreExactOrTruncation) {
    no_abort abort;
    memory_reader reader(filled(10));
    unsigned char out[8] = {};
    reader.read_object(out, 6, abort);
    EXPECT_EQ(out[5], 35);
    EXPECT_EQ(message_of<foobar2000_io::exception_io_data_truncation>([&] { reader.read_object(out, 8, abort); }),
              "Unsupported format or corrupted file");
    ASSERT_EQ(reader.reads.size(), 2u) << "no retry";
    EXPECT_EQ(reader.reads[1].second, 4u);
    reader.skip_object(0, abort);
    EXPECT_THROW(reader.skip_object(7, abort), foobar2000_io::exception_io_data_truncation);
    EXPECT_EQ(reader.position, 10u);
    memory_reader exact(filled(600));
    exact.skip_object(600, abort);
    EXPECT_EQ(exact.position, 600u);
}

TEST_P(StreamReaderSkip, ReadsIn256ByteChunksUntilShortOrDone) {
    const skip_case& c = GetParam();
    no_abort abort;
    memory_reader reader(filled(c.available));
    EXPECT_EQ(reader.skip(c.asked, abort), c.answered);
    EXPECT_EQ(asked(reader), c.chunks);
    EXPECT_EQ(reader.position, c.answered);
}

INSTANTIATE_TEST_SUITE_P(Table, StreamReaderSkip,
                         ::testing::Values(skip_case{600, 600, {256, 256, 88}, 600},
                                           skip_case{600, 300, {256, 256}, 300},  // second chunk gives 44
                                           skip_case{0, 50, {}, 0},               // nothing is read at all
                                           skip_case{256, 256, {256}, 256},
                                           skip_case{257, 1000, {256, 1}, 257},
                                           skip_case{10, 0, {10}, 0}),
                         [](const auto& p_info) {
                             return "available_" + std::to_string(p_info.param.available) + "_asked_" +
                                    std::to_string(p_info.param.asked);
                         });

TEST(LimitedReader, ReadObjectPastItsEndConsumesWhatIsThereThenThrows) {
    no_abort abort;
    memory_reader host(bytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
    foobar2000_io::stream_reader_limited_ref limited(&host, 4);
    unsigned char out[8] = {};
    EXPECT_THROW(limited.read_object(out, 8, abort), foobar2000_io::exception_io_data_truncation);
    EXPECT_EQ(limited.get_remaining(), 0u);
    EXPECT_EQ(host.position, 4u) << "the bytes of the next record stay in the host's stream";
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(asked(host), std::vector<t_size>{4}) << "the request is clipped to the record";
    // Exhausted, it still asks the host, for zero bytes.
    EXPECT_EQ(limited.read(out, 4, abort), 0u);
    EXPECT_EQ(asked(host), (std::vector<t_size>{4, 0}));
    EXPECT_EQ(host.position, 4u);
    // A host stream ending early leaves the remainder counted.
    foobar2000_io::stream_reader_limited_ref longer(&host, 10);
    EXPECT_EQ(longer.read(out, 8, abort), 5u);
    EXPECT_EQ(longer.get_remaining(), 5u);
    EXPECT_THROW(longer.skip_object(5, abort), foobar2000_io::exception_io_data_truncation);
}

TEST(AppendWriter, AppendsEveryWriteGrowsByDoublingAndKeepsItAtOutOfMemory) {
    no_abort abort;
    payload_buffer buffer;
    append_writer writer(buffer);
    const unsigned char data[4] = {1, 2, 3, 4};
    writer.write(data, 3, abort);
    EXPECT_EQ(buffer.get_capacity(), 4u);
    writer.write(data, 2, abort);
    EXPECT_EQ(buffer.get_capacity(), 8u);
    writer.write(nullptr, 0, abort);
    EXPECT_EQ(bytes(buffer.get_ptr(), buffer.get_ptr() + buffer.get_size()), (bytes{1, 2, 3, 1, 2}));
    {
        const allocation_failure out_of_memory(1);
        EXPECT_THROW(writer.write(data, 4, abort), std::bad_alloc);
    }
    EXPECT_EQ(bytes(buffer.get_ptr(), buffer.get_ptr() + buffer.get_size()), (bytes{1, 2, 3, 1, 2}));
}

TEST(AppendWriter, APayloadBeyond32BitsIsOutOfMemory) {
    no_abort abort;
    nearly_full_array array;
    foobar2000_io::stream_writer_buffer_append_ref_t<nearly_full_array> writer(array);
    const unsigned char some[3] = {};
    EXPECT_EQ(message_of<std::bad_alloc>([&] { writer.write(some, 3, abort); }), "bad allocation");
}

// Whole records in order, and where the last of them ends; a record cut
// anywhere, or claiming more than the data holds, ends the walk.
TEST(RecordReader, StopsBeforeTheFirstRecordCutShort) {
    const bytes whole = record(guid_probe_first, bytes{1, 2, 3}) + record(guid_probe_last, {});
    const struct {
        const char* name;
        bytes data;
        std::size_t position;
    } cases[] = {
        {"whole", whole, 43},
        {"cut_in_a_guid", whole + bytes(10, 0), 43},
        {"cut_in_a_length", whole + guid_bytes(guid_nobody) + bytes{1, 0}, 43},
        {"cut_in_a_payload", whole + record(guid_nobody, bytes(5, 9), 6), 43},
        {"claiming_the_most_a_length_holds", whole + record(guid_nobody, bytes(30, 9), 0xFFFFFFFF), 43},
        {"empty", {}, 0},
    };
    for (const auto& c : cases) {
        cfg_codec::record_reader reader(c.data);
        std::vector<std::pair<GUID, bytes>> found;
        for (cfg_codec::record r{}; reader.next(r);) found.emplace_back(r.guid, bytes(r.payload.begin(), r.payload.end()));
        EXPECT_EQ(reader.position(), c.position) << c.name;
        ASSERT_EQ(found.size(), c.data.empty() ? 0u : 2u) << c.name;
        if (found.empty()) continue;
        EXPECT_TRUE(found[0].first == guid_probe_first && found[1].first == guid_probe_last) << c.name;
        EXPECT_EQ(found[0].second, (bytes{1, 2, 3})) << c.name;
        EXPECT_TRUE(found[1].second.empty()) << c.name;
    }
}
