// The GTK backend on an X display with no window manager (gtk_desktop_test.sh
// runs this program on a virtual display): the window has the form's hints,
// input sent to it reaches the toolkit, moves and sizes from outside too, so
// does activation, a handler's error comes out of the event loop, and what
// Capture draws is what the window shows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "forms/forms.h"
#include "forms/gtk_backend.h"
#include "picker_form.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
// Xlib's macros that are the toolkit's names here.
#undef None

namespace {

using forms::Keys;
using forms::Point;
using forms::Rectangle;
using forms::Size;

class GtkBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend = forms::GtkBackend::Open();
        if (!backend) GTEST_SKIP() << "no X display to draw on";
        forms::Application::SetBackend(backend.get());
        form = new Picker();
        form->Show();
        window = static_cast<GtkWidget*>(backend->NativeWindow(*form));
        ASSERT_NE(window, nullptr);
        Settle();
    }
    void TearDown() override {
        forms::Application::Shutdown();
        backend.reset();
    }
    // What the X server has for us, and what the toolkit then has to do.
    void Settle() {
        for (int round = 0; round < 3; ++round) {
            gdk_display_sync(gdk_display_get_default());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            for (int turn = 0; turn < 100; ++turn) {
                const bool events = backend->ProcessEvents();
                if (!forms::Application::DoEvents() && !events) break;
            }
        }
    }
    GdkWindow* Client() const { return gtk_widget_get_window(gtk_bin_get_child(GTK_BIN(window))); }
    // Input as GDK hands it on: put in its queue, dispatched by the event loop.
    static void Put(GdkEvent* event, GdkDevice* device) {
        gdk_event_set_device(event, device);
        gdk_event_put(event);
        gdk_event_free(event);
    }
    static GdkSeat* Seat() { return gdk_display_get_default_seat(gdk_display_get_default()); }
    void ClickAt(Point at, GdkModifierType modifiers = static_cast<GdkModifierType>(0)) {
        for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
            GdkEvent* event = gdk_event_new(type);
            event->button.window = GDK_WINDOW(g_object_ref(Client()));
            event->button.x = at.X;
            event->button.y = at.Y;
            event->button.button = 1;
            event->button.state = modifiers;
            event->button.time = GDK_CURRENT_TIME;
            Put(event, gdk_seat_get_pointer(Seat()));
        }
        Settle();
    }
    void Press(guint keyval, GdkModifierType modifiers = static_cast<GdkModifierType>(0)) {
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
        event->key.keyval = keyval;
        event->key.state = modifiers;
        event->key.time = GDK_CURRENT_TIME;
        Put(event, gdk_seat_get_keyboard(Seat()));
    }
    void CloseButton() {
        GdkEvent* event = gdk_event_new(GDK_DELETE);
        event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
        gdk_event_put(event);
        gdk_event_free(event);
        Settle();
    }
    ::Window Xid() const { return GDK_WINDOW_XID(gtk_widget_get_window(window)); }
    Display* X() const { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }
    Rectangle OnServer() const {
        ::Window root = 0, child = 0;
        int x = 0, y = 0, screenX = 0, screenY = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        XGetGeometry(X(), Xid(), &root, &x, &y, &width, &height, &border, &depth);
        XTranslateCoordinates(X(), Xid(), root, 0, 0, &screenX, &screenY, &child);
        return {screenX, screenY, static_cast<int>(width), static_cast<int>(height)};
    }

    // Milliseconds a WaitForEvents takes. A wait still blocked after 15
    // seconds, as one whose wake was lost would be until the test's time-out,
    // is ended by another way than Wake (an idle callback), so that it shows
    // as a wait far beyond wake_bound_ms.
    long long TimedWait() {
        std::mutex mutex;
        std::condition_variable returned;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            while (!returned.wait_for(lock, std::chrono::seconds(15), [&] { return done; })) {
                g_idle_add([](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
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

    std::unique_ptr<forms::GtkBackend> backend;
    Picker* form = nullptr;
    GtkWidget* window = nullptr;
};

TEST_F(GtkBackendTest, TheWindowHasTheFormsHintsAndWithNoWindowManagerNoFrame) {
    GtkWindow* w = GTK_WINDOW(window);
    EXPECT_EQ(gtk_window_get_type_hint(w), GDK_WINDOW_TYPE_HINT_UTILITY);
    EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(w) && gtk_window_get_skip_pager_hint(w));
    EXPECT_TRUE(gtk_window_get_resizable(w));
    EXPECT_EQ(std::string(gtk_window_get_title(w)), "Picker");
    EXPECT_EQ(form->ClientInsets(), forms::Padding(0, 0, 0, 0));
    EXPECT_EQ(OnServer(), Rectangle(50, 60, 160, 120)) << "the X window is the client area and the whole window";
    EXPECT_EQ(form->Bounds(), Rectangle(50, 60, 160, 120));
}

TEST_F(GtkBackendTest, ClicksKeysAndTheCloseButtonReachTheToolkit) {
    ClickAt(form->Line(2));
    ClickAt(form->Line(4), GDK_SHIFT_MASK);
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{2, 3, 4}));
    ClickAt(form->Line(3), GDK_CONTROL_MASK);
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{2, 4}));
    Press(GDK_KEY_Down);
    Settle();
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{4}));
    Press(GDK_KEY_Up, GDK_SHIFT_MASK);
    Settle();
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{3, 4})) << "Shift+Up extends from the anchor";
    Press(GDK_KEY_Tab);
    Settle();
    EXPECT_TRUE(form->closeButton->Focused());

    bool cancel = true;
    form->FormClosing += [&](forms::Object&, forms::FormClosingEventArgs& e) { e.Cancel = cancel; };
    CloseButton();
    EXPECT_EQ(forms::Application::OpenForms().size(), 1u) << "a closing handler may keep the window";
    cancel = false;
    CloseButton();
    EXPECT_TRUE(forms::Application::OpenForms().empty());
    EXPECT_EQ(backend->NativeWindow(*form), nullptr);
}

TEST_F(GtkBackendTest, MovesAndSizesFromOutsideReachTheToolkitWhichKeepsItsMinimum) {
    int moves = 0;
    form->Move += [&](forms::Object&, const forms::EventArgs&) { ++moves; };
    XMoveWindow(X(), Xid(), 200, 210);
    Settle();
    EXPECT_EQ(form->Location(), Point(200, 210));
    EXPECT_EQ(moves, 1);
    form->SetLocation({300, 310});
    Settle();
    EXPECT_EQ(OnServer().Location(), Point(300, 310));
    EXPECT_EQ(moves, 2) << "the window's report of the toolkit's own move is no second move";
    // Made smaller than its minimum from outside, the window comes back to it.
    XResizeWindow(X(), Xid(), 20, 20);
    Settle();
    EXPECT_EQ(form->Size(), Size(100, 80));
    EXPECT_EQ(OnServer().Size(), Size(100, 80));
}

TEST_F(GtkBackendTest, AHandlersErrorComesOutOfTheEventLoopWhichGoesOn) {
    form->list->KeyDown += [](forms::Object&, forms::KeyEventArgs& e) {
        if (e.KeyCode == Keys::F1) throw std::runtime_error("the handler failed");
    };
    Press(GDK_KEY_F1);
    gdk_display_sync(gdk_display_get_default());
    bool thrown = false;
    for (int turn = 0; turn < 50 && !thrown; ++turn) {
        try {
            backend->ProcessEvents();
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(thrown);
    Press(GDK_KEY_End);
    Settle();
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{5}));
}

TEST_F(GtkBackendTest, CaptureIsWhatTheWindowShows) {
    form->list->SetSelected(1, true);
    Settle();
    const std::optional<forms::Picture> picture = backend->Capture(*form);
    ASSERT_TRUE(picture);
    ASSERT_EQ(Size(picture->width, picture->height), Size(160, 120));
    GdkPixbuf* shown = gdk_pixbuf_get_from_window(Client(), 0, 0, 160, 120);
    ASSERT_NE(shown, nullptr);
    const int stride = gdk_pixbuf_get_rowstride(shown), channels = gdk_pixbuf_get_n_channels(shown);
    const guchar* pixels = gdk_pixbuf_get_pixels(shown);
    int differ = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const guchar* p = pixels + y * stride + x * channels;
            const std::uint32_t rgb = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
            if ((picture->At(x, y) & 0xFFFFFF) != rgb) ++differ;
        }
    g_object_unref(shown);
    EXPECT_EQ(differ, 0);
    // The selected line is not drawn as a plain one.
    EXPECT_NE(picture->At(3, form->Line(1).Y), picture->At(3, form->Line(4).Y));
}

TEST_F(GtkBackendTest, AWindowTheUserBringsToTheFrontIsTheActiveForm) {
    auto* other = new Picker();
    other->SetLocation({300, 60});
    other->Show();
    Settle();
    ASSERT_EQ(forms::Application::ActiveForm(), other);
    GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
    event->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->focus_change.in = TRUE;
    Put(event, gdk_seat_get_keyboard(Seat()));
    Settle();
    EXPECT_EQ(forms::Application::ActiveForm(), form);
}

TEST_F(GtkBackendTest, TheToolkitsOwnActivationsDoNotComeBackAsInput) {
    const auto [other, counts] = ActivateInARow(*form, [this] { Settle(); });
    EXPECT_EQ(forms::Application::ActiveForm(), other);
    EXPECT_EQ(counts, std::make_pair(1, 1)) << "only the toolkit's own activations";
}

TEST_F(GtkBackendTest, AWakeEndsAWaitFromAnotherThreadAndIsKeptUntilOne) {
    Settle();
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

// What a screen reader reads, in the process: the client area's accessible
// holds the tree, objects renumber with the lines and a removed line's goes
// defunct, and requests wait for the event loop.
TEST_F(GtkBackendTest, TheClientAreasAccessibleReadsTheTreeAndRequestsWaitForTheLoop) {
    AtkObject* area = gtk_widget_get_accessible(gtk_bin_get_child(GTK_BIN(window)));
    ASSERT_EQ(atk_object_get_n_accessible_children(area), 2) << "the list and the Close button";
    AtkObject* list = atk_object_ref_accessible_child(area, 0);
    AtkObject* close = atk_object_ref_accessible_child(area, 1);
    ASSERT_EQ(atk_object_get_role(list), ATK_ROLE_LIST);
    ASSERT_EQ(atk_object_get_role(close), ATK_ROLE_PUSH_BUTTON);
    EXPECT_EQ(atk_object_get_parent(list), area);
    AtkObject* two = atk_object_ref_accessible_child(list, 1);
    AtkObject* three = atk_object_ref_accessible_child(list, 2);
    EXPECT_EQ(std::string(atk_object_get_name(three)), "three");
    const auto has = [](AtkObject* object, AtkStateType state) {
        AtkStateSet* set = atk_object_ref_state_set(object);
        const bool held = atk_state_set_contains_state(set, state);
        g_object_unref(set);
        return held;
    };
    // Line 1 at the middle of its row, in screen coordinates.
    gint x = 0, y = 0, width = 0, height = 0;
    atk_component_get_extents(ATK_COMPONENT(two), &x, &y, &width, &height, ATK_XY_SCREEN);
    AtkObject* hit = atk_component_ref_accessible_at_point(ATK_COMPONENT(list), x + width / 2, y + height / 2, ATK_XY_SCREEN);
    EXPECT_EQ(hit, two);
    if (hit) g_object_unref(hit);

    EXPECT_TRUE(atk_selection_add_selection(ATK_SELECTION(list), 2));
    EXPECT_FALSE(form->list->GetSelected(2)) << "not inside the client's call";
    Settle();
    EXPECT_EQ(form->list->SelectedIndices(), (std::vector<int>{2}));
    EXPECT_TRUE(has(three, ATK_STATE_SELECTED));

    form->list->Items.RemoveAt(1);
    EXPECT_TRUE(has(two, ATK_STATE_DEFUNCT));
    EXPECT_EQ(atk_object_get_index_in_parent(three), 1) << "renumbered";
    EXPECT_EQ(std::string(atk_object_get_name(three)), "three");
    form->list->Items.Insert(0, u"zero");
    EXPECT_EQ(atk_object_get_index_in_parent(three), 2) << "renumbered";
    // A bulk update may have changed every line; past a thousand lines the
    // list manages its descendants, so that AT-SPI's bridge walks none of them.
    EXPECT_FALSE(has(list, ATK_STATE_MANAGES_DESCENDANTS));
    form->list->BeginUpdate();
    for (int i = 0; i < 1000; ++i) form->list->Items.Add(u"more");
    form->list->EndUpdate();
    EXPECT_TRUE(has(three, ATK_STATE_DEFUNCT));
    EXPECT_TRUE(has(list, ATK_STATE_MANAGES_DESCENDANTS));
    EXPECT_EQ(atk_object_get_n_accessible_children(list), 1006);

    EXPECT_TRUE(atk_action_do_action(ATK_ACTION(close), 0));
    EXPECT_TRUE(form->Visible()) << "not inside the client's call";
    Settle();
    EXPECT_EQ(forms::Application::OpenForms().size(), 0u);
    EXPECT_TRUE(has(list, ATK_STATE_DEFUNCT));
    EXPECT_EQ(atk_object_get_n_accessible_children(list), 0);
    for (AtkObject* object : {list, close, two, three}) g_object_unref(object);
}

}  // namespace
