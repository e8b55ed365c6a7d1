// The component's DLL as a player meets it on Windows: the one file, alone
// in a folder, loaded with LoadLibraryW and asked for its client version, and
// importing nothing but the system's own DLLs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/temporary_folder.h"

// Slot 0 of the client object. A slot with no arguments that answers an
// unsigned 32-bit value is called alike by every compiler, ours and the
// player's. Outside the anonymous namespace: there, the optimiser would know
// that no class implements it and make the call unreachable.
class shipped_client_version {
public:
    virtual std::uint32_t get_version() = 0;

protected:
    ~shipped_client_version() = default;
};

namespace {

namespace fs = std::filesystem;

using get_interface_t = shipped_client_version* (*)(void* p_api, HINSTANCE p_module);

TEST(ShippedComponent, LoadsAloneFromAFolderWithANonAsciiNameAndAnswersItsClientVersion) {
    const fs::path top = make_temporary_folder("sorvale-shipped-");
    const fs::path folder = top / L"S\u00f8rvale \u6b4c";
    fs::create_directory(folder);
    fs::copy_file(SHIPPED_COMPONENT, folder / L"foo_sorvale.dll");
    // Our own DLLs lie beside this program, where LoadLibraryW would find
    // them: the system's folder alone is searched, as beside a player.
    ASSERT_TRUE(SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32));
    HMODULE library = LoadLibraryW((folder / L"foo_sorvale.dll").c_str());
    ASSERT_NE(library, nullptr) << "system error " << GetLastError();
    const auto entry = reinterpret_cast<get_interface_t>(reinterpret_cast<void (*)()>(GetProcAddress(library, "foobar2000_get_interface")));
    ASSERT_NE(entry, nullptr);
    shipped_client_version* client = entry(nullptr, library);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->get_version(), 71u);
    EXPECT_TRUE(FreeLibrary(library));
    remove_temporary_folder(top);
}

// The DLLs a PE file imports and the names it exports, read from its import
// and export directories.
struct pe_links {
    std::vector<std::string> imports;
    std::vector<std::string> exports;
};

pe_links read_links(const fs::path& p_file) {
    std::ifstream in(p_file, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto read = [&](std::size_t p_at, std::size_t p_size) {
        std::uint32_t value = 0;  // little-endian, as this machine
        if (p_at + p_size <= file.size()) std::memcpy(&value, file.data() + p_at, p_size);
        return value;
    };
    pe_links links;
    const std::size_t pe = read(0x3C, 4), optional = pe + 24, sections = optional + read(pe + 20, 2);
    if (read(pe, 4) != 0x4550u) return links;
    // The data directories end the optional header, whose fixed part is longer in a 64-bit image.
    const std::size_t directories = optional + (read(optional, 2) == 0x20Bu ? 112 : 96);
    // The file offset of an address in the loaded image; past the end when none holds it.
    const auto offset = [&](std::size_t p_address) -> std::size_t {
        for (std::size_t s = sections; s < sections + 40 * read(pe + 6, 2); s += 40) {
            const std::size_t start = read(s + 12, 4), size = std::max(read(s + 8, 4), read(s + 16, 4));
            if (p_address >= start && p_address < start + size) return p_address - start + read(s + 20, 4);
        }
        return file.size();
    };
    const auto text = [&](std::size_t p_address) {
        const std::size_t at = std::min(offset(p_address), file.size());
        const auto end = std::find(file.begin() + static_cast<std::ptrdiff_t>(at), file.end(), '\0');
        return std::string(file.begin() + static_cast<std::ptrdiff_t>(at), end);
    };
    if (const std::size_t exports = offset(read(directories, 4)); exports < file.size()) {
        const std::size_t names = offset(read(exports + 32, 4));
        for (std::size_t i = 0; i < read(exports + 24, 4); ++i) links.exports.push_back(text(read(names + 4 * i, 4)));
    }
    // One 20-byte descriptor per DLL, its name's address at 12; an empty one ends them.
    for (std::size_t at = offset(read(directories + 8, 4)); at < file.size() && read(at + 12, 4) != 0; at += 20)
        links.imports.push_back(text(read(at + 12, 4)));
    return links;
}

TEST(ShippedComponent, ImportsOnlyTheSystemsDllsAndExportsOneFunction) {
    // Every Windows has these; nothing of ours, nor of the compiler's runtime.
    // oleacc answers screen readers (forms/win32_accessible.h).
    const std::set<std::string> system{"advapi32.dll", "gdi32.dll",    "kernel32.dll", "msvcrt.dll", "ntdll.dll",
                                       "oleacc.dll",   "ole32.dll",    "oleaut32.dll", "shell32.dll", "user32.dll"};
    const pe_links links = read_links(SHIPPED_COMPONENT);
    EXPECT_EQ(links.exports, std::vector<std::string>{"foobar2000_get_interface"});
    ASSERT_FALSE(links.imports.empty()) << "no import directory read";
    for (std::string name : links.imports) {
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        EXPECT_TRUE(system.count(name)) << name << " is not one of the system's DLLs";
    }
}

}  // namespace
