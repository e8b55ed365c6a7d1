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
// leaves the old file or the new one, never half of either; a file that is a
// symbolic link is replaced where the link leads.
class config_store {
public:
    using bytes = std::vector<unsigned char>;

    // The largest file read as a configuration: generous, since a component's
    // stream is a few records of a few bytes each, and small enough that a
    // device or a huge file in its place is refused rather than read whole.
    static constexpr std::size_t largest_file = std::size_t{1} << 20;

    explicit config_store(std::filesystem::path p_folder) : m_folder(std::move(p_folder)) {}

    // $XDG_CONFIG_HOME/sorvale-host, else ~/.config/sorvale-host; config_error
    // when the environment names neither. A relative XDG_CONFIG_HOME is
    // ignored, as the XDG rules say. On Windows %APPDATA%\sorvale-host.
    static std::filesystem::path default_folder();
    // config_error when p_folder, or the nearest folder above it that exists,
    // is not a folder: nothing could ever be saved there.
    static void check_folder(const std::filesystem::path& p_folder);

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path file_of(const std::string& p_component_file_name) const;

    enum class outcome {
        none_saved,  // no file yet: the component runs on its defaults
        restored,    // the component took the file
        cut_short,   // the file ends inside a record: the component took the records before, a copy is kept
        rejected,    // the component refused the file: a copy is kept, defaults in force
        unreadable,  // the file could not be read or applied, is not a regular file or is too large:
                     // left as it is and never overwritten
    };
    struct restore_result {
        outcome kind = outcome::none_saved;
        std::filesystem::path file;
        bytes data;             // what the file held, when it could be read
        std::size_t taken = 0;  // cut_short: the bytes of the whole records
        std::string message;    // one line for cut_short, rejected and unreadable
    };

    // Hands the component's file to set_config. A file the component rejects
    // with a stream error is copied as found to p_file.bad (or .2.bad, ...) and
    // the component's variables are put back to the values they had before; a
    // file that ends inside a record is copied likewise, since the next save
    // writes over it.
    restore_result restore(foobar2000_client& p_client, const std::string& p_file_name);

    // Asks get_config for the whole stream, then replaces the file. Answers the
    // byte count; config_error when the component fails or the file cannot be
    // written (the old file then stays), or when the file is one restore left alone.
    std::size_t save(foobar2000_client& p_client, const std::string& p_file_name);

private:
    // Sets p_result's kind and message once the component has been handed
    // p_result.data; config_error when the file must be left alone.
    static void take(foobar2000_client& p_client, const std::string& p_file_name, restore_result& p_result);

    std::filesystem::path m_folder;
    std::set<std::string> m_left_alone;  // component file names whose file must not be overwritten
};

}  // namespace host
