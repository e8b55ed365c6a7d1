#include "config_testing.h"

using namespace config_testing;

namespace {

class ConfigRead : public ::testing::Test {
protected:
    void SetUp() override { reset_variables(); }
    void TearDown() override { reset_variables(); }

    void read(const bytes& p_stream) {
        reader = std::make_unique<memory_reader>(p_stream);
        cfg_var::config_read_file(reader.get(), abort);
    }

    static void expect_pair(const cfgCoordinates& p_var, t_int32 p_x, t_int32 p_y) {
        EXPECT_EQ(p_var.m_coords.x, p_x);
        EXPECT_EQ(p_var.m_coords.y, p_y);
    }

    no_abort abort;
    std::unique_ptr<memory_reader> reader;
};

const bytes position_100_50 = record(guid_cfgMainWindowPosition, pair_payload(100, 50));
const bytes size_400_300 = record(guid_cfgMainWindowSize, pair_payload(400, 300));

}  // namespace

TEST_F(ConfigRead, EmptyStreamAndStreamsEndingInsideTheFirstGuidChangeNothing) {
    for (std::size_t length = 0; length < 16; ++length) {
        SCOPED_TRACE(length);
        cfgMainWindowSize.m_coords = {3, 4};
        const bytes stream(position_100_50.begin(), position_100_50.begin() + static_cast<long>(length));
        EXPECT_NO_THROW(read(stream));
        expect_pair(cfgMainWindowSize, 3, 4);
        expect_pair(cfgMainWindowPosition, 0, 0);
        EXPECT_TRUE(g_probe_first.sizehints.empty());
    }
}

TEST_F(ConfigRead, AGuidWithoutItsLengthIsTheHostReadersError) {
    EXPECT_THROW(read(guid_bytes(guid_cfgMainWindowSize)), foobar2000_io::exception_io_data_truncation);
    EXPECT_THROW(read(position_100_50 + guid_bytes(guid_cfgMainWindowSize) + bytes{8, 0}),
                 foobar2000_io::exception_io_data_truncation);
    expect_pair(cfgMainWindowPosition, 100, 50);  // records before the damage stay applied
}

TEST_F(ConfigRead, BothRecordOrdersGiveTheSameValues) {
    for (const bytes& stream : {position_100_50 + size_400_300, size_400_300 + position_100_50}) {
        reset_variables();
        read(stream);
        expect_pair(cfgMainWindowPosition, 100, 50);
        expect_pair(cfgMainWindowSize, 400, 300);
    }
}

TEST_F(ConfigRead, NegativeAndZeroValuesAreStoredAsRead) {
    read(record(guid_cfgMainWindowSize, bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00}));
    expect_pair(cfgMainWindowSize, -1, 5);
}

TEST_F(ConfigRead, AnUnclaimedRecordIsSkippedWholeAndTheNextApplied) {
    bytes thousand(1000);
    for (std::size_t i = 0; i < thousand.size(); ++i) thousand[i] = static_cast<unsigned char>(i);
    read(record(guid_nobody, thousand) + size_400_300);
    expect_pair(cfgMainWindowSize, 400, 300);
    EXPECT_TRUE(g_probe_last.sizehints.empty()) << "a GUID differing in its last byte claims nothing";
}

TEST_F(ConfigRead, AnEmptyRecordGivesItsVariableAReaderThatDeliversNothing) {
    g_probe_last.received = {1};
    read(record(guid_probe_last, {}) + size_400_300);
    EXPECT_EQ(g_probe_last.sizehints, std::vector<t_size>{0});
    EXPECT_TRUE(g_probe_last.received.empty());
    expect_pair(cfgMainWindowSize, 400, 300);
}

// How a geometry record of N bytes ends, followed by a size record that must
// still be read.
struct short_long_case {
    t_uint32 length;
    bool takes_values;
};

class GeometryRecordLength : public ConfigRead, public ::testing::WithParamInterface<short_long_case> {};

TEST_P(GeometryRecordLength, TakesBothValuesOrNeitherAndTheNextRecordIsRead) {
    const short_long_case& c = GetParam();
    cfgMainWindowPosition.m_coords = {-7, -8};
    bytes payload = pair_payload(11, 22);
    payload.resize(c.length, 0xEE);
    read(record(guid_cfgMainWindowPosition, payload) + size_400_300);
    if (c.takes_values) {
        expect_pair(cfgMainWindowPosition, 11, 22);
    } else {
        expect_pair(cfgMainWindowPosition, -7, -8);
    }
    expect_pair(cfgMainWindowSize, 400, 300);
}

INSTANTIATE_TEST_SUITE_P(Table, GeometryRecordLength,
                         ::testing::Values(short_long_case{0, false}, short_long_case{4, false},
                                           short_long_case{7, false}, short_long_case{8, true},
                                           short_long_case{12, true}, short_long_case{300, true}));

TEST_F(ConfigRead, ALaterRecordWithTheSameGuidDecides) {
    read(record(guid_cfgMainWindowSize, pair_payload(1, 2)) + record(guid_cfgMainWindowSize, pair_payload(3, 4)));
    expect_pair(cfgMainWindowSize, 3, 4);
    // A short second record does not undo the first.
    read(record(guid_cfgMainWindowSize, pair_payload(5, 6)) + record(guid_cfgMainWindowSize, bytes{1, 2}));
    expect_pair(cfgMainWindowSize, 5, 6);
}

TEST_F(ConfigRead, AVariableCannotReadPastItsRecordNorStopInsideIt) {
    g_probe_last.behaviour = probe_var::on_read::read_all;
    g_probe_first.behaviour = probe_var::on_read::read_prefix;
    g_probe_first.prefix = 2;
    read(record(guid_probe_last, bytes{1, 2, 3}) + record(guid_probe_first, bytes{4, 5, 6, 7}) + size_400_300);
    EXPECT_EQ(g_probe_last.received, (bytes{1, 2, 3}));
    EXPECT_EQ(g_probe_first.received, (bytes{4, 5}));
    EXPECT_EQ(g_probe_first.sizehints, std::vector<t_size>{4});
    expect_pair(cfgMainWindowSize, 400, 300);
}

TEST_F(ConfigRead, AnIoDataErrorOfOneVariableIsDroppedAndReadingGoesOn) {
    g_probe_last.behaviour = probe_var::on_read::throw_io_data;
    read(record(guid_probe_last, bytes(20, 1)) + size_400_300);
    expect_pair(cfgMainWindowSize, 400, 300);
}

TEST_F(ConfigRead, OtherErrorsOfAVariableReachTheCallerWithoutSkippingTheRecord) {
    g_probe_last.behaviour = probe_var::on_read::throw_bad_alloc;
    EXPECT_THROW(read(record(guid_probe_last, bytes(20, 1)) + size_400_300), std::bad_alloc);
    EXPECT_EQ(reader->position(), 20u) << "the payload was not skipped";
    expect_pair(cfgMainWindowSize, 0, 0);
}

// Streams cut inside a record: the error reaches the caller.
struct cut_case {
    const char* name;
    bytes stream;
    bool position_applied;
};

class StreamCutInsideARecord : public ConfigRead, public ::testing::WithParamInterface<cut_case> {};

TEST_P(StreamCutInsideARecord, IsTruncationForTheCaller) {
    const cut_case& c = GetParam();
    EXPECT_THROW(read(c.stream), foobar2000_io::exception_io_data_truncation);
    if (c.position_applied) {
        expect_pair(cfgMainWindowPosition, 100, 50);
    } else {
        expect_pair(cfgMainWindowPosition, 0, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StreamCutInsideARecord,
    ::testing::Values(
        cut_case{"matched_no_payload", record_claiming(guid_cfgMainWindowPosition, 8, {}), false},
        // Only 4 of the 8 bytes: the pair is not taken, the skip of the rest comes back short.
        cut_case{"matched_pair_short",
                 record_claiming(guid_cfgMainWindowPosition, 8, bytes{100, 0, 0, 0}), false},
        // The pair is there but the record claims more: taken, then the skip fails.
        cut_case{"matched_after_the_pair", record_claiming(guid_cfgMainWindowPosition, 12, pair_payload(100, 50)),
                 true},
        cut_case{"unclaimed", position_100_50 + record_claiming(guid_nobody, 1000, bytes(999, 0)), true}),
    [](const auto& info) { return std::string(info.param.name); });
