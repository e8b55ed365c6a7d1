// What a user, or another program, sees of the host's windows from outside
// the host: the real-window tests (desktop_test.sh) read the native window
// and the screenshot through this program.
//
//   window_probe window TITLE   the top-level window of that title: its
//                               styles, sizes and tracking limits, and the
//                               dialog font its client area is scaled by
//   window_probe highlight PNG  the rows of a screenshot that hold the
//                               system's highlight colour
//   window_probe glyphs FILE    the characters of a UTF-8 text that the
//                               dialog font draws as the box of a missing glyph
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "tests/png_image.h"

namespace {

const char* yes(bool p_value) { return p_value ? "yes" : "no"; }

std::wstring wide(const char* p_text) {
    std::wstring out(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, p_text, -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, p_text, -1, out.data(), static_cast<int>(out.size()));
    out.pop_back();
    return out;
}

// The dialog font as the toolkit measures it: its face and its cell (the
// average width of the 52 letters, the height). At any cell but 6 x 13 the
// toolkit scales the window's client area: Liberation Sans, what Wine falls
// back to where its own Tahoma is not in the prefix, makes it 142 x 262.
void dialog_font() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SIZE letters{};
    GetTextExtentPoint32W(dc, L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &letters);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    char utf8[4 * LF_FACESIZE] = {};
    WideCharToMultiByte(CP_UTF8, 0, face, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
    std::printf("dialog font %s, %ld x %ld\n", utf8, (letters.cx + 26) / 52, tm.tmHeight);
}

int window(const char* p_title) {
    HWND hwnd = FindWindowW(nullptr, wide(p_title).c_str());
    if (!hwnd) {
        std::printf("no window titled %s\n", p_title);
        return 1;
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    RECT outer, client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    // The taskbar shows a visible window unless it is a tool window, or owned without asking to be shown.
    const bool owned = GetWindow(hwnd, GW_OWNER) != nullptr;
    const bool taskbar = (style & WS_VISIBLE) && !(exStyle & WS_EX_TOOLWINDOW) && (!owned || (exStyle & WS_EX_APPWINDOW));
    // Marshalled to the window's own process, as the system does when the user drags it.
    MINMAXINFO limits{};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    std::printf("visible %s\n", yes(style & WS_VISIBLE));
    std::printf("topmost %s\n", yes(exStyle & WS_EX_TOPMOST));
    std::printf("tool window %s\n", yes(exStyle & WS_EX_TOOLWINDOW));
    std::printf("sizable %s\n", yes(style & WS_THICKFRAME));
    std::printf("minimize box %s\n", yes(style & WS_MINIMIZEBOX));
    std::printf("maximize box %s\n", yes(style & WS_MAXIMIZEBOX));
    std::printf("taskbar entry %s\n", yes(taskbar));
    std::printf("window %ld x %ld at (%ld, %ld)\n", outer.right - outer.left, outer.bottom - outer.top, outer.left, outer.top);
    std::printf("client %ld x %ld\n", client.right, client.bottom);
    std::printf("minimum %ld x %ld\n", limits.ptMinTrackSize.x, limits.ptMinTrackSize.y);
    std::printf("maximum %ld x %ld\n", limits.ptMaxTrackSize.x, limits.ptMaxTrackSize.y);
    dialog_font();
    return 0;
}

int highlight(const char* p_file) {
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(p_file, &width, &height, &channels, 3);
    if (!pixels) {
        std::printf("cannot read %s: %s\n", p_file, stbi_failure_reason());
        return 1;
    }
    const COLORREF colour = GetSysColor(COLOR_HIGHLIGHT);
    std::printf("picture %d x %d\n", width, height);
    // A row is highlighted when a tenth of it or more has the colour: text and
    // a focus mark on a selected line leave most of the row to it.
    std::string rows;
    int first = -1;
    for (int y = 0; y <= height; ++y) {
        int count = 0;
        for (int x = 0; y < height && x < width; ++x) {
            const unsigned char* p = pixels + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
            if (RGB(p[0], p[1], p[2]) == colour) ++count;
        }
        const bool lit = y < height && count * 10 >= width;
        if (lit && first < 0) first = y;
        if (!lit && first >= 0) {
            rows += " " + std::to_string(first) + "-" + std::to_string(y - 1);
            first = -1;
        }
    }
    std::printf("highlight rows%s\n", rows.empty() ? " none" : rows.c_str());
    stbi_image_free(pixels);
    return 0;
}

// A character drawn alone, black on white, in the dialog font as the backend
// takes it, with the fonts linked to it: the pixels of a 48 x 24 cell.
class Cell {
public:
    Cell() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        font_ = CreateFontIndirectW(&metrics.lfMessageFont);
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        SelectObject(dc_, bitmap_);
        SelectObject(dc_, font_);
    }
    ~Cell() {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        DeleteObject(font_);
    }
    std::string Draw(const std::wstring& p_character) {
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawTextW(dc_, p_character.c_str(), static_cast<int>(p_character.size()), &all, DT_SINGLELINE | DT_NOPREFIX);
        GdiFlush();
        return std::string(reinterpret_cast<const char*>(bits_), static_cast<std::size_t>(kWidth * kHeight * 4));
    }

private:
    static constexpr int kWidth = 48;
    static constexpr int kHeight = 24;
    HFONT font_;
    HDC dc_;
    HBITMAP bitmap_;
    std::uint32_t* bits_ = nullptr;
};

int glyphs(const char* p_file) {
    std::FILE* file = std::fopen(p_file, "rb");
    if (!file) {
        std::printf("cannot read %s\n", p_file);
        return 1;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
    const std::wstring wideText = wide(text.c_str());
    Cell cell;
    // A private-use character no font here has: the box of a missing glyph.
    const std::string box = cell.Draw(L"\xE000");
    std::set<std::wstring> seen;
    std::string boxes;
    for (std::size_t i = 0; i < wideText.size(); ++i) {
        std::wstring character(1, wideText[i]);
        if (wideText[i] >= 0xD800 && wideText[i] <= 0xDBFF && i + 1 < wideText.size()) character += wideText[++i];
        // ASCII is the dialog font's own; control characters draw nothing.
        if (character[0] < 0x80 || !seen.insert(character).second) continue;
        if (cell.Draw(character) == box) {
            char utf8[8] = {};
            WideCharToMultiByte(CP_UTF8, 0, character.c_str(), static_cast<int>(character.size()), utf8, sizeof utf8 - 1, nullptr, nullptr);
            boxes += std::string(" ") + utf8;
        }
    }
    std::printf("checked %zu characters\n", seen.size());
    std::printf("boxes%s\n", boxes.empty() ? " none" : boxes.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "window") == 0) return window(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "highlight") == 0) return highlight(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "glyphs") == 0) return glyphs(argv[2]);
    std::fprintf(stderr, "usage: window_probe window TITLE | highlight FILE.png | glyphs FILE\n");
    return 2;
}
