#include <gtest/gtest.h>

#include <elf.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The names of the symbols the library defines in its dynamic symbol table,
// read straight from the ELF file.
std::vector<std::string> defined_dynamic_symbols(const char* p_path) {
    std::ifstream in(p_path, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < sizeof(Elf64_Ehdr)) return {"<not an ELF file>"};
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(file.data());
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(file.data() + header->e_shoff);
    std::vector<std::string> names;
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const Elf64_Shdr& strings = sections[sections[i].sh_link];
        const auto* symbols = reinterpret_cast<const Elf64_Sym*>(file.data() + sections[i].sh_offset);
        const std::size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
        for (std::size_t s = 1; s < count; ++s) {
            if (symbols[s].st_shndx == SHN_UNDEF) continue;
            names.emplace_back(file.data() + strings.sh_offset + symbols[s].st_name);
        }
    }
    return names;
}

}  // namespace

TEST(ComponentLibrary, DefinesExactlyOneDynamicSymbol) {
    const auto names = defined_dynamic_symbols(SORVALE_COMPONENT);
    ASSERT_EQ(names.size(), 1u) << "first extra: " << (names.size() > 1 ? names[1] : names.empty() ? "" : names[0]);
    EXPECT_EQ(names[0], "foobar2000_get_interface");
}

TEST(ComponentLibrary, FileNameHasNoLibPrefix) {
    const std::string path = SORVALE_COMPONENT;
    EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "foo_sorvale.so");
}
