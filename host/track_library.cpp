#include "host/track_library.h"

#include <cassert>
#include <cstdio>

namespace host {

namespace {

struct builtin_track {
    const char* artist;   // "|" separates several ARTIST values
    const char* title;    // null: the track has no TITLE field
    bool readable;
};

// Invented names. The field names vary in case on purpose: the host matches
// them without regard to case.
const builtin_track builtin_tracks[] = {
    {"Halvard Quist", "Lanterns Over Brackwater", true},
    {"Søren Vindtræ", "Kølig morgen ved Ørnefjeld", true},
    {"Tove Rask|Ennio Pallast", "Thin Ice Cartography", true},
    {"Orrin Feldgate", nullptr, true},
    {"Mireille Oduya", "Salt in the Clockwork", false},
    {"潮見ユウリ", "灯台のワルツ", true},
    {"Вера Стужина", "Окно на север", true},
    {"Ολυμπία Δρακοπούλου", "Νυχτερινό λιμάνι", true},
    {"The Copper Wrens", "Ninety-Ninth Lantern", true},
    {"Zuzanna Wróblewska-Kiel", "Łąki o półmroku", true},
    {"Pixel Harbour", "Glow ✦ Tide", true},
    {"Ilse Marrow", "Weathervane Hymn", true},
    {"Dagny Oltmark", "Quiet Engines", true},
    {"Benedek Szalóky", "Ködös hajnal", true},
    {"Aurelio Vantaggi", "Piccola Orbita", true},
    {"Kestrel & Loam", "Fieldwork No. 3", true},
    {"Nadira Qassem", "Lemon Groves at Noon", true},
    {"Ciarán Ó Fearghail", "An Bóthar Fada", true},
    {"Marlow Tenk", "Paper Satellites", true},
    {"Yusuf Demirtaş", "Rüzgârın Defteri", true},
    {"Hollis Brae", "Ten Minutes of Rain", true},
    {"Anouk Verbeelen", "Slow Tram to Nowhere", true},
    {"Ferris Oakhaven", "Undertow Choir", true},
    {"Linnea Stålhammar", "Midsommar Static", true},
};

std::unique_ptr<track> make_track(t_size p_number, const builtin_track& p_spec) {
    track_info info;
    // Alternate the spelling of the field names to keep the matching honest.
    const char* artist_name = p_number % 3 == 0 ? "artist" : (p_number % 3 == 1 ? "ARTIST" : "Artist");
    const std::string artists = p_spec.artist;
    std::size_t start = 0;
    for (std::size_t bar; (bar = artists.find('|', start)) != std::string::npos; start = bar + 1) {
        info.add_value(artist_name, artists.substr(start, bar - start));
    }
    info.add_value(artist_name, artists.substr(start));
    if (p_spec.title != nullptr) info.add_value(p_number % 2 == 0 ? "TITLE" : "title", p_spec.title);
    info.add_value("TRACKNUMBER", std::to_string(p_number + 1));
    std::string path = "/music/" + artists.substr(0, artists.find('|')) + "/" +
                       (p_spec.title != nullptr ? p_spec.title : "untitled") + ".flac";
    return std::make_unique<track>(std::move(path), std::move(info), p_spec.readable);
}

}  // namespace

std::unique_ptr<track_library> track_library::builtin() {
    auto library = std::make_unique<track_library>();
    t_size number = 0;
    for (const auto& spec : builtin_tracks) library->add(make_track(number++, spec));
    return library;
}

track& track_library::add(std::unique_ptr<track> p_track) {
    m_tracks.push_back(std::move(p_track));
    return *m_tracks.back();
}

void track_library::replace_with(track_library&& p_other) {
    assert(live_references() == 0 && "a track still referenced would be freed under its holder");
    m_tracks = std::move(p_other.m_tracks);
    p_other.m_tracks.clear();
}

t_playback_queue_item track_library::queue_item(t_size p_index) const {
    t_playback_queue_item item;
    item.m_handle = &at(p_index);
    item.m_playlist = 0;
    item.m_item = p_index;
    return item;
}

t_int32 track_library::live_references() const {
    t_int32 total = 0;
    for (const auto& t : m_tracks) total += t->references();
    return total;
}

t_int32 track_library::locks_held() const {
    t_int32 total = 0;
    for (const auto& t : m_tracks) total += t->lock_depth();
    return total;
}

unsigned track_library::misuses() const {
    unsigned total = 0;
    for (const auto& t : m_tracks) total += t->misuses();
    return total;
}

std::string describe(const track& p_track) {
    if (!p_track.readable()) return visible(p_track.path()) + " (information unavailable)";
    const track_info& info = p_track.info();
    std::string line;
    const t_size artist = info.meta_find_field("artist", pfc::infinite_size);
    for (t_size i = 0; i < info.meta_value_count(artist); ++i) {
        if (i != 0) line += ", ";
        line += info.meta_value_at(artist, i);
    }
    if (line.empty()) line = "?";
    const char* title = info.meta_get_ex("title", pfc::infinite_size, 0);
    return visible(line + " - " + (title != nullptr ? title : "?"));
}

std::string visible(std::string_view p_text) {
    std::string out;
    out.reserve(p_text.size());
    for (const char c : p_text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string listing(const track_library& p_library) {
    std::string text = "track library (" + std::to_string(p_library.size()) + " tracks):\n";
    char number[16];
    for (t_size i = 0; i < p_library.size(); ++i) {
        std::snprintf(number, sizeof number, "  %2u. ", i + 1);
        text += number + describe(p_library.at(i)) + "\n";
    }
    return text;
}

}  // namespace host
