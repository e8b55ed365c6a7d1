#include "host/session.h"

#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "forms/application.h"
#include "forms/automation.h"
#include "forms/backend.h"
#include "forms/button.h"
#ifdef SORVALE_HOST_GTK
#include "forms/cairo_painter.h"
#endif
#include "forms/form.h"
#include "forms/list_box.h"
#include "host/files.h"
#include "host/main_menu.h"
#include "host/png_file.h"
#include "host/reports.h"
#include "host/stop_request.h"
#include "host/track_library.h"

namespace host {

namespace {

namespace automation = forms::automation;

// A command the session cannot carry out, with the reason.
struct command_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a command works on.
struct context {
    application& app;
    std::FILE* out;
    bool ended = false;  // the command ends the session
};

using arguments = std::span<const std::string_view>;

std::vector<std::string_view> words_of(std::string_view p_text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < p_text.size()) {
        while (at < p_text.size() && (p_text[at] == ' ' || p_text[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < p_text.size() && p_text[end] != ' ' && p_text[end] != '\t') ++end;
        if (end > at) words.push_back(p_text.substr(at, end - at));
        at = end;
    }
    return words;
}

// p_word as a whole number, or nothing when it is one but lies outside
// [p_least, p_most]; command_error when it is no number at all.
std::optional<int> number_in(std::string_view p_word, int p_least, int p_most) {
    long long value = 0;
    const auto [end, error] = std::from_chars(p_word.data(), p_word.data() + p_word.size(), value);
    const bool whole = end == p_word.data() + p_word.size();
    if (whole && error == std::errc::result_out_of_range) return std::nullopt;
    if (!whole || error != std::errc()) throw command_error("not a number: " + std::string(p_word));
    if (value < p_least || value > p_most) return std::nullopt;
    return static_cast<int>(value);
}

// A window coordinate or size: any value the saved geometry can hold; the
// toolkit keeps the window on the desktop and within its largest size.
int screen_number(std::string_view p_word, const char* p_what) {
    constexpr int least = std::numeric_limits<int>::min();
    constexpr int most = std::numeric_limits<int>::max();
    const auto value = number_in(p_word, least, most);
    if (!value) {
        throw command_error(std::string(p_what) + " " + std::string(p_word) + " is out of range (" + std::to_string(least) +
                            " to " + std::to_string(most) + ")");
    }
    return *value;
}

// The window commands act on: the active one, else the newest open one.
forms::Form& target_window() {
    if (forms::Form* active = forms::Application::ActiveForm()) return *active;
    const auto open = automation::OpenForms();
    if (open.empty()) throw command_error("no window is open");
    return *open.back();
}

// The first control of p_form's tree, depth first, for which p_match holds.
template <typename T, typename F>
T* find_in(forms::Form& p_form, F&& p_match) {
    std::vector<forms::Control*> pending{&p_form};
    while (!pending.empty()) {
        forms::Control* control = pending.back();
        pending.pop_back();
        if (auto* found = dynamic_cast<T*>(control); found != nullptr && p_match(*found)) return found;
        for (int i = control->Controls.Count(); i-- > 0;) pending.push_back(control->Controls[i]);
    }
    return nullptr;
}

struct named_key {
    std::string_view name;
    forms::Keys key;
};
constexpr named_key keys[] = {
    {"Delete", forms::Keys::Delete}, {"Escape", forms::Keys::Escape}, {"Enter", forms::Keys::Enter},
    {"Up", forms::Keys::Up},         {"Down", forms::Keys::Down},     {"Home", forms::Keys::Home},
    {"End", forms::Keys::End},       {"PageUp", forms::Keys::PageUp}, {"PageDown", forms::Keys::PageDown},
    {"Space", forms::Keys::Space},   {"Tab", forms::Keys::Tab},
};

forms::Keys key_named(const std::string_view p_word) {
    std::string_view name = p_word;
    forms::Keys modifiers = forms::Keys::None;
    for (;;) {
        if (name.starts_with("shift+")) {
            modifiers = modifiers | forms::Keys::Shift;
            name.remove_prefix(6);
        } else if (name.starts_with("ctrl+")) {
            modifiers = modifiers | forms::Keys::Control;
            name.remove_prefix(5);
        } else {
            break;
        }
    }
    if (name.empty()) throw command_error("a key name is missing after '" + std::string(p_word) + "'");
    for (const auto& k : keys) {
        if (k.name == name) return k.key | modifiers;
    }
    throw command_error("unknown key " + std::string(name));
}

void queue_command(context& p_context, arguments) { print_queue(p_context.out, p_context.app.queue()); }

void tracks_command(context& p_context, arguments) { std::fputs(listing(p_context.app.tracks()).c_str(), p_context.out); }

void show_command(context& p_context, arguments) {
    const auto open = automation::OpenForms();
    if (open.empty()) std::fputs("(no window open)\n", p_context.out);
    for (forms::Form* form : open) {
        const auto bounds = form->Bounds();
        std::fprintf(p_context.out, "window at (%d, %d), %d x %d:\n", bounds.X, bounds.Y, bounds.Width, bounds.Height);
        std::fputs(automation::RenderText(*form).c_str(), p_context.out);
    }
}

void menu_command(context& p_context, arguments) { std::fputs(main_menu(p_context.app.services()).describe().c_str(), p_context.out); }

void open_command(context& p_context, arguments p_args) {
    const auto slash = p_args[0].find('/');
    if (slash == std::string_view::npos) throw command_error("usage: open GROUP/LABEL");
    main_menu menu(p_context.app.services());
    const auto* item = menu.find(p_args[0].substr(0, slash), p_args[0].substr(slash + 1));
    if (item == nullptr) throw command_error("no menu command " + std::string(p_args[0]));
    menu.run(*item);
}

void enqueue_command(context& p_context, arguments p_args) {
    track_library& tracks = p_context.app.tracks();
    const int count = static_cast<int>(tracks.size());
    std::vector<t_playback_queue_item> items;
    for (const std::string_view word : p_args) {
        const auto n = number_in(word, 1, count);
        if (!n) throw command_error("no track " + std::string(word) + " in the library (1 to " + std::to_string(count) + ")");
        items.push_back(tracks.queue_item(static_cast<t_size>(*n - 1)));
    }
    p_context.app.queue().add(items);
    for (const auto& item : items) {
        std::fprintf(p_context.out, "queued track %u: %s\n", item.m_item + 1,
                     describe(*static_cast<const track*>(item.m_handle.get_ptr())).c_str());
    }
}

void play_command(context& p_context, arguments) {
    playback_queue& queue = p_context.app.queue();
    if (queue.size() == 0) throw command_error("the queue is empty");
    const t_uint32 number = queue.at(0).m_item + 1;
    const service_ptr_t<metadb_handle> playing = queue.take_head();
    std::fprintf(p_context.out, "now playing track %u: %s\n", number,
                 describe(*static_cast<const track*>(playing.get_ptr())).c_str());
}

void line_command(context&, arguments p_args) {
    forms::Keys modifiers = forms::Keys::None;
    if (p_args.size() == 2) {
        if (p_args[1] == "shift") modifiers = forms::Keys::Shift;
        else if (p_args[1] == "ctrl") modifiers = forms::Keys::Control;
        else throw command_error("usage: line N [shift|ctrl]");
    }
    forms::ListBox* list = find_in<forms::ListBox>(target_window(), [](const forms::ListBox&) { return true; });
    if (list == nullptr) throw command_error("the window has no list");
    const int lines = list->Items.Count();
    const auto n = number_in(p_args[0], 1, lines);
    if (!n && lines == 0) throw command_error("the window's list has no lines");
    if (!n) throw command_error("no line " + std::string(p_args[0]) + " in the window's list (1 to " + std::to_string(lines) + ")");
    automation::ClickLine(*list, *n - 1, modifiers);
}

// By Name first, as the toolkit knows controls; else the button whose text the user sees.
void click_command(context&, arguments p_args) {
    forms::Form& form = target_window();
    const forms::String wanted = forms::from_utf8(p_args[0]);
    forms::Control* control = automation::Find(form, wanted);
    if (control == nullptr) control = find_in<forms::Button>(form, [&](const forms::Button& b) { return b.Text() == wanted; });
    if (control == nullptr) throw command_error("no button showing " + std::string(p_args[0]) + " and no control of that name");
    automation::Click(*control);
}

// The key's name is checked first, with a window open or not.
void key_command(context&, arguments p_args) {
    const forms::Keys key = key_named(p_args[0]);
    automation::PressKey(target_window(), key);
}

void move_command(context&, arguments p_args) {
    automation::MoveTo(target_window(), forms::Point(screen_number(p_args[0], "X"), screen_number(p_args[1], "Y")));
}

void resize_command(context&, arguments p_args) {
    automation::ResizeTo(target_window(), forms::Size(screen_number(p_args[0], "width"), screen_number(p_args[1], "height")));
}

void close_command(context&, arguments) { automation::Close(target_window()); }

void save_command(context& p_context, arguments) {
    std::fprintf(p_context.out, "saved the configuration of %zu components\n", p_context.app.save_configuration());
}

// The window system's queued events and the toolkit's work, until neither has
// any: what a user's clicks and keys did is then in the window.
void sync_command(context&, arguments) {
    forms::Backend* backend = forms::Application::GetBackend();
    // Bounded, so that a window that never settles cannot hold the session.
    for (int turn = 0; turn < 1000; ++turn) {
        const bool events = backend != nullptr && backend->ProcessEvents();
        if (!forms::Application::DoEvents() && !events) return;
    }
}

// The message loop until every window is closed, by the user or by a
// handler, or a stop is requested (a stop_wake wakes the loop).
void wait_command(context&, arguments) {
    forms::Backend* backend = forms::Application::GetBackend();
    if (backend == nullptr) throw command_error("nothing to wait for: the host runs headless, and no user can close its windows");
    while (!automation::OpenForms().empty() && !stop_request::requested()) {
        const bool events = backend->ProcessEvents();
        if (!forms::Application::DoEvents() && !events) backend->WaitForEvents();
    }
}

// The window's pixels as its window system reads them back; on Linux, with no
// window system (or one that reads nothing back), the window's drawing made
// off-screen with Cairo, as a window of the desktop would show it (not in a
// build without the desktop, which has no Cairo).
void screenshot_command(context& p_context, arguments p_args) {
    forms::Backend* backend = forms::Application::GetBackend();
#ifndef SORVALE_HOST_GTK
    if (backend == nullptr) throw command_error("no screenshot: the host runs headless, with no window system to read pixels from");
#endif
    forms::Form& form = target_window();
    // The picture the toolkit has to present goes out first.
    forms::Application::DoEvents();
    std::optional<forms::Picture> picture = backend != nullptr ? backend->Capture(form) : std::nullopt;
#ifdef SORVALE_HOST_GTK
    if (!picture) picture = forms::PaintPicture(form);
#endif
    if (!picture) throw command_error("the window system cannot read the window's pixels");
    const std::string name(p_args[0]);
    try {
        files::replace_atomically(std::filesystem::path(std::u8string(name.begin(), name.end())), encode_png(*picture));
    } catch (const files::file_error& e) {
        throw command_error("cannot write " + name + ": " + e.what());
    }
    std::fprintf(p_context.out, "screenshot of the window, %d x %d pixels, written to %s\n", picture->width, picture->height, visible(name).c_str());
}

void help_command(context& p_context, arguments) { std::fputs(session::help().c_str(), p_context.out); }

void quit_command(context& p_context, arguments) { p_context.ended = true; }

constexpr std::size_t any_count = std::numeric_limits<std::size_t>::max();

struct command {
    std::string_view verb;
    std::string_view operands;  // as help and the usage error show them
    std::string_view does;
    std::size_t least;  // arguments
    std::size_t most;
    void (*handler)(context&, arguments);
};

const command commands[] = {
    {"menu", "", "print the main menu", 0, 0, menu_command},
    {"open", "GROUP/LABEL", "run a menu command, e.g. open View/Sorvale", 1, 1, open_command},
    {"show", "", "print every open window", 0, 0, show_command},
    {"queue", "", "print the playback queue", 0, 0, queue_command},
    {"tracks", "", "print the track library (enqueue takes its numbers)", 0, 0, tracks_command},
    {"enqueue", "N...", "add library tracks (numbers from 1) to the queue", 1, any_count, enqueue_command},
    {"play", "", "the head of the queue starts playing", 0, 0, play_command},
    {"line", "N [shift|ctrl]", "click line N (from 1) of the window's list", 1, 2, line_command},
    {"click", "TEXT|NAME", "click a button by its text (Delete, Clear, Close) or a control by its Name", 1, 1, click_command},
    {"key", "[shift+|ctrl+]KEY", "press a key in the window (the key names are below)", 1, 1, key_command},
    {"move", "X Y", "move the window", 2, 2, move_command},
    {"resize", "W H", "resize the window (outer size)", 2, 2, resize_command},
    {"close", "", "the window's close box", 0, 0, close_command},
    {"save", "", "save the configuration now", 0, 0, save_command},
    {"sync", "", "handle the clicks and keys the window system has queued, until idle", 0, 0, sync_command},
    {"wait", "", "run the message loop until every window is closed", 0, 0, wait_command},
    {"screenshot", "FILE.png", "write the window's pixels as a PNG picture", 1, 1, screenshot_command},
    {"help", "", "list these commands", 0, 0, help_command},
    {"quit", "", "end the session, and the host (so does Ctrl-D at the prompt)", 0, 0, quit_command},
    {"exit", "", "the same as quit", 0, 0, quit_command},
};

std::string usage_of(const command& p_command) {
    return std::string(p_command.verb) + (p_command.operands.empty() ? "" : " ") + std::string(p_command.operands);
}

// The one check that no command may pass: bytes that do not show.
void check_visible(std::string_view p_command) {
    if (p_command.find('\0') != std::string_view::npos) throw command_error("a NUL byte in the command");
    for (const char c : p_command) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') throw command_error("a control character (" + visible({&c, 1}) + ") in the command");
    }
}

void dispatch(context& p_context, std::string_view p_command) {
    check_visible(p_command);
    const auto words = words_of(p_command);
    if (words.empty() || words[0].starts_with("#")) return;
    const command* found = nullptr;
    for (const command& c : commands) {
        if (c.verb == words[0]) found = &c;
    }
    if (found == nullptr) throw command_error("unknown command " + std::string(words[0]));
    const arguments args = arguments(words).subspan(1);
    if (args.size() < found->least || args.size() > found->most) throw command_error("usage: " + usage_of(*found));
    found->handler(p_context, args);
}

}  // namespace

bool session::run(std::string_view p_command) {
    bool ok = false;
    try {
        context here{m_app, m_out};
        dispatch(here, p_command);
        if (here.ended) m_ended = true;
        ok = true;
    } catch (const std::exception& e) {
        // The host's own errors and the component's, by their message.
        std::fprintf(m_out, "error: %s\n", visible(e.what()).c_str());
    }
    forms::Application::DoEvents();
    // Whoever drives the session through a pipe sees each answer as it comes.
    std::fflush(m_out);
    return ok;
}

unsigned session::run_all(std::string_view p_script, bool p_echo) {
    unsigned failed = 0;
    for (std::size_t at = 0; at <= p_script.size() && !m_ended;) {
        // Asked to stop from outside: no more commands, as after quit.
        if (stop_request::requested()) {
            m_ended = true;
            break;
        }
        std::size_t end = p_script.find_first_of(";\n", at);
        if (end == std::string_view::npos) end = p_script.size();
        std::string_view command = p_script.substr(at, end - at);
        // A line that ends in CR LF, as a text saved on another system does.
        if ((end == p_script.size() || p_script[end] == '\n') && command.ends_with('\r')) command.remove_suffix(1);
        const auto first = command.find_first_not_of(" \t");
        if (first != std::string_view::npos) {
            if (p_echo) std::fprintf(m_out, "> %s\n", visible(command.substr(first)).c_str());
            if (!run(command)) ++failed;
        }
        at = end + 1;
    }
    return failed;
}

std::string session::help() {
    std::string text;
    for (const command& c : commands) {
        const std::string usage = usage_of(c);
        text += "  " + usage + std::string(usage.size() < 24 ? 24 - usage.size() : 1, ' ') + std::string(c.does) + "\n";
    }
    text += "  # TEXT                  a comment, echoed\n  key names:";
    for (const auto& k : keys) text += " " + std::string(k.name);
    text += "; shift+ and ctrl+ may come before each\n";
    return text;
}

}  // namespace host
