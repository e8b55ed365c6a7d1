// The toolkit as the component's DLL holds it on Windows (the static copy,
// linked in here as it is there): nobody installs a backend into it or pumps
// it. This program runs a plain message loop of its own, as a player does,
// and the toolkit has to do the rest by itself. desktop_test.sh runs the
// EmbeddedToolkit tests on a virtual display; WithoutADesktop runs with none.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/forms.h"
#include "forms/win32_backend.h"
#include "picker_form.h"

#include <windows.h>
// windows.h makes these names macros; here they are the toolkit's.
#undef CreateWindow
#undef SetWindowText

namespace {

using forms::Keys;
using forms::Point;

// What went to OutputDebugStringW, which raises an exception for a debugger
// to see (Wine raises the narrow one only); and the exceptions that came out
// of DispatchMessageW, which must be none.
std::string g_debugOutput;
int g_escaped = 0;

LONG CALLBACK SeeDebugOutput(EXCEPTION_POINTERS* p_info) {
    const EXCEPTION_RECORD& record = *p_info->ExceptionRecord;
    if (record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const std::size_t length = record.ExceptionInformation[0];
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C) {
        g_debugOutput.append(reinterpret_cast<const char*>(record.ExceptionInformation[1]), length);
    } else if (record.ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C) {
        const auto* text = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
        for (std::size_t i = 0; i < length; ++i) g_debugOutput += static_cast<char>(text[i] < 0x80 ? text[i] : L'?');
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// The program's own loop, which knows nothing of the toolkit, until `p_done`
// holds or five seconds have passed.
bool LoopUntil(const std::function<bool()>& p_done) {
    const UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);  // GetMessage returns to look at p_done
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    MSG msg;
    while (!p_done() && std::chrono::steady_clock::now() < deadline && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        try {
            DispatchMessageW(&msg);
        } catch (...) {
            ++g_escaped;
        }
    }
    KillTimer(nullptr, tick);
    return p_done();
}

LPARAM At(Point p) { return MAKELPARAM(p.X, p.Y); }

class EmbeddedToolkit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(forms::Application::GetBackend(), nullptr) << "nobody installs one";
        form = new Picker();
        if (!forms::Application::GetBackend()) GTEST_SKIP() << "no desktop to draw on";
        backend = dynamic_cast<forms::Win32Backend*>(forms::Application::GetBackend());
        ASSERT_NE(backend, nullptr) << "the first form installed the Win32 backend";
        form->Show();
        hwnd = static_cast<HWND>(backend->NativeWindow(*form));
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(LoopUntil([&] { return Shows(0, GetSysColor(COLOR_WINDOW)); })) << "the first picture";
    }
    void TearDown() override { forms::Application::Shutdown(); }

    // Whether the window shows `p_colour` at the left end of list line `p_line`, inside the border.
    bool Shows(int p_line, COLORREF p_colour) const {
        HDC dc = GetDC(hwnd);
        const COLORREF shown = GetPixel(dc, 3, form->Line(p_line).Y);
        ReleaseDC(hwnd, dc);
        return shown == p_colour;
    }

    Picker* form = nullptr;
    forms::Win32Backend* backend = nullptr;
    HWND hwnd = nullptr;
};

TEST_F(EmbeddedToolkit, InputReachesTheFormsAndTheWindowRepaintsOnTheProgramsLoop) {
    PostMessageW(hwnd, WM_LBUTTONDOWN, 0, At(form->Line(1)));
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_SHIFT, At(form->Line(3)));
    EXPECT_TRUE(LoopUntil([&] { return form->list->SelectedIndices() == std::vector<int>{1, 2, 3}; }));
    EXPECT_TRUE(LoopUntil([&] { return Shows(3, GetSysColor(COLOR_HIGHLIGHT)) && Shows(4, GetSysColor(COLOR_WINDOW)); }))
        << "the selection drawn: the toolkit repainted from a message of its own";
    PostMessageW(hwnd, WM_KEYDOWN, VK_END, 0);
    EXPECT_TRUE(LoopUntil([&] { return form->list->SelectedIndices() == std::vector<int>{5}; }));
    EXPECT_TRUE(LoopUntil([&] { return Shows(5, GetSysColor(COLOR_HIGHLIGHT)) && Shows(3, GetSysColor(COLOR_WINDOW)); }));
    PostMessageW(hwnd, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(LoopUntil([&] { return form->closeButton->Focused(); }));
}

TEST_F(EmbeddedToolkit, AHandlersErrorStaysInTheWindowProcedureAndTheWindowGoesOn) {
    PVOID seer = AddVectoredExceptionHandler(1, SeeDebugOutput);
    g_debugOutput.clear();
    g_escaped = 0;
    form->list->KeyDown += [](forms::Object&, forms::KeyEventArgs& e) {
        if (e.KeyCode == Keys::F1) throw std::runtime_error("the F1 handler failed");
    };
    bool after = false;
    forms::Application::Post([] { throw std::runtime_error("the posted work failed"); });
    forms::Application::Post([&] { after = true; });
    EXPECT_TRUE(LoopUntil([&] { return after; })) << "the work posted after the failing work ran";
    PostMessageW(hwnd, WM_KEYDOWN, VK_F1, 0);
    PostMessageW(hwnd, WM_KEYDOWN, VK_END, 0);
    EXPECT_TRUE(LoopUntil([&] { return form->list->SelectedIndices() == std::vector<int>{5} && Shows(5, GetSysColor(COLOR_HIGHLIGHT)); }))
        << "the key after the failing key moved the selection, and the window shows it";
    RemoveVectoredExceptionHandler(seer);
    EXPECT_EQ(g_escaped, 0) << "an error left DispatchMessageW";
    EXPECT_NE(g_debugOutput.find("the F1 handler failed"), std::string::npos) << "debug output: " << g_debugOutput;
    EXPECT_NE(g_debugOutput.find("the posted work failed"), std::string::npos) << "debug output: " << g_debugOutput;
}

TEST_F(EmbeddedToolkit, TheCloseBoxClosesAndFreesTheForm) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(LoopUntil([&] { return forms::Application::LiveFormCount() == 0; }));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(EmbeddedToolkit, AFormClosedOutsideAnyInputIsFreedOnTheProgramsLoop) {
    form->Close();  // as the component's shut-down call does, from the player
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(forms::Application::LiveFormCount(), 1) << "freed at a safe point, not during Close";
    EXPECT_TRUE(LoopUntil([&] { return forms::Application::LiveFormCount() == 0; }));
}

// No window can be made: the forms stay headless, as the host's are with
// --headless. Input still works through the toolkit's own functions, and a
// form closed by it is freed when that input returns.
TEST(WithoutADesktop, TheFormsStayHeadless) {
    auto* form = new Picker();
    if (forms::Application::GetBackend()) GTEST_SKIP() << "there is a desktop here";
    form->Show();
    forms::input::Click(*form, form->Line(2));
    EXPECT_EQ(form->list->SelectedIndices(), std::vector<int>{2});
    forms::input::KeyDown(*form, Keys::Escape);
    EXPECT_EQ(forms::Application::LiveFormCount(), 0);
    forms::Application::Shutdown();
}

}  // namespace
