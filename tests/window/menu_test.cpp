#include "host/string_sink.h"
#include "integration/mainmenu_commands.h"
#include "window_fixture.h"

TEST_F(QueueWindow, MenuOffersOneCommandInTheViewGroup) {
    auto* menu = service<mainmenu_commands>();
    EXPECT_EQ(menu->get_command_count(), 1u);
    EXPECT_EQ(pfc::print_guid(menu->get_command(0)), "{5A7B8A3F-8EF8-452B-B9EA-15B5083536BE}");
    EXPECT_EQ(menu->get_command(1), pfc::guid_null);
    EXPECT_EQ(pfc::print_guid(menu->get_parent()), "{F8BE5604-165F-4BB9-B6A9-15E55E0E0D3A}");
    EXPECT_EQ(menu->get_sort_priority(), 0x80000000u);

    host::string_sink text;
    menu->get_name(0, text);
    EXPECT_EQ(text.text(), "Sorvale");
    text.set_string("unchanged");
    menu->get_name(1, text);
    EXPECT_EQ(text.text(), "unchanged");
    EXPECT_FALSE(menu->get_description(1, text));
    EXPECT_EQ(text.text(), "unchanged");
    EXPECT_TRUE(menu->get_description(0, text));
    EXPECT_EQ(text.text(), "Shows the Sorvale");

    t_uint32 flags = 0xFFFFFFFFu;
    EXPECT_TRUE(menu->get_display(0, text, flags));
    EXPECT_EQ(text.text(), "Sorvale");
    EXPECT_EQ(flags, 0u);
}

TEST_F(QueueWindow, OtherIndexesDoNothingButStillReleaseTheCallback) {
    execute(1);
    execute(7);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(callback.count, 0);
}

TEST_F(QueueWindow, GateAnsweringNoOpensNothing) {
    app.api().set_gate(false);
    const unsigned asked = app.api().calls().gate_check;
    execute();
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(app.api().calls().gate_check, asked + 1);

    // With the host's services off the gate is not consulted.
    component->client().services_init(false);
    execute();
    EXPECT_NE(window(), nullptr);
    EXPECT_EQ(app.api().calls().gate_check, asked + 1);
    component->client().services_init(true);
}
