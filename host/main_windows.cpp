// sorvale-host's start on Windows. The arguments come as UTF-16; inside they
// are UTF-8, as the host's text is everywhere. Output is UTF-8 too, with "\n"
// line ends as on Linux (the C library would write "\r\n" in text mode), and
// standard input is read as it comes (a script's CR LF is a line end anyway).

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int host_main(int argc, char** argv);

namespace {

std::string utf8_of(const wchar_t* p_text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, p_text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, p_text, -1, text.data(), length, nullptr, nullptr);
    text.pop_back();  // the terminator
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(utf8_of(wargv[i]));
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return host_main(argc, argv.data());
}
