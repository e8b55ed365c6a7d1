// The configuration stream, read and written through this program's variables.
// They are defined here, in one file, so that their construction order, and
// with it the list order, is fixed.

#include "config_testing.h"
#include "platform/heap.h"
#include "tests/allocation_failure.h"

namespace config_testing {

const GUID guid_probe_first = {0x11111111, 0x2222, 0x3333, {0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB}};
const GUID guid_probe_last = {0xCAFEF00D, 0x0102, 0x0304, {0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C}};
// Differs from guid_probe_last in its final byte only: the reader compares all 16.
const GUID guid_nobody = {0xCAFEF00D, 0x0102, 0x0304, {0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0D}};
probe_var g_probe_first(guid_probe_first);

}  // namespace config_testing

cfgWindowSize cfgMainWindowSize(guid_cfgMainWindowSize, {0, 0});
cfgWindowPosition cfgMainWindowPosition(guid_cfgMainWindowPosition, {0, 0});
config_testing::probe_var config_testing::g_probe_last(guid_probe_last);

using namespace config_testing;

namespace {

using coords = cfgCoordinates::coords;

class ConfigStream : public ::testing::Test {
protected:
    void SetUp() override { reset_variables(); }
    void TearDown() override {
        platform::heap_disarm();
        reset_variables();
    }
    void read(const bytes& p_stream) {
        reader = std::make_unique<memory_reader>(p_stream);
        cfg_var::config_read_file(reader.get(), abort);
    }
    static void expect_pair(const cfgCoordinates& p_var, coords p_expected) {
        EXPECT_EQ(p_var.m_coords.x, p_expected.x);
        EXPECT_EQ(p_var.m_coords.y, p_expected.y);
    }

    no_abort abort;
    std::unique_ptr<memory_reader> reader;
    recording_writer writer;
};

const bytes position_100_50 = record(guid_cfgMainWindowPosition, pair_payload(100, 50));
const bytes size_400_300 = record(guid_cfgMainWindowSize, pair_payload(400, 300));

// A stream read over position (-7, -8) and size (3, 4): the values it leaves,
// and whether the caller gets a truncation error. No probe variable is named.
struct read_case {
    std::string name;
    bytes stream;
    coords position{-7, -8}, size{3, 4};
    bool truncated = false;
};

bytes geometry_of_length(t_uint32 p_length) {
    bytes payload = pair_payload(11, 22);
    payload.resize(p_length, 0xEE);
    return record(guid_cfgMainWindowPosition, payload) + size_400_300;
}

std::vector<read_case> read_cases() {
    std::vector<read_case> cases;
    // Empty, and ending inside the first GUID: the stream has simply ended.
    for (long n = 0; n < 16; ++n) cases.push_back({"cut_at_" + std::to_string(n), bytes(position_100_50.begin(), position_100_50.begin() + n)});
    bytes thousand(1000);
    for (std::size_t i = 0; i < thousand.size(); ++i) thousand[i] = static_cast<unsigned char>(i);
    const std::vector<read_case> fixed = {
        {"position_then_size", position_100_50 + size_400_300, {100, 50}, {400, 300}},
        {"size_then_position", size_400_300 + position_100_50, {100, 50}, {400, 300}},
        {"negative_values_as_read", record(guid_cfgMainWindowSize, bytes{0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0}), {-7, -8}, {-1, 5}},
        {"unclaimed_1000_skipped_whole", record(guid_nobody, thousand) + size_400_300, {-7, -8}, {400, 300}},
        // Both values or neither, and the next record is read either way.
        {"length_0", geometry_of_length(0), {-7, -8}, {400, 300}},
        {"length_4", geometry_of_length(4), {-7, -8}, {400, 300}},
        {"length_7", geometry_of_length(7), {-7, -8}, {400, 300}},
        {"length_8", geometry_of_length(8), {11, 22}, {400, 300}},
        {"length_12", geometry_of_length(12), {11, 22}, {400, 300}},
        {"length_300", geometry_of_length(300), {11, 22}, {400, 300}},
        // Two records with one GUID: the later decides, unless too short to take.
        {"same_guid_later_decides", record(guid_cfgMainWindowSize, pair_payload(1, 2)) + record(guid_cfgMainWindowSize, pair_payload(5, 6)), {-7, -8}, {5, 6}},
        {"same_guid_short_later_ignored", record(guid_cfgMainWindowSize, pair_payload(5, 6)) + record(guid_cfgMainWindowSize, bytes{1, 2}), {-7, -8}, {5, 6}},
        // Cut inside a record: the error is the caller's; earlier records stay applied.
        {"guid_without_length", guid_bytes(guid_cfgMainWindowSize), {-7, -8}, {3, 4}, true},
        {"second_length_cut", position_100_50 + guid_bytes(guid_cfgMainWindowSize) + bytes{8, 0}, {100, 50}, {3, 4}, true},
        {"matched_no_payload", record(guid_cfgMainWindowPosition, {}, 8), {-7, -8}, {3, 4}, true},
        // Only 4 of the 8 bytes: the pair is not taken, the skip of the rest comes back short.
        {"matched_pair_short", record(guid_cfgMainWindowPosition, bytes{100, 0, 0, 0}, 8), {-7, -8}, {3, 4}, true},
        // The pair is there but the record claims more: taken, then the skip fails.
        {"matched_after_the_pair", record(guid_cfgMainWindowPosition, pair_payload(100, 50), 12), {100, 50}, {3, 4}, true},
        {"unclaimed_cut", position_100_50 + record(guid_nobody, bytes(999, 0), 1000), {100, 50}, {3, 4}, true},
    };
    cases.insert(cases.end(), fixed.begin(), fixed.end());
    return cases;
}

class ConfigRead : public ConfigStream, public ::testing::WithParamInterface<read_case> {};

}  // namespace

TEST_P(ConfigRead, LeavesTheExpectedValues) {
    const read_case& c = GetParam();
    cfgMainWindowPosition.m_coords = {-7, -8};
    cfgMainWindowSize.m_coords = {3, 4};
    if (c.truncated) {
        EXPECT_THROW(read(c.stream), foobar2000_io::exception_io_data_truncation);
    } else {
        EXPECT_NO_THROW(read(c.stream));
    }
    expect_pair(cfgMainWindowPosition, c.position);
    expect_pair(cfgMainWindowSize, c.size);
    EXPECT_TRUE(g_probe_first.sizehints.empty() && g_probe_last.sizehints.empty()) << "a record went to a variable not named";
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigRead, ::testing::ValuesIn(read_cases()), [](const auto& p_info) { return p_info.param.name; });

TEST_F(ConfigStream, AVariableSeesOnlyItsRecordAndTheNextRecordFollows) {
    g_probe_first.behaviour = probe_var::on_read::read_prefix;
    g_probe_first.prefix = 2;
    read(record(guid_probe_last, bytes{1, 2, 3}) + record(guid_probe_first, bytes{4, 5, 6, 7}) + size_400_300);
    EXPECT_EQ(g_probe_last.received, (bytes{1, 2, 3}));
    EXPECT_EQ(g_probe_first.received, (bytes{4, 5}));
    EXPECT_EQ(g_probe_first.sizehints, std::vector<t_size>{4});
    expect_pair(cfgMainWindowSize, {400, 300});

    reset_variables();
    g_probe_last.received = {1};
    read(record(guid_probe_last, {}) + size_400_300);  // an empty record: a reader that delivers nothing
    EXPECT_EQ(g_probe_last.sizehints, std::vector<t_size>{0});
    EXPECT_TRUE(g_probe_last.received.empty());
    expect_pair(cfgMainWindowSize, {400, 300});
}

TEST_F(ConfigStream, AnIoDataErrorOfAVariableIsDroppedButOthersReachTheCaller) {
    g_probe_last.behaviour = probe_var::on_read::throw_io_data;
    read(record(guid_probe_last, bytes(20, 1)) + size_400_300);
    expect_pair(cfgMainWindowSize, {400, 300});

    reset_variables();
    g_probe_last.behaviour = probe_var::on_read::throw_bad_alloc;
    EXPECT_THROW(read(record(guid_probe_last, bytes(20, 1)) + size_400_300), std::bad_alloc);
    EXPECT_EQ(reader->position, 20u) << "the payload was not skipped";
    expect_pair(cfgMainWindowSize, {0, 0});
}

TEST_F(ConfigStream, WritesOneRecordPerVariableInListOrderInTwoOrThreeCalls) {
    g_probe_first.payload = bytes(1000, 0x5A);
    cfgMainWindowPosition.m_coords = {100, 50};
    cfgMainWindowSize.m_coords = {-1, 5};
    cfg_var::config_write_file(&writer, abort);
    const std::vector<bytes> expected = {
        guid_bytes(guid_probe_last), le32(0),  // no third call for an empty payload
        guid_bytes(guid_cfgMainWindowPosition), le32(8), pair_payload(100, 50),
        guid_bytes(guid_cfgMainWindowSize), le32(8), pair_payload(-1, 5),
        guid_bytes(guid_probe_first), le32(1000), bytes(1000, 0x5A),  // the payload in one piece
    };
    EXPECT_EQ(writer.calls, expected);
    expect_pair(cfgMainWindowSize, {-1, 5});
}

// Every way a write can fail: the error reaches the caller, the records
// already written stay written, and the payload buffer is given back.
TEST_F(ConfigStream, WriteFailuresReachTheCallerAndReleaseThePayloadBuffer) {
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

    writer = recording_writer();
    g_probe_first.throw_on_write = false;
    g_probe_first.payload = bytes(100, 1);
    EXPECT_EQ(message_of<std::bad_alloc>([&] {
                  const allocation_failure out_of_memory(3);  // the buffer's first growth for the 100 bytes after 1 and 8
                  cfg_var::config_write_file(&writer, abort);
              }),
              "bad allocation");
    EXPECT_EQ(platform::heap_live_blocks(), blocks_before);
}

TEST_F(ConfigStream, OneBufferServesEveryRecord) {
    g_probe_first.payload = bytes(3, 0);
    platform::heap_disarm();
    cfg_var::config_write_file(&writer, abort);
    // 1 byte at the start, 8 for the position; the size and the 3 bytes reuse it.
    EXPECT_EQ(platform::heap_allocations(), 2u);
}
