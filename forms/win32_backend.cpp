#include "forms/win32_backend.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/native_backend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <windowsx.h>

#include "forms/win32_accessible.h"
// windows.h makes these names macros; here they are the toolkit's.
#undef CreateWindow
#undef SetWindowText

namespace forms {

namespace {

constexpr wchar_t kClassName[] = L"SorvaleForm";
// Embedded: what schedules a pump step on the hidden window (see the header).
constexpr UINT kPumpMessage = WM_APP;
constexpr UINT_PTR kPumpTimer = 1;

// The toolkit's text as it shows, for GDI.
std::wstring Shown(const String& text) {
    const String shown = shown_text(text);
    return {shown.begin(), shown.end()};
}

RECT RectOf(const Rectangle& r) { return {r.X, r.Y, r.Right(), r.Bottom()}; }

int ColorIndex(ColorRole role) {
    switch (role) {
        case ColorRole::Control: return COLOR_BTNFACE;
        case ColorRole::Window: return COLOR_WINDOW;
        case ColorRole::WindowText: return COLOR_WINDOWTEXT;
        case ColorRole::Highlight: return COLOR_HIGHLIGHT;
        case ColorRole::HighlightText: return COLOR_HIGHLIGHTTEXT;
        case ColorRole::GrayText: return COLOR_GRAYTEXT;
    }
    return COLOR_WINDOWTEXT;
}

struct Styles {
    DWORD style = 0;
    DWORD exStyle = 0;
};

// The window styles a form's properties ask for, as the desktop's toolkit maps them.
Styles StylesOf(const Form& form) {
    Styles s;
    switch (form.FormBorderStyle()) {
        case FormBorderStyle::None: s.style = WS_POPUP; break;
        case FormBorderStyle::FixedSingle: s.style = WS_CAPTION; break;
        case FormBorderStyle::Fixed3D: s.style = WS_CAPTION; s.exStyle = WS_EX_CLIENTEDGE; break;
        case FormBorderStyle::FixedDialog: s.style = WS_CAPTION; s.exStyle = WS_EX_DLGMODALFRAME; break;
        case FormBorderStyle::Sizable: s.style = WS_CAPTION | WS_THICKFRAME; break;
        case FormBorderStyle::FixedToolWindow: s.style = WS_CAPTION; s.exStyle = WS_EX_TOOLWINDOW; break;
        case FormBorderStyle::SizableToolWindow: s.style = WS_CAPTION | WS_THICKFRAME; s.exStyle = WS_EX_TOOLWINDOW; break;
    }
    if (s.style & WS_CAPTION) {
        s.style |= WS_SYSMENU;
        const WindowBoxes boxes = WindowBoxes::Of(form);
        if (boxes.minimize) s.style |= WS_MINIMIZEBOX;
        if (boxes.maximize) s.style |= WS_MAXIMIZEBOX;
    }
    if (form.TopMost()) s.exStyle |= WS_EX_TOPMOST;
    return s;
}

Keys HeldModifiers() {
    Keys keys = Keys::None;
    if (GetKeyState(VK_SHIFT) < 0) keys = keys | Keys::Shift;
    if (GetKeyState(VK_CONTROL) < 0) keys = keys | Keys::Control;
    if (GetKeyState(VK_MENU) < 0) keys = keys | Keys::Alt;
    return keys;
}

void DrawFrame(HDC dc, RECT r, FrameStyle style) {
    switch (style) {
        case FrameStyle::Sunken: DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT); break;
        case FrameStyle::Raised: DrawEdge(dc, &r, EDGE_RAISED, BF_RECT); break;
        case FrameStyle::RaisedDefault:
            // The button Enter presses: a dark line around the raised edge.
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&r, -1, -1);
            DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
            break;
    }
}

// Draws the display list; each item only inside its clip.
void Paint(HDC dc, const DisplayList& list, HFONT font) {
    const HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (const DisplayItem& item : list) {
        if (item.clip.IsEmpty()) continue;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, item.clip.X, item.clip.Y, item.clip.Right(), item.clip.Bottom());
        RECT r = RectOf(item.bounds);
        switch (item.kind) {
            case DrawKind::Fill:
            case DrawKind::Selection: FillRect(dc, &r, GetSysColorBrush(ColorIndex(item.color))); break;
            case DrawKind::Frame: DrawFrame(dc, r, item.frame); break;
            case DrawKind::Text: {
                SetTextColor(dc, GetSysColor(ColorIndex(item.color)));
                std::wstring text = Shown(item.text);
                const UINT align = item.align == TextAlign::Center ? DT_CENTER : DT_LEFT;
                DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | align);
                break;
            }
            case DrawKind::Focus:
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                DrawFocusRect(dc, &r);
                break;
        }
        RestoreDC(dc, saved);
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

struct FormWindow {
    HWND hwnd = nullptr;
    HBITMAP buffer = nullptr;  // the client area as last presented
    Size bufferSize;
    // What screen readers see of it; their objects may hold it after the window is gone.
    std::shared_ptr<AccessibleWindow> accessible;
};

}  // namespace

// The window procedure reaches it through the window class, whose one extra
// field holds it while the backend is open.
struct Win32Backend::Impl final : NativeBackendState<FormWindow> {
    using Window = FormWindow;

    Impl() : NativeBackendState("Win32") {}

    HINSTANCE module = nullptr;
    // Hidden; owns the windows of forms kept off the taskbar that are not tool windows.
    HWND parking = nullptr;
    HFONT font = nullptr;
    HDC measure = nullptr;  // a memory DC holding the font
    Size metrics;
    int lineHeight = 0;
    HANDLE wake = nullptr;
    Mode mode = Mode::Driven;
    bool pumpScheduled = false;  // embedded: a pump message or timer is on its way
    bool pumping = false;        // embedded: inside a pump step of ours
    // The thread is in a single-threaded apartment, where screen readers'
    // calls reach the windows' objects (win32_accessible.h).
    bool apartment = false;

    ~Impl() {
        for (auto& [form, window] : TakeWindows()) Release(window);
        // Driven, the apartment is the backend's to leave. Embedded, the
        // component's entry entered it too, and the backend goes when the DLL
        // is unloaded, where the component-object runtime must not be called.
        if (apartment && mode == Mode::Driven) LeaveApartment();
        if (parking) ::DestroyWindow(parking);
        if (measure) DeleteDC(measure);
        if (font) DeleteObject(font);
        if (wake) CloseHandle(wake);
        UnregisterClassW(kClassName, module);
    }

    static Impl* Of(HWND hwnd) { return reinterpret_cast<Impl*>(GetClassLongPtrW(hwnd, 0)); }
    // The window procedure reaches this backend from now on (`attach`), or no longer.
    void Attach(bool attach) { SetClassLongPtrW(parking, 0, attach ? reinterpret_cast<LONG_PTR>(this) : 0); }

    static Form* FormOf(HWND hwnd) { return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

    static void Release(const Window& window) {
        if (window.accessible) window.accessible->Retire();
        SetWindowLongPtrW(window.hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(window.hwnd);
        if (window.buffer) DeleteObject(window.buffer);
    }

    // An error that must go no further than the window procedure (see the
    // header): driven, held for ProcessEvents.
    void Absorb(std::exception_ptr error) noexcept override {
        if (mode == Mode::Driven) {
            NativeBackendBase::Absorb(std::move(error));
            return;
        }
        try {
            std::string what = "an error of unknown type";
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            std::wstring line = L"forms: a window's handler failed and the error was dropped: ";
            const int units = MultiByteToWideChar(CP_UTF8, 0, what.data(), static_cast<int>(what.size()), nullptr, 0);
            const std::size_t at = line.size();
            line.resize(at + static_cast<std::size_t>(std::max(units, 0)));
            MultiByteToWideChar(CP_UTF8, 0, what.data(), static_cast<int>(what.size()), line.data() + at, units);
            line += L'\n';
            OutputDebugStringW(line.c_str());
        } catch (...) {
            // Out of memory for the report: the error is dropped all the same.
        }
    }

    // Embedded: a pump step soon, on the loop that dispatches our messages.
    void SchedulePump() {
        if (mode != Mode::Embedded || pumpScheduled || !parking) return;
        // A posted message comes before input and painting; a timer's after them.
        if (!pumping && PostMessageW(parking, kPumpMessage, 0, 0)) pumpScheduled = true;
        else if (SetTimer(parking, kPumpTimer, USER_TIMER_MINIMUM, nullptr)) pumpScheduled = true;
    }

    void Pump() {
        KillTimer(parking, kPumpTimer);
        pumpScheduled = false;
        pumping = true;
        try {
            Application::DoEvents();
        } catch (...) {
            Absorb(std::current_exception());
            // What the step left undone (the work after the failed one, the repaints).
            SchedulePump();
        }
        pumping = false;
    }

    // After the user moved or sized the window: where the toolkit kept the
    // form elsewhere (its minimum, the desktop's maximum), the window follows.
    void Reconcile(HWND hwnd) {
        Form* form = FormOf(hwnd);
        if (!form) return;
        RECT r;
        GetWindowRect(hwnd, &r);
        const Rectangle bounds = form->Bounds();
        if (bounds == Rectangle(r.left, r.top, r.right - r.left, r.bottom - r.top)) return;
        ToolkitCall call(*this);
        SetWindowPos(hwnd, nullptr, bounds.X, bounds.Y, bounds.Width, bounds.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void Blit(HWND hwnd, HDC target) {
        const Form* form = FormOf(hwnd);
        const Window* found = form ? WindowOf(*form) : nullptr;
        RECT client;
        GetClientRect(hwnd, &client);
        if (!found || !found->buffer) {
            FillRect(target, &client, GetSysColorBrush(COLOR_BTNFACE));
            return;
        }
        const Window& window = *found;
        HDC source = CreateCompatibleDC(target);
        const HGDIOBJ old = SelectObject(source, window.buffer);
        BitBlt(target, 0, 0, window.bufferSize.Width, window.bufferSize.Height, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        // What the buffer does not cover, until the toolkit presents the new size.
        RECT right{window.bufferSize.Width, 0, client.right, client.bottom};
        RECT below{0, window.bufferSize.Height, std::min<LONG>(window.bufferSize.Width, client.right), client.bottom};
        if (right.left < right.right) FillRect(target, &right, GetSysColorBrush(COLOR_BTNFACE));
        if (below.top < below.bottom) FillRect(target, &below, GetSysColorBrush(COLOR_BTNFACE));
    }

    std::shared_ptr<AccessibleWindow> AccessibleOf(HWND hwnd) {
        const Form* form = FormOf(hwnd);
        const Window* window = form ? WindowOf(*form) : nullptr;
        return window ? window->accessible : nullptr;
    }

    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

using Impl = Win32Backend::Impl;
using ToolkitCall = Impl::ToolkitCall;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    Impl* impl = Impl::Of(hwnd);
    if (!impl) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return impl->Handle(hwnd, message, wParam, lParam);
    } catch (...) {
        // Never into the system's frames (see the header).
        impl->Absorb(std::current_exception());
        return 0;
    }
}

}  // namespace

LRESULT Win32Backend::Impl::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == parking && (message == kPumpMessage || (message == WM_TIMER && wParam == kPumpTimer))) {
        Pump();
        return 0;
    }
    switch (message) {
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        case WM_ERASEBKGND: return 1;  // the buffer covers it
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            Blit(hwnd, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Blit(hwnd, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_GETMINMAXINFO:
            if (const Form* form = FormOf(hwnd)) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                const Size least = form->MinimumSize();
                if (least.Width > 0) info->ptMinTrackSize.x = least.Width;
                if (least.Height > 0) info->ptMinTrackSize.y = least.Height;
                const Size most = form->MaximumTrackSize();
                info->ptMaxTrackSize = {most.Width, most.Height};
                return 0;
            }
            break;
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            const bool moved = !(pos->flags & SWP_NOMOVE);
            const bool sized = !(pos->flags & SWP_NOSIZE);
            if (!moved && !sized) return 0;
            RECT r;
            GetWindowRect(hwnd, &r);
            if (moved) Deliver(FormOf(hwnd), [&](Form& form) { input::MoveWindow(form, {r.left, r.top}); });
            if (sized) Deliver(FormOf(hwnd), [&](Form& form) { input::ResizeWindow(form, {r.right - r.left, r.bottom - r.top}); });
            if (!InToolkitCall()) Reconcile(hwnd);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) Deliver(FormOf(hwnd), [](Form& form) { input::ActivateWindow(form); });
            break;
        case WM_LBUTTONDOWN: {
            Keys modifiers = Keys::None;
            if (wParam & MK_SHIFT) modifiers = modifiers | Keys::Shift;
            if (wParam & MK_CONTROL) modifiers = modifiers | Keys::Control;
            const Point at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            Deliver(FormOf(hwnd), [&](Form& form) { input::Click(form, at, modifiers); });
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const Keys key = static_cast<Keys>(wParam & 0xFFFF) | HeldModifiers();
            Deliver(FormOf(hwnd), [&](Form& form) { input::KeyDown(form, key); });
            // Alt+F4 and the system menu keys stay the system's.
            if (message == WM_SYSKEYDOWN) break;
            return 0;
        }
        case WM_CLOSE:
            Deliver(FormOf(hwnd), [](Form& form) { input::CloseWindow(form); });
            return 0;
        case WM_GETOBJECT:
            if (apartment)
                if (const std::shared_ptr<AccessibleWindow> accessible = AccessibleOf(hwnd))
                    if (const LRESULT object = accessible->Answer(wParam, lParam)) return object;
            break;
        case AccessibleWindow::kRequestMessage:
            if (const std::shared_ptr<AccessibleWindow> accessible = AccessibleOf(hwnd)) accessible->RunRequest();
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::unique_ptr<Win32Backend> Win32Backend::Open(Mode mode) {
    auto impl = std::make_unique<Impl>();
    impl->mode = mode;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&WindowProc), &impl->module);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = sizeof(Impl*);
    windowClass.hInstance = impl->module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return nullptr;
    // Without a desktop to draw on, no window can be made, not even a hidden one.
    impl->parking = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, impl->module, nullptr);
    if (!impl->parking) return nullptr;

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        impl->font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (!impl->font) {
        LOGFONTW dialog{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof dialog, &dialog);
        impl->font = CreateFontIndirectW(&dialog);
    }
    impl->measure = CreateCompatibleDC(nullptr);
    SelectObject(impl->measure, impl->font);
    TEXTMETRICW tm{};
    GetTextMetricsW(impl->measure, &tm);
    const std::wstring letters(kAverageWidthLetters.begin(), kAverageWidthLetters.end());
    SIZE extent{};
    GetTextExtentPoint32W(impl->measure, letters.data(), static_cast<int>(letters.size()), &extent);
    impl->lineHeight = static_cast<int>(tm.tmHeight);
    impl->metrics = {average_char_width(extent.cx), impl->lineHeight};
    impl->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    impl->apartment = EnterApartment();
    impl->Attach(true);
    return std::unique_ptr<Win32Backend>(new Win32Backend(std::move(impl)));
}

Win32Backend::Win32Backend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Win32Backend::~Win32Backend() {
    // First: what the windows hear while they go is no input for the toolkit.
    impl_->Attach(false);
    impl_.reset();
}

Size Win32Backend::FontMetrics() { return impl_->metrics; }

Size Win32Backend::MeasureText(const String& text) {
    const std::wstring shown = Shown(text);
    SIZE extent{};
    GetTextExtentPoint32W(impl_->measure, shown.data(), static_cast<int>(shown.size()), &extent);
    return {static_cast<int>(extent.cx), impl_->lineHeight};
}

namespace {
// A system callback: 32-bit Windows calls it with the stdcall convention,
// which a lambda's function pointer does not have.
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& b = info.rcMonitor;
    const RECT& w = info.rcWork;
    AddScreen(*reinterpret_cast<std::vector<Screen>*>(data),
              {{b.left, b.top, b.right - b.left, b.bottom - b.top}, {w.left, w.top, w.right - w.left, w.bottom - w.top}},
              (info.dwFlags & MONITORINFOF_PRIMARY) != 0);
    return TRUE;
}
}  // namespace

std::vector<Screen> Win32Backend::Screens() {
    std::vector<Screen> screens;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&screens));
    return screens;
}

std::optional<Padding> Win32Backend::WindowFrame(const Form& form) {
    const Styles s = StylesOf(form);
    RECT r{0, 0, 0, 0};
    if (!AdjustWindowRectEx(&r, s.style, FALSE, s.exStyle)) return std::nullopt;
    return Padding(static_cast<int>(-r.left), static_cast<int>(-r.top), static_cast<int>(r.right), static_cast<int>(r.bottom));
}

void Win32Backend::CreateWindow(Form& form) {
    ToolkitCall call(*impl_);
    const Styles s = StylesOf(form);
    // Off the taskbar: a tool window never shows there; another window does when it has no owner.
    const WindowBoxes boxes = WindowBoxes::Of(form);
    HWND owner = !boxes.taskbar && !boxes.tool ? impl_->parking : nullptr;
    const Rectangle b = form.Bounds();
    HWND hwnd = CreateWindowExW(s.exStyle, kClassName, L"", s.style, b.X, b.Y, b.Width, b.Height, owner, nullptr, impl_->module, &form);
    if (!hwnd) throw std::runtime_error("cannot create a window (system error " + std::to_string(GetLastError()) + ")");
    Impl::Window& window = impl_->AddWindow(form);
    window.hwnd = hwnd;
    window.accessible = std::make_shared<AccessibleWindow>(hwnd, form, *impl_);
}

void Win32Backend::DestroyWindow(Form& form) {
    ToolkitCall call(*impl_);
    if (const std::optional<Impl::Window> window = impl_->TakeWindow(form)) Impl::Release(*window);
}

void Win32Backend::SetWindowBounds(Form& form, Rectangle outer) {
    ToolkitCall call(*impl_);
    if (Impl::Window* w = impl_->WindowOf(form))
        SetWindowPos(w->hwnd, nullptr, outer.X, outer.Y, outer.Width, outer.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Backend::SetWindowVisible(Form& form, bool visible) {
    ToolkitCall call(*impl_);
    // Showing does not activate: the toolkit activates when it is ready.
    if (Impl::Window* w = impl_->WindowOf(form)) ShowWindow(w->hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Backend::SetWindowText(Form& form, const String& text) {
    ToolkitCall call(*impl_);
    if (Impl::Window* w = impl_->WindowOf(form)) SetWindowTextW(w->hwnd, Shown(text).c_str());
}

void Win32Backend::ActivateWindow(Form& form) {
    ToolkitCall call(*impl_);
    if (Impl::Window* w = impl_->WindowOf(form)) {
        SetForegroundWindow(w->hwnd);
        SetActiveWindow(w->hwnd);
        SetFocus(w->hwnd);
    }
}

void Win32Backend::Present(Form& form, const DisplayList& list) {
    Impl::Window* w = impl_->WindowOf(form);
    if (!w) return;
    const Size client = form.ClientSize();
    const Size size{std::max(client.Width, 1), std::max(client.Height, 1)};
    if (!w->buffer || w->bufferSize != size) {
        if (w->buffer) DeleteObject(w->buffer);
        HDC screen = GetDC(w->hwnd);
        w->buffer = CreateCompatibleBitmap(screen, size.Width, size.Height);
        ReleaseDC(w->hwnd, screen);
        w->bufferSize = size;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, w->buffer);
    Paint(dc, list, impl_->font);
    SelectObject(dc, old);
    DeleteDC(dc);
    InvalidateRect(w->hwnd, nullptr, FALSE);
}

std::optional<Picture> Win32Backend::Capture(Form& form) {
    Impl::Window* w = impl_->WindowOf(form);
    if (!w) return std::nullopt;
    RECT client;
    GetClientRect(w->hwnd, &client);
    const int width = static_cast<int>(client.right), height = static_cast<int>(client.bottom);
    if (width <= 0 || height <= 0) return std::nullopt;
    HDC screen = GetDC(w->hwnd);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const bool printed = PrintWindow(w->hwnd, dc, PW_CLIENTONLY) != 0;
    SelectObject(dc, old);
    Picture picture{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const bool read = printed && GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), picture.argb.data(), &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(w->hwnd, screen);
    if (!read) return std::nullopt;
    // 32-bit DIB pixels are 0x00RRGGBB: opaque.
    for (std::uint32_t& pixel : picture.argb) pixel |= 0xFF000000u;
    return picture;
}

void Win32Backend::Notify(Form& form, const accessibility::Notice& notice) {
    ToolkitCall call(*impl_);
    if (Impl::Window* w = impl_->WindowOf(form); w && w->accessible) w->accessible->Notify(notice);
}

void Win32Backend::PumpRequested() { impl_->SchedulePump(); }

bool Win32Backend::ProcessEvents() {
    return impl_->RunEvents([] {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return true;
    });
}

void Win32Backend::WaitForEvents() {
    MsgWaitForMultipleObjectsEx(1, &impl_->wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32Backend::Wake() { SetEvent(impl_->wake); }

void* Win32Backend::NativeWindow(const Form& form) const {
    const Impl::Window* w = impl_->WindowOf(form);
    return w ? w->hwnd : nullptr;
}

}  // namespace forms
