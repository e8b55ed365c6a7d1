#include <objbase.h>

#include "platform/com.h"

namespace platform {

apartment thread_apartment() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (CoGetApartmentType(&type, &qualifier) != S_OK) return apartment::none;
    return type == APTTYPE_STA || type == APTTYPE_MAINSTA ? apartment::single_threaded : apartment::other;
}

void leave_apartment() { CoUninitialize(); }

}  // namespace platform
