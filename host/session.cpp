#include "host/session.h"

#include <charconv>
#include <stdexcept>
#include <vector>

#include "forms/application.h"
#include "forms/automation.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "host/main_menu.h"

namespace host {

namespace {

namespace automation = forms::automation;

// A command the session cannot carry out, with the reason.
struct command_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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

int number(std::string_view p_word) {
    int value = 0;
    const auto [end, error] = std::from_chars(p_word.data(), p_word.data() + p_word.size(), value);
    if (error != std::errc() || end != p_word.data() + p_word.size()) {
        throw command_error("not a number: " + std::string(p_word));
    }
    return value;
}

void expect_words(const std::vector<std::string_view>& p_words, std::size_t p_count, const char* p_usage) {
    if (p_words.size() != p_count) throw command_error(std::string("usage: ") + p_usage);
}

// The window commands act on: the active one, else the newest open one.
forms::Form& target_window() {
    if (forms::Form* active = forms::Application::ActiveForm()) return *active;
    const auto open = automation::OpenForms();
    if (open.empty()) throw command_error("no window is open");
    return *open.back();
}

forms::ListBox& target_list(forms::Form& p_form) {
    std::vector<forms::Control*> pending{&p_form};
    while (!pending.empty()) {
        forms::Control* control = pending.back();
        pending.pop_back();
        if (auto* list = dynamic_cast<forms::ListBox*>(control)) return *list;
        for (int i = 0; i < control->Controls.Count(); ++i) pending.push_back(control->Controls[i]);
    }
    throw command_error("the window has no list");
}

forms::Keys key_named(std::string_view p_name) {
    forms::Keys modifiers = forms::Keys::None;
    for (;;) {
        if (p_name.starts_with("shift+")) {
            modifiers = modifiers | forms::Keys::Shift;
            p_name.remove_prefix(6);
        } else if (p_name.starts_with("ctrl+")) {
            modifiers = modifiers | forms::Keys::Control;
            p_name.remove_prefix(5);
        } else {
            break;
        }
    }
    struct named {
        std::string_view name;
        forms::Keys key;
    };
    static constexpr named keys[] = {
        {"Delete", forms::Keys::Delete}, {"Escape", forms::Keys::Escape}, {"Enter", forms::Keys::Enter},
        {"Up", forms::Keys::Up},         {"Down", forms::Keys::Down},     {"Home", forms::Keys::Home},
        {"End", forms::Keys::End},       {"PageUp", forms::Keys::PageUp}, {"PageDown", forms::Keys::PageDown},
        {"Space", forms::Keys::Space},   {"Tab", forms::Keys::Tab},
    };
    for (const auto& k : keys) {
        if (k.name == p_name) return k.key | modifiers;
    }
    throw command_error("unknown key " + std::string(p_name));
}

}  // namespace

bool session::run(std::string_view p_command) {
    bool ok = false;
    try {
        ok = dispatch(p_command);
    } catch (const command_error& e) {
        std::fprintf(m_out, "! %s\n", e.what());
    } catch (const std::exception& e) {
        // The component's errors come here too, by their own types.
        std::fprintf(m_out, "! error: %s\n", e.what());
    }
    forms::Application::DoEvents();
    return ok;
}

unsigned session::run_all(std::string_view p_script) {
    unsigned failed = 0;
    std::size_t at = 0;
    while (at <= p_script.size()) {
        std::size_t end = p_script.find_first_of(";\n", at);
        if (end == std::string_view::npos) end = p_script.size();
        const auto words = words_of(p_script.substr(at, end - at));
        if (!words.empty()) {
            const std::string_view line = p_script.substr(at, end - at);
            const auto first = line.find_first_not_of(" \t");
            std::fprintf(m_out, "> %.*s\n", static_cast<int>(line.size() - first), line.data() + first);
            if (!run(line)) ++failed;
        }
        at = end + 1;
    }
    return failed;
}

bool session::dispatch(std::string_view p_command) {
    const auto words = words_of(p_command);
    if (words.empty() || words[0].starts_with("#")) return true;
    const std::string_view verb = words[0];

    if (verb == "menu") {
        std::fputs(main_menu(m_app.services()).describe().c_str(), m_out);
    } else if (verb == "open") {
        expect_words(words, 2, "open GROUP/LABEL");
        const auto slash = words[1].find('/');
        if (slash == std::string_view::npos) throw command_error("usage: open GROUP/LABEL");
        main_menu menu(m_app.services());
        const auto* item = menu.find(words[1].substr(0, slash), words[1].substr(slash + 1));
        if (item == nullptr) throw command_error("no menu command " + std::string(words[1]));
        menu.run(*item);
    } else if (verb == "show") {
        print_windows();
    } else if (verb == "queue") {
        print_queue();
    } else if (verb == "enqueue") {
        if (words.size() < 2) throw command_error("usage: enqueue N...");
        std::vector<t_playback_queue_item> items;
        for (std::size_t i = 1; i < words.size(); ++i) {
            const int n = number(words[i]);
            if (n < 1 || static_cast<t_size>(n) > m_app.tracks().size()) {
                throw command_error("no track " + std::string(words[i]) + " in the library");
            }
            items.push_back(m_app.tracks().queue_item(static_cast<t_size>(n - 1)));
        }
        m_app.queue().add(items);
    } else if (verb == "play") {
        if (m_app.queue().take_head().is_empty()) throw command_error("the queue is empty");
    } else if (verb == "line") {
        if (words.size() < 2 || words.size() > 3) throw command_error("usage: line N [shift|ctrl]");
        forms::Keys modifiers = forms::Keys::None;
        if (words.size() == 3) {
            if (words[2] == "shift") modifiers = forms::Keys::Shift;
            else if (words[2] == "ctrl") modifiers = forms::Keys::Control;
            else throw command_error("usage: line N [shift|ctrl]");
        }
        automation::ClickLine(target_list(target_window()), number(words[1]) - 1, modifiers);
    } else if (verb == "click") {
        expect_words(words, 2, "click NAME");
        forms::Form& form = target_window();
        forms::Control* control = automation::Find(form, forms::from_utf8(words[1]));
        if (control == nullptr) throw command_error("no control named " + std::string(words[1]));
        automation::Click(*control);
    } else if (verb == "key") {
        expect_words(words, 2, "key [shift+|ctrl+]KEY");
        automation::PressKey(target_window(), key_named(words[1]));
    } else if (verb == "move") {
        expect_words(words, 3, "move X Y");
        automation::MoveTo(target_window(), forms::Point(number(words[1]), number(words[2])));
    } else if (verb == "resize") {
        expect_words(words, 3, "resize W H");
        automation::ResizeTo(target_window(), forms::Size(number(words[1]), number(words[2])));
    } else if (verb == "close") {
        automation::Close(target_window());
    } else if (verb == "save") {
        std::fprintf(m_out, "saved the configuration of %zu components\n", m_app.save_configuration());
    } else {
        throw command_error("unknown command " + std::string(verb));
    }
    return true;
}

void session::print_queue() {
    std::fprintf(m_out, "playback queue, %u entries:\n", m_app.queue().size());
    for (t_size i = 0; i < m_app.queue().size(); ++i) {
        const auto* entry = static_cast<const track*>(m_app.queue().at(i).m_handle.get_ptr());
        std::fprintf(m_out, "  %2u. %s\n", i + 1, describe(*entry).c_str());
    }
}

void session::print_windows() {
    const auto open = automation::OpenForms();
    if (open.empty()) std::fputs("(no window open)\n", m_out);
    for (forms::Form* form : open) {
        const auto bounds = form->Bounds();
        std::fprintf(m_out, "window at (%d, %d), %d x %d:\n", bounds.X, bounds.Y, bounds.Width, bounds.Height);
        std::fputs(automation::RenderText(*form).c_str(), m_out);
    }
}

}  // namespace host
