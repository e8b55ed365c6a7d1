#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "config/record_codec.h"
#include "config/window_geometry.h"
#include "forms/application.h"
#include "forms/automation.h"
#include "forms/button.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/table_layout_panel.h"
#include "host/application.h"
#include "integration/initquit.h"
#include "integration/mainmenu_commands.h"
#include "integration/playback_queue_callback.h"
#include "tests/config/test_streams.h"
#include "tests/host/component_fixture.h"

// A host object that counts its references, to hand to execute as the callback.
class counted_callback : public service_base {
    SORVALE_INTERFACE(counted_callback)
    t_int32 service_add_ref() noexcept override { return ++count; }
    t_int32 service_release() noexcept override { return --count; }
    t_int32 count = 0;
};
inline const GUID counted_callback::class_guid = {0x7D1F0A52, 0x44C2, 0x4E0B, {0x8A, 0x10, 0x3C, 0x5E, 0x21, 0x9B, 0x6F, 0x04}};

// The host with the real component loaded, and the queue window at hand.
// Besides what every host test checks at its end (no track reference, lock or
// playlist_manager reference left over), the menu's callback must be back and
// every window freed.
class QueueWindow : public LoadedComponent {
protected:
    void TearDown() override {
        EXPECT_EQ(callback.count, 0) << "the menu's callback reference was not released";
        LoadedComponent::TearDown();
        EXPECT_EQ(forms::Application::LiveFormCount(), 0);
    }

    // View > Sorvale, as the host runs it.
    void execute(t_uint32 p_index = 0) { service<mainmenu_commands>()->execute(p_index, &callback); }

    void enqueue(std::initializer_list<t_size> p_tracks) {
        std::vector<t_playback_queue_item> items;
        for (t_size index : p_tracks) items.push_back(app.tracks().queue_item(index));
        app.queue().add(items);
    }
    void enqueue_range(t_size p_first, t_size p_count) {
        std::vector<t_playback_queue_item> items;
        for (t_size i = 0; i < p_count; ++i) items.push_back(app.tracks().queue_item(p_first + i));
        app.queue().add(items);
    }

    static forms::Form* window() { return forms::automation::FindForm(u"ManagerWin"); }
    static forms::ListBox& list() { return forms::automation::Get<forms::ListBox>(*window(), u"queueList"); }
    static forms::Button& button(std::u16string_view p_name) {
        return forms::automation::Get<forms::Button>(*window(), p_name);
    }
    static std::vector<std::string> lines() {
        std::vector<std::string> out;
        for (const auto& line : forms::automation::InspectList(list()).lines) out.push_back(forms::to_utf8(line));
        return out;
    }
    static std::vector<int> selection() { return forms::automation::InspectList(list()).selected; }

    // The two geometry pairs as the component would save them now.
    struct saved_geometry {
        cfgCoordinates::coords position;
        cfgCoordinates::coords size;
    };
    saved_geometry saved() {
        test_streams::recording_writer writer;
        test_streams::no_abort abort;
        component->client().get_config(&writer, abort);
        const test_streams::bytes bytes = writer.data();
        EXPECT_EQ(bytes.size(), component_config_size);
        cfg_codec::record_reader records(bytes);
        saved_geometry out{};
        for (auto [pair, guid] : {std::pair{&out.position, guid_cfgMainWindowPosition}, std::pair{&out.size, guid_cfgMainWindowSize}}) {
            cfg_codec::record record{};
            if (!records.next(record) || !(record.guid == guid) || record.payload.size() != cfgCoordinates::payload_size) {
                ADD_FAILURE() << "not the position record, then the size record";
                return out;
            }
            *pair = {cfg_codec::get_i32(record.payload.data()), cfg_codec::get_i32(record.payload.data() + 4)};
        }
        return out;
    }

    // Restores the component's geometry variables as a host would from a saved stream.
    void restore(cfgCoordinates::coords p_position, cfgCoordinates::coords p_size) {
        test_streams::bytes bytes;
        for (auto [guid, value] : {std::pair{guid_cfgMainWindowPosition, p_position}, std::pair{guid_cfgMainWindowSize, p_size}}) {
            unsigned char record[cfg_codec::record_size(cfgCoordinates::payload_size)];
            cfg_codec::put_header(record, guid, cfgCoordinates::payload_size);
            cfg_codec::put_i32(record + cfg_codec::header_size, value.x);
            cfg_codec::put_i32(record + cfg_codec::header_size + 4, value.y);
            bytes.insert(bytes.end(), record, record + sizeof record);
        }
        test_streams::memory_reader reader(bytes);
        test_streams::no_abort abort;
        component->client().set_config(&reader, abort);
    }

    counted_callback callback;
};

// The window's line for each track of the host's built-in library, in library
// order, written out: the first of several artists only, an empty part for a
// missing title, both parts empty for information the host cannot read.
inline const std::vector<std::string> library_lines = {
    "Halvard Quist - Lanterns Over Brackwater",
    "Søren Vindtræ - Kølig morgen ved Ørnefjeld",
    "Tove Rask - Thin Ice Cartography",
    "Orrin Feldgate - ",
    " - ",
    "潮見ユウリ - 灯台のワルツ",
    "Вера Стужина - Окно на север",
    "Ολυμπία Δρακοπούλου - Νυχτερινό λιμάνι",
    "The Copper Wrens - Ninety-Ninth Lantern",
    "Zuzanna Wróblewska-Kiel - Łąki o półmroku",
    "Pixel Harbour - Glow ✦ Tide",
    "Ilse Marrow - Weathervane Hymn",
    "Dagny Oltmark - Quiet Engines",
    "Benedek Szalóky - Ködös hajnal",
    "Aurelio Vantaggi - Piccola Orbita",
    "Kestrel & Loam - Fieldwork No. 3",
    "Nadira Qassem - Lemon Groves at Noon",
    "Ciarán Ó Fearghail - An Bóthar Fada",
    "Marlow Tenk - Paper Satellites",
    "Yusuf Demirtaş - Rüzgârın Defteri",
    "Hollis Brae - Ten Minutes of Rain",
    "Anouk Verbeelen - Slow Tram to Nowhere",
    "Ferris Oakhaven - Undertow Choir",
    "Linnea Stålhammar - Midsommar Static",
};

// The lines of the library tracks p_tracks, in that order.
inline std::vector<std::string> library_lines_of(std::initializer_list<t_size> p_tracks) {
    std::vector<std::string> out;
    for (t_size index : p_tracks) out.push_back(library_lines.at(index));
    return out;
}
