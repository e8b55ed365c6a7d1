#include "forms/native_backend.h"

#include <stdexcept>
#include <string>

#include "forms/form.h"

namespace forms {

namespace {

// Whether a native backend lives: the window system's callbacks reach theirs
// through the windows themselves, so this only keeps a second one out.
bool g_open = false;

}  // namespace

WindowBoxes WindowBoxes::Of(const Form& form) {
    const FormBorderStyle style = form.FormBorderStyle();
    WindowBoxes boxes;
    boxes.tool = style == FormBorderStyle::FixedToolWindow || style == FormBorderStyle::SizableToolWindow;
    boxes.sizable = style == FormBorderStyle::Sizable || style == FormBorderStyle::SizableToolWindow;
    boxes.minimize = !boxes.tool && form.MinimizeBox();
    boxes.maximize = !boxes.tool && form.MaximizeBox();
    boxes.taskbar = !boxes.tool && form.ShowInTaskbar();
    return boxes;
}

void AddScreen(std::vector<Screen>& screens, const Screen& screen, bool primary) {
    if (primary) screens.insert(screens.begin(), screen);
    else screens.push_back(screen);
}

NativeBackendBase::NativeBackendBase(const char* kind) {
    if (g_open) throw std::logic_error(std::string("a ") + kind + " backend is already open");
    g_open = true;
}

NativeBackendBase::~NativeBackendBase() { g_open = false; }

}  // namespace forms
