#include "host/config_records.h"

namespace host {

config_records split_records(std::span<const unsigned char> p_data) {
    config_records records;
    cfg_codec::record_reader reader(p_data);
    for (config_record record{}; reader.next(record);) records.whole.push_back(record);
    records.whole_length = reader.position();
    return records;
}

}  // namespace host
