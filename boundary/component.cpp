// The component's static objects that run code to start, all in this one
// file and in this order, because their construction order is observable:
// each configuration variable and each factory links itself in at the head of
// its list, so the lists read in the reverse of the order below. C++ orders
// such statics only within one translation unit. None of them can be
// constinit: linking in writes another static, which a constant expression
// may not, and the menu command set allocates its texts.
//
// Everything they rely on is constant-initialised and so ready before the
// first of them runs: the two list heads (cfg_var.cpp, service_factory.cpp)
// and the component-wide state (globals.h), of which g_name and g_client are
// defined here, after the others, to keep the order of destruction: the
// client first, then the name, then the factories and variables.

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

constinit pfc::string_simple_t<char> g_name;
constinit foobar2000_client_impl g_client;

extern "C" PLATFORM_LIBRARY_EXPORT foobar2000_client* foobar2000_get_interface(foobar2000_api* p_api, HINSTANCE) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_api = p_api;
    return &g_client;
}
