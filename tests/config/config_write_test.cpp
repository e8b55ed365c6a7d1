#include "config_testing.h"
#include "platform/heap.h"

using namespace config_testing;

namespace {

class ConfigWrite : public ::testing::Test {
protected:
    void SetUp() override { reset_variables(); }
    void TearDown() override {
        platform::heap_disarm();
        reset_variables();
    }

    no_abort abort;
    recording_writer writer;
};

}  // namespace

TEST_F(ConfigWrite, OneRecordPerVariableInListOrderWithPayloadInOnePiece) {
    g_probe_first.payload = {0xAB, 0xCD, 0xEF};
    g_probe_last.payload = {0x01};
    cfgMainWindowPosition.m_coords = {100, 50};
    cfgMainWindowSize.m_coords = {-1, 5};
    cfg_var::config_write_file(&writer, abort);

    const std::vector<bytes> expected = {
        guid_bytes(guid_probe_last), le32(1), {0x01},
        guid_bytes(guid_cfgMainWindowPosition), le32(8), pair_payload(100, 50),
        guid_bytes(guid_cfgMainWindowSize), le32(8), pair_payload(-1, 5),
        guid_bytes(guid_probe_first), le32(3), {0xAB, 0xCD, 0xEF},
    };
    EXPECT_EQ(writer.calls, expected);
}

TEST_F(ConfigWrite, AnEmptyPayloadGivesTwentyBytesInTwoCalls) {
    cfg_var::config_write_file(&writer, abort);
    ASSERT_EQ(writer.calls.size(), 2u + 3u + 3u + 2u);
    EXPECT_EQ(writer.calls[0], guid_bytes(guid_probe_last));
    EXPECT_EQ(writer.calls[1], le32(0));
    EXPECT_EQ(writer.calls[2], guid_bytes(guid_cfgMainWindowPosition)) << "no third call for the empty record";
    EXPECT_EQ(writer.calls[8], guid_bytes(guid_probe_first));
    EXPECT_EQ(writer.calls[9], le32(0));
}

TEST_F(ConfigWrite, WritingChangesNoValue) {
    cfgMainWindowSize.m_coords = {7, 9};
    cfg_var::config_write_file(&writer, abort);
    cfg_var::config_write_file(&writer, abort);
    EXPECT_EQ(cfgMainWindowSize.m_coords.x, 7);
    EXPECT_EQ(cfgMainWindowSize.m_coords.y, 9);
}

TEST_F(ConfigWrite, RoundTripRestoresEveryVariable) {
    g_probe_first.payload = bytes(1000, 0x5A);
    cfgMainWindowPosition.m_coords = {-300, 2147483647};
    cfgMainWindowSize.m_coords = {400, 300};
    cfg_var::config_write_file(&writer, abort);
    const bytes saved = writer.joined();
    EXPECT_EQ(saved.size(), 20u + 28u + 28u + 1020u);

    reset_variables();
    memory_reader reader(saved);
    cfg_var::config_read_file(&reader, abort);
    EXPECT_EQ(cfgMainWindowPosition.m_coords.x, -300);
    EXPECT_EQ(cfgMainWindowPosition.m_coords.y, 2147483647);
    EXPECT_EQ(cfgMainWindowSize.m_coords.x, 400);
    EXPECT_EQ(cfgMainWindowSize.m_coords.y, 300);
    EXPECT_EQ(g_probe_first.received, bytes(1000, 0x5A));
    EXPECT_EQ(g_probe_last.sizehints, std::vector<t_size>{0});
}

// Every way a write can fail: the error reaches the caller, the records
// already written stay written, and the payload buffer is given back.
TEST_F(ConfigWrite, FailuresReachTheCallerAndReleaseThePayloadBuffer) {
    const auto blocks_before = platform::heap_live_blocks();

    writer.fail_at_call = 4;  // the position record's payload
    EXPECT_THROW(cfg_var::config_write_file(&writer, abort), foobar2000_io::exception_io);
    EXPECT_EQ(writer.calls.size(), 4u);
    EXPECT_EQ(platform::heap_live_blocks(), blocks_before);

    writer = recording_writer();
    g_probe_first.throw_on_write = true;
    EXPECT_THROW(cfg_var::config_write_file(&writer, abort), std::runtime_error);
    EXPECT_EQ(writer.calls.size(), 8u) << "the three records before the failing variable";
    EXPECT_EQ(platform::heap_live_blocks(), blocks_before);
    g_probe_first.throw_on_write = false;

    writer = recording_writer();
    g_probe_first.payload = bytes(100, 1);
    platform::heap_fail_at(3);  // the buffer's first growth for the 100 bytes after 1 and 8
    try {
        cfg_var::config_write_file(&writer, abort);
        FAIL() << "no error";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    platform::heap_disarm();
    EXPECT_EQ(platform::heap_live_blocks(), blocks_before);
}

TEST_F(ConfigWrite, OneBufferServesEveryRecord) {
    g_probe_first.payload = bytes(3, 0);
    platform::heap_disarm();
    cfg_var::config_write_file(&writer, abort);
    // 1 byte at the start, 8 for the position; the size and the 3 bytes reuse it.
    EXPECT_EQ(platform::heap_allocations(), 2u);
}
