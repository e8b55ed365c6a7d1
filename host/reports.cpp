#include "host/reports.h"

#include <string>

#include "host/component_list.h"
#include "host/config_records.h"
#include "host/files.h"
#include "host/track_library.h"

namespace host {

namespace {

// The records of a stored configuration, as the host sees its own file: what
// a payload means is the component's business, so each shows as its GUID and
// its length.
void print_records(std::FILE* p_out, const std::vector<unsigned char>& p_data) {
    const config_records records = split_records(p_data);
    for (const config_record& record : records.whole) {
        std::fprintf(p_out, "    %s %zu bytes\n", pfc::print_guid(record.guid).c_str(), record.payload.size());
    }
    if (records.whole_length != p_data.size()) {
        std::fprintf(p_out, "    (%zu bytes of a record cut short)\n", p_data.size() - records.whole_length);
    }
}

void print_entry(std::FILE* p_out, const component_library& p_component) {
    const component_entry entry = describe_component(p_component);
    std::fprintf(p_out, "component list:\n");
    if (!entry.has_version_info) {
        std::fprintf(p_out, "  %s (no version information)\n", entry.file_name.c_str());
        return;
    }
    std::fprintf(p_out, "  %s: %s %s\n", entry.file_name.c_str(), entry.name.c_str(), entry.version.c_str());
    const std::string& about = entry.about;
    for (std::size_t start = 0;;) {
        const std::size_t end = about.find('\n', start);
        std::fprintf(p_out, "    | %s\n", about.substr(start, end - start).c_str());
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

void print_restore(std::FILE* p_out, const config_store::restore_result& p_result) {
    using outcome = config_store::outcome;
    switch (p_result.kind) {
        case outcome::none_saved:
            std::fprintf(p_out, "configuration: none saved yet in %s, the component starts on its defaults\n",
                         files::text_of(p_result.file).c_str());
            break;
        case outcome::restored:
            std::fprintf(p_out, "configuration: restored %zu bytes from %s:\n", p_result.data.size(), files::text_of(p_result.file).c_str());
            print_records(p_out, p_result.data);
            break;
        case outcome::cut_short:
            std::fprintf(p_out, "configuration: restored %zu of %zu bytes from %s, which ends inside a record:\n", p_result.taken,
                         p_result.data.size(), files::text_of(p_result.file).c_str());
            print_records(p_out, p_result.data);
            break;
        case outcome::rejected:
        case outcome::unreadable:
            break;  // the host has said why, in one line
    }
}

void print_entries(std::FILE* p_out, const playback_queue& p_queue) {
    for (t_size i = 0; i < p_queue.size(); ++i) {
        const auto* entry = static_cast<const track*>(p_queue.at(i).m_handle.get_ptr());
        std::fprintf(p_out, "  %2u. %s\n", i + 1, describe(*entry).c_str());
    }
}

}  // namespace

void print_loaded(std::FILE* p_out, component_library& p_component, const config_store::restore_result* p_restored) {
    std::fprintf(p_out, "loaded %s\n", p_component.file_name().c_str());
    std::fprintf(p_out, "  client version: %u\n", p_component.client().get_version());
    std::fprintf(p_out, "  services, in list order:\n");
    for (const auto& factory : p_component.factories()) {
        std::fprintf(p_out, "    %s\n", pfc::print_guid(factory.class_guid).c_str());
    }
    print_entry(p_out, p_component);
    if (p_restored != nullptr) print_restore(p_out, *p_restored);
}

void print_filled_queue(std::FILE* p_out, const playback_queue& p_queue, std::size_t p_library_size) {
    std::fprintf(p_out, "playback queue (%u of the %zu tracks in the library):\n", p_queue.size(), p_library_size);
    print_entries(p_out, p_queue);
}

void print_queue(std::FILE* p_out, const playback_queue& p_queue) {
    std::fprintf(p_out, "playback queue, %u entries:\n", p_queue.size());
    print_entries(p_out, p_queue);
}

void print_saved(std::FILE* p_out, std::size_t p_saved, std::size_t p_components, const std::filesystem::path& p_folder) {
    std::fprintf(p_out, "configuration saved for %zu of %zu components in %s\n", p_saved, p_components, files::text_of(p_folder).c_str());
}

}  // namespace host
