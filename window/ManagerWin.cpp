#include "window/ManagerWin.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "boundary/service_api.h"
#include "config/window_geometry.h"
#include "forms/application.h"
#include "integration/clear_queue.h"
#include "integration/edge_queue.h"
#include "integration/playlist_manager.h"
#include "support/array.h"
#include "support/bit_array.h"
#include "support/convert_utf8.h"
#include "support/list.h"
#include "support/scope_exit.h"

bool ManagerWin::instanceExists = false;
ManagerWin* ManagerWin::instance = nullptr;

void ManagerWin::show() {
    if (!instanceExists) instance = new ManagerWin();
    instance->Show();
    instance->Focus();
}

namespace {

// Whether the window, moved to p_place, can still be dragged by its caption: at
// least 32 x 10 pixels of its top strip (the frame and the caption bar above the
// client area) lie within the working area of one screen.
bool caption_on_a_screen(const forms::Form& p_window, cfgCoordinates::coords p_place) {
    constexpr long long grip_width = 32, grip_height = 10;
    const long long left = p_place.x, top = p_place.y;
    const long long right = left + p_window.Width(), bottom = top + p_window.ClientInsets().Top;
    for (const forms::Screen& screen : forms::Application::AllScreens()) {
        const forms::Rectangle area = screen.WorkingArea;
        const long long width = std::min<long long>(right, area.Right()) - std::max<long long>(left, area.X);
        const long long height = std::min<long long>(bottom, area.Bottom()) - std::max<long long>(top, area.Y);
        if (width >= grip_width && height >= grip_height) return true;
    }
    return false;
}

}  // namespace

ManagerWin::ManagerWin() {
    instanceExists = true;
    try {
        InitializeComponent();
        // Values that are not positive were never a real window's: keep the
        // designed place and size then. The window is not visible yet, so these
        // changes save nothing.
        const auto size = cfgMainWindowSize.m_coords;
        if (size.x > 0 && size.y > 0) SetSize(forms::Size(size.x, size.y));
        const auto position = cfgMainWindowPosition.m_coords;
        // Not where no screen shows the caption (say, a monitor gone): the window has no other way back.
        if (position.x > 0 && position.y > 0 && caption_on_a_screen(*this, position))
            SetLocation(forms::Point(position.x, position.y));
        reloadQueue();
    } catch (...) {
        forms::Component::Dispose();
        throw;
    }
}

void ManagerWin::Dispose(bool disposing) {
    saveGeometry();
    instanceExists = false;
    if (disposing && components != nullptr) static_cast<forms::Component*>(components)->Dispose();
    forms::Form::Dispose(disposing);
}

void ManagerWin::saveGeometry() {
    cfgMainWindowSize.m_coords = {Width(), Height()};
    cfgMainWindowPosition.m_coords = {Left(), Top()};
}

void ManagerWin::ManagerWin_ShapeChanged(forms::Object&, const forms::EventArgs&) {
    if (Visible()) saveGeometry();
}

void ManagerWin::onQueueChanged(t_change_origin changeOrigin) {
    switch (changeOrigin) {
        case playback_queue_callback::origin_entries_added:
            reloadQueue(pfc::infinite_size);
            break;
        case playback_queue_callback::origin_entries_removed:
            reloadQueue();
            break;
        case playback_queue_callback::origin_head_taken:
            if (queueList->Items.Count() > 0) queueList->Items.RemoveAt(0);
            break;
        default:
            break;
    }
}

void ManagerWin::reloadQueue() { reloadQueue(0); }

namespace {

// Appends the line for one queue entry: the first ARTIST, " - ", the first
// TITLE. The track's information stays locked while the line is built and
// appended, and is unlocked on every path. A missing field, a track whose
// information the host cannot give, or an entry without a track shows as an
// empty part; the entry still gets exactly one line. A line of short texts
// (tags mostly are) is decoded into an array on the stack, one with a longer
// text in p_buffer, which the caller reuses for every line; either is
// appended as a copy of exactly its length, so a line carries no spare room.
void append_line(forms::ObjectCollection& p_lines, const t_playback_queue_item& p_entry, forms::String& p_buffer) {
    static constexpr char16_t separator[] = u" - ";
    constexpr std::size_t separator_units = std::size(separator) - 1;
    metadb_handle* track = p_entry.m_handle.get_ptr();
    if (track == nullptr) {
        p_lines.Add(separator);
        return;
    }
    track->lock_info();
    const pfc::on_scope_exit unlock([track]() noexcept { track->unlock_info(); });
    const char* artist = nullptr;
    const char* title = nullptr;
    // The track and its information are the host's: one call across the edge
    // reads both fields.
    edge::outbound([&] {
        const file_info* info = nullptr;
        if (track->peek_info(info) && info != nullptr) {
            artist = info->meta_get_ex("ARTIST", pfc::infinite_size, 0);
            title = info->meta_get_ex("TITLE", pfc::infinite_size, 0);
        }
    });
    char16_t line[2 * convert_short_text + separator_units];
    const std::size_t artist_units = convertUTF8toUTF16(artist, line, convert_short_text);
    if (artist_units != convert_too_long) {
        std::copy_n(separator, separator_units, line + artist_units);
        const std::size_t title_units = convertUTF8toUTF16(title, line + artist_units + separator_units, convert_short_text);
        if (title_units != convert_too_long) {
            p_lines.Add(forms::String(line, artist_units + separator_units + title_units));
            return;
        }
    }
    p_buffer.clear();
    convertUTF8toUTF16(artist, p_buffer);
    p_buffer.append(separator, separator_units);
    convertUTF8toUTF16(title, p_buffer);
    p_lines.Add(forms::String(p_buffer));
}

}  // namespace

void ManagerWin::reloadQueue(t_uint32 startingindex) {
    static_api_ptr_t<playlist_manager> api;
    pfc::list_t<t_playback_queue_item, pfc::alloc_fast> queue;
    edge::foreign_playlist_manager(*api.get_ptr()).read_queue_contents(queue);

    // The list repaints once for the whole change, however many lines it touches.
    queueList->BeginUpdate();
    const pfc::on_scope_exit end_update([this]() noexcept { queueList->EndUpdate(); });
    auto& lines = queueList->Items;
    if (startingindex == 0) {
        lines.Clear();
        // A full rebuild knows its line count: the list's array is sized once.
        lines.Reserve(static_cast<int>(std::min<t_size>(queue.get_count(), INT_MAX)));
    } else {
        while (static_cast<t_uint32>(lines.Count()) > startingindex) lines.RemoveAt(static_cast<int>(startingindex));
    }
    if (startingindex > static_cast<t_uint32>(lines.Count())) startingindex = static_cast<t_uint32>(lines.Count());

    forms::String line;
    for (t_uint32 i = startingindex; i < queue.get_count(); ++i) append_line(lines, queue[i], line);
}

void ManagerWin::removeButton_Click(forms::Object&, const forms::EventArgs&) {
    const std::vector<int> selected = queueList->SelectedIndices();
    if (selected.empty()) return;
    int p = selected.front();

    static_api_ptr_t<playlist_manager> api;
    {
        const auto count = static_cast<t_size>(queueList->Items.Count());
        pfc::array_t<bool> marks;
        marks.set_size(count);
        for (t_size i = 0; i < count; ++i) marks[i] = false;
        for (int index : selected) marks[static_cast<t_size>(index)] = true;
        // Line positions are queue positions: the lines mirror the queue.
        edge::foreign_playlist_manager(*api.get_ptr()).remove_queue_entries(bit_array_table_t<bool>(marks.get_ptr(), count, false));
    }

    // The host has usually reported the removal by now and the lines have been
    // rebuilt: select the line that took the first deleted one's place.
    const int remaining = queueList->Items.Count();
    if (p >= remaining) p = remaining - 1;
    if (p >= 0) queueList->SetSelected(p, true);
}

void ManagerWin::clearButton_Click(forms::Object&, const forms::EventArgs&) { g_clear_queue(); }

void ManagerWin::closeButton_Click(forms::Object&, const forms::EventArgs&) { Close(); }

void ManagerWin::ManagerWin_KeyDown(forms::Object& sender, forms::KeyEventArgs& e) {
    switch (e.KeyCode) {
        case forms::Keys::Delete:
            removeButton_Click(sender, e);
            break;
        case forms::Keys::Escape:
        case forms::Keys::Enter:
            Close();
            break;
        default:
            break;
    }
}
