#include "forms/gtk_backend.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <utility>

#include "forms/application.h"
#include "forms/cairo_painter.h"
#include "forms/form.h"
#include "forms/gtk_accessible.h"
#include "forms/native_backend.h"

#include <X11/Xatom.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
// Xlib's macros that are the toolkit's names here.
#undef None
#undef Button1

namespace forms {

namespace {

// A window's form, and the backend for what outlives the signals (a timeout).
constexpr char kFormKey[] = "sorvale-form";
constexpr char kBackendKey[] = "sorvale-backend";
// A configure event that differs from the place the toolkit last asked for,
// this soon after, is taken for the echo of an earlier request still on its way
// (a loaded machine can keep a window manager that long).
constexpr gint64 kEchoMicroseconds = 2000000;

std::uint32_t Packed(const GdkRGBA& c) {
    const auto channel = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
    return channel(c.red) << 16 | channel(c.green) << 8 | channel(c.blue);
}

// The theme's named colours for the toolkit's roles; a colour the theme does not name keeps its default.
Palette ThemePalette() {
    Palette palette;
    GtkWidget* probe = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkStyleContext* style = gtk_widget_get_style_context(probe);
    const std::pair<const char*, std::uint32_t*> names[] = {
        {"theme_bg_color", &palette.control},
        {"theme_base_color", &palette.window},
        {"theme_text_color", &palette.windowText},
        {"theme_selected_bg_color", &palette.highlight},
        {"theme_selected_fg_color", &palette.highlightText},
        {"insensitive_fg_color", &palette.grayText},
    };
    for (const auto& [name, color] : names) {
        GdkRGBA rgba{};
        if (gtk_style_context_lookup_color(style, name, &rgba)) *color = Packed(rgba);
    }
    gtk_widget_destroy(probe);
    return palette;
}

std::string DesktopFont() {
    gchar* name = nullptr;
    if (GtkSettings* settings = gtk_settings_get_default()) g_object_get(settings, "gtk-font-name", &name, nullptr);
    std::string font = name && *name ? name : "Sans 10";
    g_free(name);
    return font;
}

Keys KeyOf(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return static_cast<Keys>(static_cast<int>(Keys::A) + static_cast<int>(keyval - GDK_KEY_a));
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return static_cast<Keys>(static_cast<int>(Keys::A) + static_cast<int>(keyval - GDK_KEY_A));
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return static_cast<Keys>(static_cast<int>(Keys::D0) + static_cast<int>(keyval - GDK_KEY_0));
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return static_cast<Keys>(static_cast<int>(Keys::F1) + static_cast<int>(keyval - GDK_KEY_F1));
    switch (keyval) {
        case GDK_KEY_BackSpace: return Keys::Back;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab:  // Shift+Tab
        case GDK_KEY_KP_Tab: return Keys::Tab;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return Keys::Enter;
        case GDK_KEY_Escape: return Keys::Escape;
        case GDK_KEY_space:
        case GDK_KEY_KP_Space: return Keys::Space;
        case GDK_KEY_Page_Up:
        case GDK_KEY_KP_Page_Up: return Keys::PageUp;
        case GDK_KEY_Page_Down:
        case GDK_KEY_KP_Page_Down: return Keys::PageDown;
        case GDK_KEY_End:
        case GDK_KEY_KP_End: return Keys::End;
        case GDK_KEY_Home:
        case GDK_KEY_KP_Home: return Keys::Home;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left: return Keys::Left;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up: return Keys::Up;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right: return Keys::Right;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down: return Keys::Down;
        case GDK_KEY_Insert:
        case GDK_KEY_KP_Insert: return Keys::Insert;
        case GDK_KEY_Delete:
        case GDK_KEY_KP_Delete: return Keys::Delete;
        default: return Keys::None;
    }
}

Keys ModifiersOf(guint state) {
    Keys keys = Keys::None;
    if (state & GDK_SHIFT_MASK) keys = keys | Keys::Shift;
    if (state & GDK_CONTROL_MASK) keys = keys | Keys::Control;
    if (state & GDK_MOD1_MASK) keys = keys | Keys::Alt;
    return keys;
}

// The window manager hints `form`'s properties ask for, then the window
// realized (not mapped) so that they are on it.
void SetHints(GtkWidget* widget, const Form& form) {
    GtkWindow* window = GTK_WINDOW(widget);
    const FormBorderStyle style = form.FormBorderStyle();
    const WindowBoxes boxes = WindowBoxes::Of(form);
    gtk_window_set_type_hint(window, boxes.tool ? GDK_WINDOW_TYPE_HINT_UTILITY : GDK_WINDOW_TYPE_HINT_NORMAL);
    gtk_window_set_skip_taskbar_hint(window, !boxes.taskbar);
    gtk_window_set_skip_pager_hint(window, !boxes.taskbar);
    gtk_window_set_keep_above(window, form.TopMost());
    gtk_window_set_resizable(window, boxes.sizable);
    gtk_window_set_decorated(window, style != FormBorderStyle::None);
    gtk_widget_realize(widget);
    // What the window manager offers.
    auto functions = static_cast<int>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE);
    auto decorations = static_cast<int>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU);
    if (boxes.sizable) {
        functions |= GDK_FUNC_RESIZE;
        decorations |= GDK_DECOR_RESIZEH;
    }
    if (boxes.minimize) {
        functions |= GDK_FUNC_MINIMIZE;
        decorations |= GDK_DECOR_MINIMIZE;
    }
    if (boxes.maximize) {
        functions |= GDK_FUNC_MAXIMIZE;
        decorations |= GDK_DECOR_MAXIMIZE;
    }
    GdkWindow* native = gtk_widget_get_window(widget);
    gdk_window_set_functions(native, static_cast<GdkWMFunction>(functions));
    if (style != FormBorderStyle::None) gdk_window_set_decorations(native, static_cast<GdkWMDecoration>(decorations));
}

// _NET_FRAME_EXTENTS of an X window (left, right, top, bottom), if set, in
// GDK's pixels: the X server's divided by the window's scale.
std::optional<Padding> FrameExtents(GdkDisplay* display, ::Window window, int scale) {
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    gdk_x11_display_error_trap_push(display);
    const int status = XGetWindowProperty(x, window, gdk_x11_get_xatom_by_name_for_display(display, "_NET_FRAME_EXTENTS"), 0, 4,
                                          False, XA_CARDINAL, &type, &format, &count, &after, &data);
    gdk_x11_display_error_trap_pop_ignored(display);
    std::optional<Padding> frame;
    if (status == Success && data && type == XA_CARDINAL && format == 32 && count == 4) {
        const auto* values = reinterpret_cast<const long*>(data);
        const auto at = [&](int i) { return static_cast<int>(values[i]) / scale; };
        frame = Padding(at(0), at(2), at(1), at(3));
    }
    if (data) XFree(data);
    return frame;
}

// The frame the window manager will put around `widget` (realized, not yet
// mapped) as its hints stand, asked with _NET_REQUEST_FRAME_EXTENTS; nothing
// where the window manager does not offer that or does not answer soon.
std::optional<Padding> RequestFrame(GtkWidget* widget) {
    GdkWindow* native = gtk_widget_get_window(widget);
    GdkDisplay* display = native ? gdk_window_get_display(native) : nullptr;
    if (!display || !GDK_IS_X11_DISPLAY(display)) return std::nullopt;
    GdkScreen* screen = gdk_window_get_screen(native);
    if (!gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_REQUEST_FRAME_EXTENTS")))
        return std::nullopt;
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const ::Window window = GDK_WINDOW_XID(native);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = gdk_x11_get_xatom_by_name_for_display(display, "_NET_REQUEST_FRAME_EXTENTS");
    request.xclient.format = 32;
    XSendEvent(x, GDK_WINDOW_XID(gdk_screen_get_root_window(screen)), False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(x);
    // The answer is a property on the window; a quarter of a second at most.
    for (int tries = 0; tries < 50; ++tries) {
        if (const std::optional<Padding> frame = FrameExtents(display, window, gdk_window_get_scale_factor(native))) return frame;
        g_usleep(5000);
    }
    return std::nullopt;
}

// The client area of a mapped window on the screen, and its frame unless
// `frame` is given, read from the X server at one moment (GDK's own figures
// lag behind the events still queued), in GDK's pixels.
std::optional<Rectangle> ClientOnScreen(GtkWidget* widget, std::optional<Padding>& frame) {
    GdkWindow* native = gtk_widget_get_window(widget);
    if (!native) return std::nullopt;
    GdkDisplay* display = gdk_window_get_display(native);
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    const ::Window window = GDK_WINDOW_XID(native);
    ::Window root = 0, child = 0;
    int left = 0, top = 0, screenX = 0, screenY = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    gdk_x11_display_error_trap_push(display);
    const bool read = XGetGeometry(x, window, &root, &left, &top, &width, &height, &border, &depth) &&
                      XTranslateCoordinates(x, window, root, 0, 0, &screenX, &screenY, &child);
    gdk_x11_display_error_trap_pop_ignored(display);
    if (!read) return std::nullopt;
    const int scale = std::max(gdk_window_get_scale_factor(native), 1);
    const Rectangle client(screenX / scale, screenY / scale, static_cast<int>(width) / scale, static_cast<int>(height) / scale);
    if (!frame) frame = FrameExtents(display, window, scale);
    if (!frame) {
        // A window manager that does not say: the frame is the window it put ours in.
        GdkRectangle outer{};
        gdk_window_get_frame_extents(native, &outer);
        frame = Padding(std::max(client.X - outer.x, 0), std::max(client.Y - outer.y, 0), std::max(outer.x + outer.width - client.Right(), 0),
                        std::max(outer.y + outer.height - client.Bottom(), 0));
    }
    return client;
}

// Whether D-Bus finds a session bus (or an accessibility bus given outright)
// without launching one: an address in the environment, or the bus socket in
// the user's runtime folder.
bool SessionBus() {
    for (const char* variable : {"AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"})
        if (const char* address = g_getenv(variable); address && *address) return true;
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    gchar* socket = g_build_filename(runtime, "bus", nullptr);
    GStatBuf status{};
    const bool found = g_stat(socket, &status) == 0 && S_ISSOCK(status.st_mode);
    g_free(socket);
    return found;
}

Form* FormOf(GtkWidget* widget) {
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    return top ? static_cast<Form*>(g_object_get_data(G_OBJECT(top), kFormKey)) : nullptr;
}

struct FormWindow {
    GtkWidget* window = nullptr;  // the GtkWindow
    GtkWidget* area = nullptr;    // its drawing area, the client area
    cairo_surface_t* buffer = nullptr;  // the client area as last presented
    // Where the toolkit last put the window, until the window system says it is there.
    std::optional<Rectangle> expected;
    gint64 expectedAt = 0;
    bool recheck = false;  // a look at the window's place is scheduled
    std::optional<Padding> frame;  // as the window manager last said
};

}  // namespace

// The signals reach it as their user data.
struct GtkBackend::Impl final : NativeBackendState<FormWindow> {
    using Window = FormWindow;

    Impl() : NativeBackendState("GTK") {}

    std::unique_ptr<CairoPainter> painter;
    // No window manager: nothing frames a window.
    bool unframed = false;
    // The frame the window manager puts around a window of each border style
    // (asked of it, or seen on a mapped window), for a form not yet shown;
    // nothing where the window manager did not say.
    std::map<FormBorderStyle, std::optional<Padding>> frames;
    // How deep the reports of a window's new place to the toolkit are.
    int reporting = 0;
    // The forms whose windows the toolkit asked to activate, oldest first,
    // with when it asked: the X server moves the focus after the call, and a
    // focus change that only answers such a request is no input (handed on,
    // the older ones would bring back a form the toolkit has left since, whose
    // activation asks for the focus again, and so on without end).
    std::deque<std::pair<const Form*, gint64>> activations;
    // What assistive technology reads of each window (gtk_accessible.h).
    std::unique_ptr<GtkAccessibility> accessibility;

    ~Impl() {
        for (auto& [form, window] : TakeWindows()) {
            if (accessibility) accessibility->Retire(*form);
            Release(window);
        }
        accessibility.reset();
    }

    static void Release(Window& window) {
        g_object_set_data(G_OBJECT(window.window), kFormKey, nullptr);
        g_object_set_data(G_OBJECT(window.window), kBackendKey, nullptr);
        gtk_widget_destroy(window.window);
        if (window.buffer) cairo_surface_destroy(window.buffer);
    }

    // The window at `outer` (frame included), its client area the rest.
    void Place(Form& form, Window& w, Rectangle outer) {
        const Padding in = form.ClientInsets();
        const int width = std::max(outer.Width - in.Left - in.Right, 1);
        const int height = std::max(outer.Height - in.Top - in.Bottom, 1);
        GtkWindow* window = GTK_WINDOW(w.window);
        // A window the user cannot size is as large as its content asks.
        if (!gtk_window_get_resizable(window)) gtk_widget_set_size_request(w.area, width, height);
        gtk_window_move(window, outer.X, outer.Y);
        gtk_window_resize(window, width, height);
        w.expected = outer;
        w.expectedAt = g_get_monotonic_time();
    }

    // Whether `form`'s window getting the focus answers the toolkit's
    // request: then that request and the ones before it are answered.
    bool AnswersActivation(const Form& form) {
        const gint64 now = g_get_monotonic_time();
        // A request the window manager did not follow gets no answer.
        while (!activations.empty() && now - activations.front().second >= kEchoMicroseconds) activations.pop_front();
        for (auto it = activations.begin(); it != activations.end(); ++it) {
            if (it->first != &form) continue;
            activations.erase(activations.begin(), it + 1);
            return true;
        }
        return false;
    }

    void Configured(GtkWidget* widget);
    static gboolean Recheck(gpointer widget);
};

namespace {

using Impl = GtkBackend::Impl;
using ToolkitCall = Impl::ToolkitCall;

gboolean OnDraw(GtkWidget* area, cairo_t* cr, gpointer data) {
    const auto* impl = static_cast<const Impl*>(data);
    const Form* form = FormOf(area);
    const Impl::Window* w = form ? impl->WindowOf(*form) : nullptr;
    const Palette& colors = impl->painter->Colors();
    // What the buffer does not cover, until the toolkit presents the new size, is the face colour.
    cairo_set_source_rgb(cr, static_cast<double>((colors.control >> 16) & 0xFF) / 255.0,
                         static_cast<double>((colors.control >> 8) & 0xFF) / 255.0, static_cast<double>(colors.control & 0xFF) / 255.0);
    cairo_paint(cr);
    if (w && w->buffer) {
        cairo_set_source_surface(cr, w->buffer, 0, 0);
        cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(w->buffer), cairo_image_surface_get_height(w->buffer));
        cairo_fill(cr);
    }
    return TRUE;
}

gboolean OnButtonPress(GtkWidget* area, GdkEventButton* event, gpointer data) {
    Form* form = FormOf(area);
    if (!form || event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) return FALSE;
    const Point at{static_cast<int>(event->x), static_cast<int>(event->y)};
    const Keys modifiers = ModifiersOf(event->state) & (Keys::Shift | Keys::Control);
    static_cast<Impl*>(data)->Deliver(form, [&](Form& f) { input::Click(f, at, modifiers); });
    return TRUE;
}

gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    Form* form = FormOf(window);
    const Keys key = KeyOf(event->keyval);
    if (!form || key == Keys::None) return FALSE;
    static_cast<Impl*>(data)->Deliver(form, [&](Form& f) { input::KeyDown(f, key | ModifiersOf(event->state)); });
    // GTK's own keys (focus moves, mnemonics) have nothing to act on here.
    return TRUE;
}

gboolean OnDelete(GtkWidget* window, GdkEvent*, gpointer data) {
    static_cast<Impl*>(data)->Deliver(FormOf(window), [](Form& f) { input::CloseWindow(f); });
    // The toolkit destroys the window when it disposes the form, if it does.
    return TRUE;
}

gboolean OnFocusIn(GtkWidget* window, GdkEventFocus*, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    if (Form* form = FormOf(window); form && !impl->AnswersActivation(*form))
        impl->Deliver(form, [](Form& f) { input::ActivateWindow(f); });
    return FALSE;
}

// A form without a maximise (minimise) box is never maximised (minimised),
// also by a window manager that offers it whatever the window's hints say
// (Openbox does): undone.
gboolean OnWindowState(GtkWidget* window, GdkEventWindowState* event, gpointer) {
    const Form* form = FormOf(window);
    if (!form) return FALSE;
    const int entered = event->changed_mask & event->new_window_state;
    const WindowBoxes boxes = WindowBoxes::Of(*form);
    if ((entered & GDK_WINDOW_STATE_MAXIMIZED) && !boxes.maximize) gtk_window_unmaximize(GTK_WINDOW(window));
    if ((entered & GDK_WINDOW_STATE_ICONIFIED) && !boxes.minimize) gtk_window_deiconify(GTK_WINDOW(window));
    return FALSE;
}

gboolean OnConfigure(GtkWidget* window, GdkEventConfigure*, gpointer data) {
    static_cast<Impl*>(data)->Configured(window);
    return FALSE;
}

// The window manager may change the frame after the window's own size (as
// Openbox does when it maximises): the outer bounds change with it.
gboolean OnProperty(GtkWidget* window, GdkEventProperty* event, gpointer data) {
    if (event->atom == gdk_atom_intern_static_string("_NET_FRAME_EXTENTS")) static_cast<Impl*>(data)->Configured(window);
    return FALSE;
}

}  // namespace

// The window is where the window system says: the toolkit hears of a move or
// a resize it did not ask for, and where it keeps the form elsewhere (its
// minimum size, the desktop's maximum), the window follows.
void GtkBackend::Impl::Configured(GtkWidget* widget) {
    Form* form = FormOf(widget);
    if (!form) return;
    Window* w = WindowOf(*form);
    if (!w || !gtk_widget_get_mapped(widget)) return;
    std::optional<Padding> seen = unframed ? Padding(0, 0, 0, 0) : std::optional<Padding>();
    const std::optional<Rectangle> client = ClientOnScreen(widget, seen);
    if (!client) return;
    if (!unframed) {
        w->frame = seen;
        frames[form->FormBorderStyle()] = seen;
    }
    const Rectangle bounds(client->X - seen->Left, client->Y - seen->Top, client->Width + seen->Horizontal(), client->Height + seen->Vertical());
    if (w->expected) {
        if (*w->expected == bounds) {
            w->expected.reset();
            return;
        }
        if (g_get_monotonic_time() - w->expectedAt < kEchoMicroseconds) {
            // Looked at again once the requests have settled, in case no later event comes.
            if (!w->recheck) {
                w->recheck = true;
                g_timeout_add(static_cast<guint>(kEchoMicroseconds / 1000 + 100), Recheck, g_object_ref(widget));
            }
            return;
        }
        w->expected.reset();
    }
    if (InToolkitCall()) return;
    // The window is already where it reports: the toolkit's own moves that
    // follow are not requests; what it keeps elsewhere is put right below.
    ++reporting;
    if (form->Location() != bounds.Location()) Deliver(form, [&](Form& f) { input::MoveWindow(f, bounds.Location()); });
    // A handler may have closed the form: it is gone from the map then.
    form = FormOf(widget);
    if (form && form->Size() != bounds.Size()) Deliver(form, [&](Form& f) { input::ResizeWindow(f, bounds.Size()); });
    --reporting;
    form = FormOf(widget);
    w = form ? WindowOf(*form) : nullptr;
    if (!w || form->Bounds() == bounds) return;
    ToolkitCall call(*this);
    Place(*form, *w, form->Bounds());
}

gboolean GtkBackend::Impl::Recheck(gpointer data) {
    auto* widget = static_cast<GtkWidget*>(data);
    // Both gone where the window was destroyed meanwhile, or the backend closed.
    auto* impl = static_cast<Impl*>(g_object_get_data(G_OBJECT(widget), kBackendKey));
    if (const Form* form = FormOf(widget); form && impl)
        if (Window* w = impl->WindowOf(*form)) {
            w->recheck = false;
            w->expectedAt = 0;  // no longer an echo
            impl->Configured(widget);
        }
    g_object_unref(widget);
    return G_SOURCE_REMOVE;
}

std::unique_ptr<GtkBackend> GtkBackend::Open() {
    static bool initialised = false;
    static bool opened = false;
    if (!initialised) {
        initialised = true;
        // The host prints and parses in the C locale; GTK would take the user's.
        gtk_disable_setlocale();
        gdk_set_allowed_backends("x11");
        // Assistive technology reads the windows through the accessibility
        // bus, which the session bus starts. Where there is no session bus (a
        // bare X server, a test's), the bridge is left off: it would only warn,
        // or have D-Bus launch a bus of its own for the display.
        if (!SessionBus()) g_setenv("NO_AT_BRIDGE", "1", FALSE);
        opened = gtk_init_check(nullptr, nullptr) != FALSE;
    }
    if (!opened || !gdk_display_get_default()) return nullptr;

    auto impl = std::make_unique<Impl>();
    GdkScreen* screen = gdk_screen_get_default();
    double dpi = screen ? gdk_screen_get_resolution(screen) : -1.0;
    if (dpi <= 0) dpi = 96.0;
    impl->painter = std::make_unique<CairoPainter>(ThemePalette(), DesktopFont(), dpi);
    // Without a window manager nothing frames a window.
    impl->accessibility = std::make_unique<GtkAccessibility>(*impl);
    impl->unframed = screen && GDK_IS_X11_SCREEN(screen) && std::string(gdk_x11_screen_get_window_manager_name(screen)) == "unknown";
    return std::unique_ptr<GtkBackend>(new GtkBackend(std::move(impl)));
}

GtkBackend::GtkBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GtkBackend::~GtkBackend() {
    impl_.reset();
    // What the destroyed windows still had queued.
    for (int i = 0; i < 1000 && g_main_context_iteration(nullptr, FALSE); ++i) {}
}

Size GtkBackend::FontMetrics() { return impl_->painter->FontMetrics(); }

Size GtkBackend::MeasureText(const String& text) { return impl_->painter->MeasureText(text); }

std::vector<Screen> GtkBackend::Screens() {
    std::vector<Screen> screens;
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return screens;
    GdkMonitor* primary = gdk_display_get_primary_monitor(display);
    const int count = gdk_display_get_n_monitors(display);
    for (int i = 0; i < count; ++i) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        GdkRectangle b{}, w{};
        gdk_monitor_get_geometry(monitor, &b);
        gdk_monitor_get_workarea(monitor, &w);
        AddScreen(screens, {{b.x, b.y, b.width, b.height}, {w.x, w.y, w.width, w.height}}, monitor == primary);
    }
    return screens;
}

std::optional<Padding> GtkBackend::WindowFrame(const Form& form) {
    if (impl_->unframed) return Padding(0, 0, 0, 0);
    if (const Impl::Window* w = impl_->WindowOf(form); w && w->frame) return w->frame;
    const FormBorderStyle style = form.FormBorderStyle();
    if (const auto known = impl_->frames.find(style); known != impl_->frames.end()) return known->second;
    // Asked once per border style, of a window with the form's hints that is never shown.
    ToolkitCall call(*impl_);
    GtkWidget* probe = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    SetHints(probe, form);
    const std::optional<Padding> frame = RequestFrame(probe);
    gtk_widget_destroy(probe);
    impl_->frames[style] = frame;
    return frame;
}

void GtkBackend::CreateWindow(Form& form) {
    ToolkitCall call(*impl_);
    GtkWidget* widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(widget);
    g_object_set_data(G_OBJECT(widget), kFormKey, &form);
    g_object_set_data(G_OBJECT(widget), kBackendKey, impl_.get());
    // The toolkit activates the window when it is ready.
    gtk_window_set_focus_on_map(window, FALSE);
    GtkWidget* area = impl_->accessibility->NewArea(form);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    gtk_container_add(GTK_CONTAINER(widget), area);
    gtk_widget_show(area);
    Impl* impl = impl_.get();
    g_signal_connect(area, "draw", G_CALLBACK(OnDraw), impl);
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnButtonPress), impl);
    g_signal_connect(widget, "key-press-event", G_CALLBACK(OnKeyPress), impl);
    g_signal_connect(widget, "delete-event", G_CALLBACK(OnDelete), impl);
    g_signal_connect(widget, "focus-in-event", G_CALLBACK(OnFocusIn), impl);
    g_signal_connect(widget, "configure-event", G_CALLBACK(OnConfigure), impl);
    gtk_widget_add_events(widget, GDK_PROPERTY_CHANGE_MASK);
    g_signal_connect(widget, "property-notify-event", G_CALLBACK(OnProperty), impl);
    g_signal_connect(widget, "window-state-event", G_CALLBACK(OnWindowState), nullptr);
    SetHints(widget, form);
    Impl::Window& w = impl_->AddWindow(form);
    w.window = widget;
    w.area = area;
    // This window's own frame, where the window manager says before mapping it.
    w.frame = RequestFrame(widget);
    if (w.frame) impl_->frames[form.FormBorderStyle()] = w.frame;

    // The minimum and maximum outer sizes, as client sizes for the window manager.
    const Padding in = form.ClientInsets();
    const Size least = form.MinimumSize(), most = form.MaximumTrackSize();
    GdkGeometry hints{};
    hints.min_width = std::max(least.Width - in.Left - in.Right, 1);
    hints.min_height = std::max(least.Height - in.Top - in.Bottom, 1);
    hints.max_width = std::max(most.Width - in.Left - in.Right, hints.min_width);
    hints.max_height = std::max(most.Height - in.Top - in.Bottom, hints.min_height);
    gtk_window_set_geometry_hints(window, nullptr, &hints, static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

void GtkBackend::DestroyWindow(Form& form) {
    ToolkitCall call(*impl_);
    std::optional<Impl::Window> window = impl_->TakeWindow(form);
    if (!window) return;
    std::erase_if(impl_->activations, [&](const auto& request) { return request.first == &form; });
    impl_->accessibility->Retire(form);
    Impl::Release(*window);
}

void GtkBackend::SetWindowBounds(Form& form, Rectangle outer) {
    if (impl_->reporting > 0) return;
    ToolkitCall call(*impl_);
    if (Impl::Window* w = impl_->WindowOf(form)) impl_->Place(form, *w, outer);
}

void GtkBackend::SetWindowVisible(Form& form, bool visible) {
    ToolkitCall call(*impl_);
    Impl::Window* w = impl_->WindowOf(form);
    if (!w) return;
    if (visible) {
        gtk_widget_show(w->window);
    } else {
        gtk_widget_hide(w->window);
    }
}

void GtkBackend::SetWindowText(Form& form, const String& text) {
    ToolkitCall call(*impl_);
    if (Impl::Window* w = impl_->WindowOf(form)) gtk_window_set_title(GTK_WINDOW(w->window), to_utf8(shown_text(text)).c_str());
}

void GtkBackend::ActivateWindow(Form& form) {
    ToolkitCall call(*impl_);
    Impl::Window* w = impl_->WindowOf(form);
    if (!w) return;
    if (impl_->activations.empty() || impl_->activations.back().first != &form) impl_->activations.emplace_back(&form, 0);
    impl_->activations.back().second = g_get_monotonic_time();
    gtk_window_present(GTK_WINDOW(w->window));
}

void GtkBackend::Present(Form& form, const DisplayList& list) {
    Impl::Window* w = impl_->WindowOf(form);
    if (!w) return;
    const Size client = form.ClientSize();
    const int width = std::max(client.Width, 1), height = std::max(client.Height, 1);
    if (!w->buffer || cairo_image_surface_get_width(w->buffer) != width || cairo_image_surface_get_height(w->buffer) != height) {
        if (w->buffer) cairo_surface_destroy(w->buffer);
        w->buffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    }
    cairo_t* cr = cairo_create(w->buffer);
    const Palette& colors = impl_->painter->Colors();
    cairo_set_source_rgb(cr, static_cast<double>((colors.control >> 16) & 0xFF) / 255.0,
                         static_cast<double>((colors.control >> 8) & 0xFF) / 255.0, static_cast<double>(colors.control & 0xFF) / 255.0);
    cairo_paint(cr);
    impl_->painter->Paint(cr, list);
    cairo_destroy(cr);
    gtk_widget_queue_draw(w->area);
}

std::optional<Picture> GtkBackend::Capture(Form& form) {
    if (!impl_->WindowOf(form)) return std::nullopt;
    return PaintPicture(form, impl_->painter.get());
}

bool GtkBackend::ProcessEvents() {
    return impl_->RunEvents([] { return g_main_context_iteration(nullptr, FALSE) != FALSE; });
}

void GtkBackend::WaitForEvents() {
    if (!impl_->Holding()) g_main_context_iteration(nullptr, TRUE);
}

void GtkBackend::Wake() { g_main_context_wakeup(nullptr); }

void GtkBackend::Notify(Form& form, const accessibility::Notice& notice) {
    if (impl_->WindowOf(form)) impl_->accessibility->Notify(form, notice);
}

void* GtkBackend::NativeWindow(const Form& form) const {
    const Impl::Window* w = impl_->WindowOf(form);
    return w ? w->window : nullptr;
}

}  // namespace forms
