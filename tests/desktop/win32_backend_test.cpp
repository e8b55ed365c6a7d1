// The Win32 backend on a desktop (desktop_test.sh runs this program on a
// virtual display): the native window has the form's styles and the system's
// frame, input posted to it reaches the toolkit, the toolkit's own requests
// are not handed back as input, a handler's error comes out of the event
// loop, Capture reads back what Present drew, and a screen reader's requests
// (MSAA, read in this process) wait for the window's own queue.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "forms/forms.h"
#include "forms/win32_backend.h"
#include "picker_form.h"

#include <windows.h>
#include <ole2.h>
#include <oleacc.h>
// windows.h makes these names macros; here they are the toolkit's.
#undef CreateWindow
#undef SetWindowText

namespace {

using forms::Keys;
using forms::Point;
using forms::Rectangle;
using forms::Size;

LPARAM At(Point p) { return MAKELPARAM(p.X, p.Y); }

std::uint32_t Colour(int index) {
    const COLORREF c = GetSysColor(index);
    return 0xFF000000u | static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
}

class Win32BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend = forms::Win32Backend::Open();
        if (!backend) GTEST_SKIP() << "no desktop to draw on";
        forms::Application::SetBackend(backend.get());
        form = new Picker();
        form->Show();
        hwnd = static_cast<HWND>(backend->NativeWindow(*form));
        ASSERT_NE(hwnd, nullptr);
        Settle();
    }
    void TearDown() override {
        forms::Application::Shutdown();
        backend.reset();
    }
    // What the window system has queued, and what the toolkit then has to do.
    void Settle() {
        for (int turn = 0; turn < 100; ++turn) {
            const bool events = backend->ProcessEvents();
            if (!forms::Application::DoEvents() && !events) return;
        }
    }
    void Post(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        PostMessageW(hwnd, message, wParam, lParam);
        Settle();
    }

    // Milliseconds a WaitForEvents takes. A wait still blocked after 15
    // seconds, as one whose wake was lost would be until the test's time-out,
    // is ended by another way than Wake (a message posted to this thread), so
    // that it shows as a wait far beyond wake_bound_ms.
    long long TimedWait() {
        const DWORD thread = GetCurrentThreadId();
        std::mutex mutex;
        std::condition_variable returned;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            while (!returned.wait_for(lock, std::chrono::seconds(15), [&] { return done; })) {
                PostThreadMessageW(thread, WM_NULL, 0, 0);
            }
        });
        const auto start = std::chrono::steady_clock::now();
        backend->WaitForEvents();
        const auto waited = std::chrono::steady_clock::now() - start;
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        returned.notify_one();
        watchdog.join();
        return std::chrono::duration_cast<std::chrono::milliseconds>(waited).count();
    }
    // Far beyond what a wake takes on a loaded machine, far below the watchdog's 15 seconds.
    static constexpr long long wake_bound_ms = 5000;

    std::unique_ptr<forms::Win32Backend> backend;
    Picker* form = nullptr;
    HWND hwnd = nullptr;
};

TEST_F(Win32BackendTest, TheWindowHasTheFormsStylesAndTheSystemsFrame) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    EXPECT_EQ(form->ClientInsets(), forms::Padding(-frame.left, -frame.top, frame.right, frame.bottom));
    RECT client, outer;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(Size(client.right, client.bottom), Size(160, 120));
    EXPECT_EQ(Rectangle(outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top), form->Bounds());
    wchar_t title[16] = {};
    GetWindowTextW(hwnd, title, 16);
    EXPECT_EQ(std::wstring(title), L"Picker");
}

TEST_F(Win32BackendTest, ClicksKeysAndTheCloseBoxReachTheToolkit) {
    Post(WM_LBUTTONDOWN, 0, At(form->Line(2)));
    Post(WM_LBUTTONDOWN, MK_SHIFT, At(form->Line(4)));
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{2, 3, 4}));
    Post(WM_LBUTTONDOWN, MK_CONTROL, At(form->Line(3)));
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{2, 4}));
    Post(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{4}));
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(form->closeButton->Focused());

    bool cancel = true;
    form->FormClosing += [&](forms::Object&, forms::FormClosingEventArgs& e) { e.Cancel = cancel; };
    Post(WM_CLOSE, 0);
    EXPECT_TRUE(IsWindow(hwnd)) << "a closing handler may keep the window";
    cancel = false;
    Post(WM_CLOSE, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(forms::Application::OpenForms().empty());
}

TEST_F(Win32BackendTest, MovesAndSizesFromOutsideReachTheToolkitAndItsOwnMoveIsOneEvent) {
    int moves = 0;
    form->Move += [&](forms::Object&, const forms::EventArgs&) { ++moves; };
    SetWindowPos(hwnd, nullptr, 200, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(std::make_pair(form->Location(), moves), std::make_pair(Point(200, 210), 1));
    form->SetLocation({300, 310});
    RECT outer;
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(std::make_tuple(outer.left, outer.top, moves), std::make_tuple(300L, 310L, 2)) << "one Move for one move";
    // Made smaller than its minimum from outside, the window comes back to it.
    SetWindowPos(hwnd, nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(std::make_pair(form->Size(), Size(outer.right - outer.left, outer.bottom - outer.top)), std::make_pair(Size(100, 80), Size(100, 80)));
    MINMAXINFO limits{};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(std::make_pair(Size(limits.ptMinTrackSize.x, limits.ptMinTrackSize.y), Size(limits.ptMaxTrackSize.x, limits.ptMaxTrackSize.y)),
              std::make_pair(Size(100, 80), form->MaximumTrackSize()));
}

TEST_F(Win32BackendTest, AHandlersErrorComesOutOfTheEventLoopWhichGoesOn) {
    form->list->KeyDown += [](forms::Object&, forms::KeyEventArgs& e) {
        if (e.KeyCode == Keys::F1) throw std::runtime_error("the handler failed");
    };
    PostMessageW(hwnd, WM_KEYDOWN, VK_F1, 0);
    EXPECT_THROW(backend->ProcessEvents(), std::runtime_error);
    Post(WM_KEYDOWN, VK_END);
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{5}));
}

TEST_F(Win32BackendTest, CaptureReadsBackWhatPresentDrew) {
    form->list->SetSelected(1, true);
    Settle();
    const std::optional<forms::Picture> picture = backend->Capture(*form);
    ASSERT_TRUE(picture);
    ASSERT_EQ(Size(picture->width, picture->height), Size(160, 120));
    const Point selected = form->Line(1), plain = form->Line(4);
    // Left of the text, inside the list's border.
    EXPECT_EQ(picture->At(3, selected.Y), Colour(COLOR_HIGHLIGHT));
    EXPECT_EQ(picture->At(3, plain.Y), Colour(COLOR_WINDOW));
    // Between the list and the button row: the form's face.
    EXPECT_EQ(picture->At(100, 92), Colour(COLOR_BTNFACE));
}

TEST_F(Win32BackendTest, TheToolkitsOwnActivationsDoNotComeBackAsInput) {
    const auto [other, counts] = ActivateInARow(*form, [this] { Settle(); });
    EXPECT_EQ(forms::Application::ActiveForm(), other);
    EXPECT_EQ(counts, std::make_pair(1, 1)) << "only the toolkit's own activations";
}

TEST_F(Win32BackendTest, AWakeEndsAWaitFromAnotherThreadAndIsKeptUntilOne) {
    backend->Wake();
    EXPECT_LT(TimedWait(), wake_bound_ms) << "the wake came first: the wait ends at once";
    std::atomic<bool> woken = false;
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        woken = true;
        backend->Wake();
    });
    // Another event may end a wait before the wake; a wake that every wait
    // after it still saw would end thousands.
    long long waited = TimedWait();
    int waits = 1;
    for (; !woken; ++waits) waited += TimedWait();
    waker.join();
    EXPECT_LT(waited, wake_bound_ms) << "the wake from the other thread ends the wait";
    EXPECT_LT(waits, 100) << "the first wake ended one wait, not every one after it";
}

VARIANT ChildId(LONG id) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = id;
    return v;
}

TEST_F(Win32BackendTest, AScreenReadersRequestsWaitForTheWindowsQueueAndItsObjectsOutliveTheWindow) {
    IAccessible* client = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&client)), S_OK);
    IDispatch* listObject = nullptr;
    ASSERT_EQ(client->get_accChild(ChildId(1), &listObject), S_OK);
    IAccessible* list = nullptr;
    ASSERT_EQ(listObject->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&list)), S_OK);

    // Nothing happens inside the client's call; the line ids it gave follow
    // their lines until the requests run, and one whose line went is dropped.
    EXPECT_EQ(list->accSelect(SELFLAG_TAKESELECTION, ChildId(5)), S_OK);
    EXPECT_EQ(list->accSelect(SELFLAG_ADDSELECTION, ChildId(6)), S_OK);
    EXPECT_EQ(list->accSelect(SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION, ChildId(1)), E_INVALIDARG);
    EXPECT_TRUE(form->list->SelectedIndices().empty());
    form->list->Items.RemoveAt(5);
    form->list->Items.RemoveAt(0);
    Settle();
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{3})) << "line 5, now the fourth; line 6 went";

    // A handler's error from a request comes out of the event loop, as a click's does.
    form->closeButton->Click += [](forms::Object&, const forms::EventArgs&) { throw std::runtime_error("the handler failed"); };
    EXPECT_EQ(client->accDoDefaultAction(ChildId(2)), S_OK);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_THROW(backend->ProcessEvents(), std::runtime_error);
    Settle();
    EXPECT_FALSE(IsWindow(hwnd)) << "the Close button's own handler ran first";

    // What a client still holds answers as cut off, and lets go cleanly.
    LONG count = 0;
    BSTR name = nullptr;
    const HRESULT fromClient = client->get_accChildCount(&count), fromList = list->get_accName(ChildId(1), &name);
    EXPECT_TRUE(fromClient == CO_E_OBJNOTCONNECTED || fromClient == RPC_E_DISCONNECTED) << std::hex << fromClient;
    EXPECT_TRUE(fromList == CO_E_OBJNOTCONNECTED || fromList == RPC_E_DISCONNECTED) << std::hex << fromList;
    EXPECT_EQ(name, nullptr);
    list->Release();
    listObject->Release();
    client->Release();
}

}  // namespace
