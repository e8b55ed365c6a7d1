#pragma once

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "boundary/client.h"

namespace host {

// A configuration that could not be read or written, said in one line.
class config_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The host's configuration folder: one file per component, named after its
// library file, holding exactly the bytes the component's get_config wrote.
// Files are replaced atomically (temporary file, flush, rename), so a crash
// leaves the old file or the new one, never half of either.
class config_store {
public:
    using bytes = std::vector<unsigned char>;

    explicit config_store(std::filesystem::path p_folder) : m_folder(std::move(p_folder)) {}

    // $XDG_CONFIG_HOME/sorvale-host, else ~/.config/sorvale-host; config_error
    // when the environment names neither.
    static std::filesystem::path default_folder();

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path file_of(const std::string& p_component_file_name) const;

    enum class outcome {
        none_saved,  // no file yet: the component runs on its defaults
        restored,    // the component took the file
        rejected,    // the component refused the file: moved aside, defaults in force
        unreadable,  // the file could not be read or applied: left as it is and never overwritten
    };
    struct restore_result {
        outcome kind = outcome::none_saved;
        std::filesystem::path file;
        bytes data;           // what the file held, when it could be read
        std::string message;  // one line for rejected and unreadable
    };

    // Hands the component's file to set_config. A file the component rejects
    // with a stream error is renamed with a .bad suffix and the component's
    // variables are put back to the values they had before.
    restore_result restore(foobar2000_client& p_client, const std::string& p_file_name);

    // Asks get_config for the whole stream, then replaces the file. Answers the
    // byte count; config_error when the component fails or the file cannot be
    // written (the old file then stays), or when the file is one restore left alone.
    std::size_t save(foobar2000_client& p_client, const std::string& p_file_name);

    static bytes read_file(const std::filesystem::path& p_file);
    static void write_atomically(const std::filesystem::path& p_file, const bytes& p_data);

private:
    // p_file renamed to the first free name of p_file.bad, p_file.2.bad, ...
    static std::filesystem::path move_aside(const std::filesystem::path& p_file);

    std::filesystem::path m_folder;
    std::set<std::string> m_left_alone;  // component file names whose file must not be overwritten
};

}  // namespace host
