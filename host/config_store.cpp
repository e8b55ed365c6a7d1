#include "host/config_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/memory_streams.h"

namespace host {

namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& p_path) { return "'" + p_path.string() + "'"; }

std::string system_reason() { return std::strerror(errno); }

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

// Closes the descriptor and removes the temporary file unless told it is done.
struct temporary_file {
    std::string path;
    int fd = -1;
    bool renamed = false;
    ~temporary_file() {
        if (fd >= 0) ::close(fd);
        if (!renamed) ::unlink(path.c_str());
    }
};

}  // namespace

fs::path config_store::default_folder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        return fs::path(xdg) / "sorvale-host";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home) / ".config" / "sorvale-host";
    }
    throw config_error("no configuration folder: neither XDG_CONFIG_HOME nor HOME is set (use --config-dir)");
}

fs::path config_store::file_of(const std::string& p_component_file_name) const {
    return m_folder / (p_component_file_name + ".cfg");
}

config_store::bytes config_store::read_file(const fs::path& p_file) {
    const auto fail = [&] { return config_error("cannot read configuration file " + quoted(p_file) + ": " + system_reason()); };
    const int fd = ::open(p_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw fail();
    bytes data;
    unsigned char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const config_error error = fail();
            ::close(fd);
            throw error;
        }
        if (n == 0) break;
        data.insert(data.end(), chunk, chunk + n);
    }
    ::close(fd);
    return data;
}

void config_store::write_atomically(const fs::path& p_file, const bytes& p_data) {
    const auto fail = [&](const std::string& p_what) -> void {
        throw config_error("cannot save configuration to " + quoted(p_file) + ": " + p_what);
    };
    std::error_code error;
    fs::create_directories(p_file.parent_path(), error);
    if (error) fail(error.message());

    temporary_file temp{p_file.string() + ".tmp-XXXXXX"};
    temp.fd = ::mkstemp(temp.path.data());
    if (temp.fd < 0) {
        temp.renamed = true;  // nothing was created
        fail(system_reason());
    }
    for (std::size_t done = 0; done < p_data.size();) {
        const ssize_t n = ::write(temp.fd, p_data.data() + done, p_data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(system_reason());
        done += static_cast<std::size_t>(n);
    }
    // The data must be on disk before the name points at it.
    if (::fsync(temp.fd) != 0) fail(system_reason());
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0) fail(system_reason());
    if (::rename(temp.path.c_str(), p_file.c_str()) != 0) fail(system_reason());
    temp.renamed = true;
    // Make the rename itself durable; a folder that cannot be synced changes nothing already done.
    const int folder = ::open(p_file.parent_path().empty() ? "." : p_file.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

fs::path config_store::move_aside(const fs::path& p_file) {
    fs::path target = p_file.string() + ".bad";
    for (int n = 2; fs::exists(target); ++n) target = p_file.string() + "." + std::to_string(n) + ".bad";
    fs::rename(p_file, target);
    return target;
}

config_store::restore_result config_store::restore(foobar2000_client& p_client, const std::string& p_file_name) {
    restore_result result;
    result.file = file_of(p_file_name);
    std::error_code error;
    if (!fs::exists(result.file, error) && !error) return result;

    const auto leave_alone = [&](const std::string& p_why) {
        m_left_alone.insert(p_file_name);
        result.kind = outcome::unreadable;
        result.message = p_why + "; the file is left as it is and will not be overwritten";
        return result;
    };

    try {
        result.data = read_file(result.file);
    } catch (const config_error& e) {
        return leave_alone(e.what());
    }

    // The values before the file, to go back to when the file is refused
    // after some of its records were already applied.
    bytes defaults;
    try {
        defaults = capture_config(p_client);
    } catch (const std::exception& e) {
        return leave_alone(p_file_name + " could not report its configuration (" + e.what() + ")");
    }

    try {
        apply_config(p_client, result.data);
        result.kind = outcome::restored;
        return result;
    } catch (const foobar2000_io::exception_io& e) {
        // The file is damaged: keep it for inspection, run on the defaults.
        result.kind = outcome::rejected;
        std::string reason = e.what();
        try {
            apply_config(p_client, defaults);
            const fs::path aside = move_aside(result.file);
            result.message = p_file_name + " rejected its configuration file " + quoted(result.file) + " (" + reason +
                             "); moved it to " + quoted(aside) + " and runs on its defaults";
        } catch (const std::exception& inner) {
            return leave_alone(p_file_name + " rejected its configuration file " + quoted(result.file) + " (" + reason +
                               ") and it could not be moved aside (" + inner.what() + ")");
        }
        return result;
    } catch (const std::exception& e) {
        // Not the file's fault (out of memory, say): keep the file for the next run.
        try {
            apply_config(p_client, defaults);
        } catch (const std::exception&) {
        }
        return leave_alone("could not apply configuration file " + quoted(result.file) + " to " + p_file_name + " (" +
                           e.what() + ")");
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
    write_atomically(file, data);
    return data.size();
}

}  // namespace host
