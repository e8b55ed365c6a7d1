// The component's static objects, all in this one file and in this order,
// because their construction order is observable: each configuration variable
// and each factory links itself in at the head of its list, so the lists read
// in the reverse of the order below. C++ orders statics only within one
// translation unit.

#include "boundary/componentversion_impl.h"
#include "boundary/globals.h"
#include "config/window_geometry.h"
#include "integration/sorvale_initquit.h"
#include "integration/sorvale_mainmenu_commands.h"
#include "integration/sorvale_queue_callback.h"
#include "platform/com.h"

#define SORVALE_VERSION "0.1.1"

cfgWindowSize cfgMainWindowSize(guid_cfgMainWindowSize, {0, 0});
cfgWindowPosition cfgMainWindowPosition(guid_cfgMainWindowPosition, {0, 0});

namespace {

// The build date and time as the compiler gives them ("Mmm dd yyyy", the day
// space-padded; "hh:mm:ss") are exactly the form the about text shows.
constexpr const char* about_text =
    "Sorvale component\n"
    "by Tevrin\n"
    "\n"
    "Version: " SORVALE_VERSION "\n"
    "Compiled: " __DATE__ " - " __TIME__;

componentversion_impl_simple_factory g_componentversion_service("Sorvale", SORVALE_VERSION, about_text);
initquit_factory_t<sorvale_initquit> foo_initquit;
service_factory_single_t<sorvale_queue_callback> g_queue_callback;
mainmenu_commands_factory_t<sorvale_mainmenu_commands> foo_menu;

}  // namespace

pfc::string_simple_t<char> g_name;
foobar2000_client_impl g_client;

extern "C" __attribute__((visibility("default"))) foobar2000_client* foobar2000_get_interface(foobar2000_api* p_api,
                                                                                              HINSTANCE) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_api = p_api;
    return &g_client;
}
