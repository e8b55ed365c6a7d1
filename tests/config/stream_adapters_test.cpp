#include "config/stream_adapters.h"

#include "config_testing.h"
#include "platform/heap.h"

using namespace config_testing;

TEST(LimitedReader, ReadObjectPastItsEndConsumesWhatIsThereThenThrows) {
    no_abort abort;
    memory_reader host(bytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
    foobar2000_io::stream_reader_limited_ref limited(&host, 4);
    unsigned char out[8] = {};
    EXPECT_THROW(limited.read_object(out, 8, abort), foobar2000_io::exception_io_data_truncation);
    EXPECT_EQ(limited.get_remaining(), 0u);
    EXPECT_EQ(host.position(), 4u) << "the bytes of the next record stay in the host's stream";
    EXPECT_EQ(out[3], 4);
    ASSERT_EQ(host.reads.size(), 1u);
    EXPECT_EQ(host.reads[0].asked, 4u) << "the request is clipped to the record";
}

TEST(LimitedReader, AnExhaustedRecordStillAsksTheHostForZeroBytes) {
    no_abort abort;
    memory_reader host(bytes{1, 2});
    foobar2000_io::stream_reader_limited_ref limited(&host, 0);
    unsigned char out[4];
    EXPECT_EQ(limited.read(out, 4, abort), 0u);
    ASSERT_EQ(host.reads.size(), 1u);
    EXPECT_EQ(host.reads[0].asked, 0u);
    EXPECT_EQ(host.position(), 0u);
}

TEST(LimitedReader, HostStreamEndingEarlyLeavesTheRemainderCounted) {
    no_abort abort;
    memory_reader host(bytes{1, 2, 3});
    foobar2000_io::stream_reader_limited_ref limited(&host, 10);
    unsigned char out[10];
    EXPECT_EQ(limited.read(out, 10, abort), 3u);
    EXPECT_EQ(limited.get_remaining(), 7u);
    EXPECT_THROW(limited.skip_object(7, abort), foobar2000_io::exception_io_data_truncation);
}

namespace {

using payload_buffer = pfc::array_t<unsigned char, pfc::alloc_fast_aggressive>;

// An array that claims to be nearly full, to reach the 32-bit limit without
// allocating 4 GB.
struct nearly_full_array {
    t_size get_size() const { return pfc::infinite_size - 2; }
    void set_size(t_size) { ADD_FAILURE() << "resized past the limit"; }
    unsigned char* get_ptr() { return nullptr; }
};

}  // namespace

TEST(AppendWriter, AppendsEveryWriteAndGrowsByDoubling) {
    no_abort abort;
    payload_buffer buffer;
    foobar2000_io::stream_writer_buffer_append_ref_t<payload_buffer> writer(buffer);
    const unsigned char first[3] = {1, 2, 3};
    const unsigned char second[2] = {4, 5};
    writer.write(first, 3, abort);
    EXPECT_EQ(buffer.get_capacity(), 4u);
    writer.write(second, 2, abort);
    EXPECT_EQ(buffer.get_capacity(), 8u);
    writer.write(nullptr, 0, abort);
    ASSERT_EQ(buffer.get_size(), 5u);
    EXPECT_EQ(bytes(buffer.get_ptr(), buffer.get_ptr() + 5), (bytes{1, 2, 3, 4, 5}));
}

TEST(AppendWriter, APayloadBeyond32BitsIsOutOfMemory) {
    no_abort abort;
    nearly_full_array array;
    foobar2000_io::stream_writer_buffer_append_ref_t<nearly_full_array> writer(array);
    const unsigned char some[3] = {};
    try {
        writer.write(some, 3, abort);
        FAIL() << "no error";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
}

TEST(AppendWriter, OutOfMemoryKeepsWhatWasWritten) {
    no_abort abort;
    payload_buffer buffer;
    foobar2000_io::stream_writer_buffer_append_ref_t<payload_buffer> writer(buffer);
    const unsigned char data[4] = {9, 8, 7, 6};
    writer.write(data, 4, abort);
    platform::heap_fail_at(1);
    EXPECT_THROW(writer.write(data, 4, abort), std::bad_alloc);
    platform::heap_disarm();
    ASSERT_EQ(buffer.get_size(), 4u);
    EXPECT_EQ(buffer[3], 6);
}
