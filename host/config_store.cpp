#include "host/config_store.h"

#include <cstdlib>

#include "host/config_records.h"
#include "host/files.h"
#include "host/memory_streams.h"

namespace host {

namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& p_path) { return "'" + files::text_of(p_path) + "'"; }

// Whatever get_config writes, in memory.
config_store::bytes capture_config(foobar2000_client& p_client) {
    memory_writer writer;
    no_abort abort;
    p_client.get_config(&writer, abort);
    return writer.data();
}

void apply_config(foobar2000_client& p_client, const config_store::bytes& p_data) {
    memory_reader reader(p_data);
    no_abort abort;
    p_client.set_config(&reader, abort);
}

// The configuration file's bytes, or nothing when there is none yet;
// config_error for a file that is there but is not one to hand over.
files::found_file read_config_file(const fs::path& p_file) {
    files::found_file found;
    try {
        found = files::read_regular(p_file, config_store::largest_file);
    } catch (const files::file_error& e) {
        throw config_error("cannot read configuration file " + quoted(p_file) + ": " + e.what());
    }
    if (found.what == files::found_file::state::not_regular) {
        throw config_error("configuration file " + quoted(p_file) + " is " + found.kind + ", not a regular file");
    }
    if (found.what == files::found_file::state::too_large) {
        throw config_error("configuration file " + quoted(p_file) + " holds " + std::to_string(found.size) +
                           " bytes, more than the " + std::to_string(config_store::largest_file) +
                           " a configuration may have");
    }
    return found;
}

}  // namespace

fs::path config_store::default_folder() {
#if defined(_WIN32)
    if (const wchar_t* appdata = _wgetenv(L"APPDATA"); appdata != nullptr && fs::path(appdata).is_absolute()) {
        return fs::path(appdata) / "sorvale-host";
    }
    throw config_error("no configuration folder: APPDATA is not set to a full path (use --config-dir)");
#else
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && fs::path(xdg).is_absolute()) {
        return fs::path(xdg) / "sorvale-host";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home) / ".config" / "sorvale-host";
    }
    throw config_error("no configuration folder: neither XDG_CONFIG_HOME nor HOME is set (use --config-dir)");
#endif
}

void config_store::check_folder(const fs::path& p_folder) {
    // A folder that does not exist yet is made at the first save, below the
    // nearest one that does.
    for (fs::path at = p_folder; !at.empty(); at = at.parent_path()) {
        std::error_code error;
        const fs::file_type type = fs::status(at, error).type();
        if (type == fs::file_type::directory) return;
        if (type == fs::file_type::none) throw config_error("configuration folder " + quoted(p_folder) + ": " + error.message());
        if (type != fs::file_type::not_found) {
            throw config_error("configuration folder " + quoted(p_folder) +
                               (at == p_folder ? "" : ": " + quoted(at)) + " is not a folder");
        }
        if (at == at.parent_path()) return;
    }
}

fs::path config_store::file_of(const std::string& p_component_file_name) const {
    return m_folder / files::path_of(p_component_file_name + ".cfg");
}

config_store::restore_result config_store::restore(foobar2000_client& p_client, const std::string& p_file_name) {
    restore_result result;
    result.file = file_of(p_file_name);
    try {
        files::found_file found = read_config_file(result.file);
        if (found.what == files::found_file::state::read) {
            result.data = std::move(found.data);
            take(p_client, p_file_name, result);
        }
    } catch (const config_error& e) {
        result.kind = outcome::unreadable;
        result.message = std::string(e.what()) + "; the file is left as it is and will not be overwritten";
        m_left_alone.insert(p_file_name);
    }
    return result;
}

void config_store::take(foobar2000_client& p_client, const std::string& p_file_name, restore_result& p_result) {
    const std::string file = quoted(p_result.file);
    // The values before the file, to go back to when the file is refused
    // after some of its records were already applied.
    bytes defaults;
    try {
        defaults = capture_config(p_client);
    } catch (const std::exception& e) {
        throw config_error(p_file_name + " could not report its configuration (" + e.what() + ")");
    }

    std::string refused;  // the component's reason, when the file is damaged
    try {
        apply_config(p_client, p_result.data);
    } catch (const foobar2000_io::exception_io& e) {
        refused = e.what();
    } catch (const std::exception& e) {
        // Not the file's fault (out of memory, say): keep the file for the next run.
        try {
            apply_config(p_client, defaults);
        } catch (const std::exception&) {
        }
        throw config_error("could not apply configuration file " + file + " to " + p_file_name + " (" + e.what() + ")");
    }
    p_result.taken = split_records(p_result.data).whole_length;
    if (refused.empty() && p_result.taken == p_result.data.size()) {
        p_result.kind = outcome::restored;
        return;
    }

    // The next save writes over the file: keep it as it was found.
    const std::string what = refused.empty() ? "configuration file " + file + " ends inside a record (" + p_file_name +
                                                   " took the first " + std::to_string(p_result.taken) + " of its " +
                                                   std::to_string(p_result.data.size()) + " bytes)"
                                             : p_file_name + " rejected its configuration file " + file + " (" + refused + ")";
    try {
        if (!refused.empty()) apply_config(p_client, defaults);
        const fs::path copy = files::keep_copy(p_result.file, p_result.data);
        p_result.kind = refused.empty() ? outcome::cut_short : outcome::rejected;
        p_result.message = what + "; a copy of it as found is kept in " + quoted(copy) +
                           (refused.empty() ? "" : " and the component runs on its defaults");
    } catch (const std::exception& e) {
        throw config_error(what + " and no copy of it could be kept (" + e.what() + ")");
    }
}

std::size_t config_store::save(foobar2000_client& p_client, const std::string& p_file_name) {
    const fs::path file = file_of(p_file_name);
    if (m_left_alone.count(p_file_name) != 0) {
        throw config_error("configuration of " + p_file_name + " not saved: " + quoted(file) +
                           " could not be used at start and is kept as it is");
    }
    bytes data;
    try {
        data = capture_config(p_client);
    } catch (const std::exception& e) {
        throw config_error("configuration of " + p_file_name + " not saved: the component failed (" + e.what() + ")");
    }
    std::error_code error;
    fs::create_directories(m_folder, error);
    if (error) throw config_error("cannot save configuration to " + quoted(file) + ": " + error.message());
    try {
        files::replace_atomically(file, data);
    } catch (const files::file_error& e) {
        throw config_error("cannot save configuration to " + quoted(file) + ": " + e.what());
    }
    return data.size();
}

}  // namespace host
