// A screen reader's view of the queue window, from a process of its own, as
// Microsoft Active Accessibility gives it (desktop_test.sh runs it under Wine
// beside the host):
//
//   msaa_client.exe STEP...
//
// It finds the window titled "Sorvale", takes its client object
// (AccessibleObjectFromWindow) and the list among the client's children
// (AccessibleChildren), watches the window's events with an out-of-process
// hook, and runs the steps in order, each followed by the events it caused
// (the message loop runs until they have stopped coming for a while), one
// line each, in UTF-8:
//   read            the client and each child, the list's lines, the focus,
//                   the selection, a hit test and navigation among the lines
//   select N HOW    accSelect on line N: take, add, remove (the selection),
//                   focus (SELFLAG_TAKEFOCUS)
//   press NAME      accDoDefaultAction on the client's child named NAME
//   gone            waits for the window to go, then asks the objects it
//                   still holds: what they answer
//   listen MS       says "listening", then hears events for MS milliseconds
//                   (what another program does to the window meanwhile)
// Exit status 0, or 1 with a line that says what failed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>
#include <oleacc.h>

namespace {

HWND window = nullptr;
DWORD lastEvent = 0;

[[noreturn]] void Fail(const std::string& what, HRESULT code = S_OK) {
    std::printf("FAILED: %s (0x%08lx)\n", what.c_str(), static_cast<unsigned long>(code));
    std::fflush(stdout);
    std::exit(1);
}

std::string Utf8(const wchar_t* text, int units) {
    if (!text || units <= 0) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), bytes, nullptr, nullptr);
    return out;
}

VARIANT Child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = id;
    return v;
}

std::string Name(IAccessible* object, LONG child) {
    BSTR name = nullptr;
    const HRESULT read = object->get_accName(Child(child), &name);
    if (FAILED(read)) return "(no name: " + std::to_string(read) + ")";
    std::string text = "\"" + Utf8(name, name ? static_cast<int>(SysStringLen(name)) : 0) + "\"";
    SysFreeString(name);
    return text;
}

std::string Role(IAccessible* object, LONG child) {
    VARIANT role;
    VariantInit(&role);
    if (FAILED(object->get_accRole(Child(child), &role)) || V_VT(&role) != VT_I4) return "(no role)";
    switch (V_I4(&role)) {
        case ROLE_SYSTEM_CLIENT: return "client";
        case ROLE_SYSTEM_LIST: return "list";
        case ROLE_SYSTEM_LISTITEM: return "list item";
        case ROLE_SYSTEM_PUSHBUTTON: return "push button";
        default: return "role " + std::to_string(V_I4(&role));
    }
}

std::string State(IAccessible* object, LONG child) {
    VARIANT state;
    VariantInit(&state);
    if (FAILED(object->get_accState(Child(child), &state)) || V_VT(&state) != VT_I4) return "(no state)";
    const struct {
        LONG flag;
        const char* name;
    } flags[] = {{STATE_SYSTEM_UNAVAILABLE, "unavailable"},         {STATE_SYSTEM_SELECTED, "selected"},
                 {STATE_SYSTEM_FOCUSED, "focused"},                 {STATE_SYSTEM_INVISIBLE, "invisible"},
                 {STATE_SYSTEM_OFFSCREEN, "offscreen"},             {STATE_SYSTEM_FOCUSABLE, "focusable"},
                 {STATE_SYSTEM_SELECTABLE, "selectable"},           {STATE_SYSTEM_MULTISELECTABLE, "multiselectable"},
                 {STATE_SYSTEM_EXTSELECTABLE, "extselectable"}};
    std::string text;
    for (const auto& f : flags)
        if (V_I4(&state) & f.flag) text += std::string(text.empty() ? "" : " ") + f.name;
    return text.empty() ? "normal" : text;
}

// What a VARIANT that `from` answered says: a child id (with its name), an
// object (its role and name), or nothing.
std::string Named(IAccessible* from, VARIANT& v) {
    std::string text = "none";
    if (V_VT(&v) == VT_I4) text = V_I4(&v) == CHILDID_SELF ? "self" : "child " + std::to_string(V_I4(&v)) + " " + Name(from, V_I4(&v));
    if (V_VT(&v) == VT_DISPATCH && V_DISPATCH(&v)) {
        IAccessible* object = nullptr;
        if (SUCCEEDED(V_DISPATCH(&v)->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object)))) {
            text = "object " + Role(object, CHILDID_SELF) + " " + Name(object, CHILDID_SELF);
            object->Release();
        }
    }
    VariantClear(&v);
    return text;
}

const char* EventName(DWORD event) {
    switch (event) {
        case EVENT_OBJECT_FOCUS: return "focus";
        case EVENT_OBJECT_SELECTION: return "selection";
        case EVENT_OBJECT_SELECTIONADD: return "selection add";
        case EVENT_OBJECT_SELECTIONREMOVE: return "selection remove";
        case EVENT_OBJECT_SELECTIONWITHIN: return "selection within";
        case EVENT_OBJECT_CREATE: return "create";
        case EVENT_OBJECT_DESTROY: return "destroy";
        case EVENT_OBJECT_REORDER: return "reorder";
        case EVENT_OBJECT_NAMECHANGE: return "name change";
        case EVENT_OBJECT_SHOW: return "show";
        case EVENT_OBJECT_HIDE: return "hide";
        default: return nullptr;
    }
}

// Out of context: on this thread, from its message loop.
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND from, LONG object, LONG child, DWORD, DWORD) {
    const char* name = EventName(event);
    if (from != window || !name) return;
    lastEvent = GetTickCount();
    std::string where = object == OBJID_WINDOW ? "window" : object == OBJID_CLIENT ? "client" : object > 0 ? "list" : "object " + std::to_string(object);
    if (child != CHILDID_SELF) where += (object > 0 ? " line " : " child ") + std::to_string(child);
    // What a screen reader would say, read back from the event's source as it is now.
    std::string said;
    IAccessible* source = nullptr;
    VARIANT id;
    VariantInit(&id);
    if (event != EVENT_OBJECT_DESTROY && SUCCEEDED(AccessibleObjectFromEvent(from, static_cast<DWORD>(object), static_cast<DWORD>(child), &source, &id)) && source) {
        said = " " + Name(source, V_VT(&id) == VT_I4 ? V_I4(&id) : CHILDID_SELF);
        source->Release();
    }
    std::printf("event %s %s%s\n", name, where.c_str(), said.c_str());
}

// Runs the message loop until no event has come for `quiet` milliseconds (at most 5 s).
void Settle(DWORD quiet = 400) {
    const DWORD start = GetTickCount();
    lastEvent = start;
    while (GetTickCount() - lastEvent < quiet && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    std::fflush(stdout);
}

void Read(IAccessible* client, IAccessible* list) {
    LONG count = 0;
    client->get_accChildCount(&count);
    std::printf("client %s role %s, %ld children\n", Name(client, CHILDID_SELF).c_str(), Role(client, CHILDID_SELF).c_str(), static_cast<long>(count));
    for (LONG c = 1; c <= count; ++c) {
        IDispatch* object = nullptr;
        const bool isObject = client->get_accChild(Child(c), &object) == S_OK;
        if (object) object->Release();
        BSTR action = nullptr;
        client->get_accDefaultAction(Child(c), &action);
        std::printf("child %ld%s %s role %s, action \"%s\", state %s\n", static_cast<long>(c), isObject ? " object" : "", Name(client, c).c_str(),
                    Role(client, c).c_str(), Utf8(action, action ? static_cast<int>(SysStringLen(action)) : 0).c_str(), State(client, c).c_str());
        SysFreeString(action);
    }
    LONG lines = 0;
    list->get_accChildCount(&lines);
    std::printf("list %s role %s, %ld lines, state %s\n", Name(list, CHILDID_SELF).c_str(), Role(list, CHILDID_SELF).c_str(), static_cast<long>(lines),
                State(list, CHILDID_SELF).c_str());
    for (LONG line = 1; line <= lines; ++line)
        std::printf("line %ld %s role %s, state %s\n", static_cast<long>(line), Name(list, line).c_str(), Role(list, line).c_str(), State(list, line).c_str());
    VARIANT v;
    client->get_accFocus(&v);
    std::printf("focus of the client: %s\n", Named(client, v).c_str());
    list->get_accFocus(&v);
    std::printf("focus of the list: %s\n", Named(list, v).c_str());
    list->get_accSelection(&v);
    std::string selection = "none";
    if (V_VT(&v) == VT_UNKNOWN && V_UNKNOWN(&v)) {
        IEnumVARIANT* each = nullptr;
        if (SUCCEEDED(V_UNKNOWN(&v)->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&each)))) {
            selection.clear();
            VARIANT item;
            ULONG got = 0;
            while (each->Next(1, &item, &got) == S_OK && got == 1) selection += (selection.empty() ? "" : ", ") + Named(list, item);
            each->Release();
        }
        VariantClear(&v);
    } else {
        selection = Named(list, v);
    }
    std::printf("selection of the list: %s\n", selection.c_str());
    // Where a pointer over line 3 is, as the client and the list answer it.
    LONG x = 0, y = 0, width = 0, height = 0;
    list->accLocation(&x, &y, &width, &height, Child(3));
    std::printf("line 3 is %ld x %ld\n", static_cast<long>(width), static_cast<long>(height));
    client->accHitTest(x + width / 2, y + height / 2, &v);
    std::printf("hit test of the client at line 3: %s\n", Named(client, v).c_str());
    list->accHitTest(x + width / 2, y + height / 2, &v);
    std::printf("hit test of the list at line 3: %s\n", Named(list, v).c_str());
    list->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &v);
    std::printf("first line: %s\n", Named(list, v).c_str());
    list->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &v);
    std::printf("last line: %s\n", Named(list, v).c_str());
    list->accNavigate(NAVDIR_NEXT, Child(2), &v);
    std::printf("after line 2: %s\n", Named(list, v).c_str());
    list->accNavigate(NAVDIR_PREVIOUS, Child(1), &v);
    std::printf("before line 1: %s\n", Named(list, v).c_str());
    IDispatch* parent = nullptr;
    list->get_accParent(&parent);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = parent;
    std::printf("parent of the list: %s\n", Named(list, v).c_str());
    BSTR shortcut = nullptr;
    std::printf("keyboard shortcut of line 1: %s\n", list->get_accKeyboardShortcut(Child(1), &shortcut) == S_FALSE && !shortcut ? "none" : "some");
    SysFreeString(shortcut);
}

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) Fail("CoInitializeEx");
    for (int i = 0; i < 100 && !window; ++i) {
        window = FindWindowW(nullptr, L"Sorvale");
        if (!window) Sleep(50);
    }
    if (!window) Fail("no window titled Sorvale");
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnEvent, process, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook) Fail("SetWinEventHook", HRESULT_FROM_WIN32(GetLastError()));

    IAccessible* client = nullptr;
    HRESULT result = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&client));
    if (FAILED(result) || !client) Fail("AccessibleObjectFromWindow", result);
    LONG count = 0;
    client->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    LONG obtained = 0;
    result = AccessibleChildren(client, 0, count, children.data(), &obtained);
    if (FAILED(result)) Fail("AccessibleChildren", result);
    IAccessible* list = nullptr;
    for (VARIANT& child : children) {
        if (V_VT(&child) == VT_DISPATCH && V_DISPATCH(&child) && !list)
            V_DISPATCH(&child)->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&list));
        VariantClear(&child);
    }
    if (!list) Fail("no list among the client's children");

    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        if (step == "read") {
            Read(client, list);
        } else if (step == "select" && i + 2 < argc) {
            const LONG line = std::atol(argv[i + 1]);
            const std::string how = argv[i + 2];
            i += 2;
            const LONG flags = how == "take" ? SELFLAG_TAKESELECTION : how == "add" ? SELFLAG_ADDSELECTION : how == "remove" ? SELFLAG_REMOVESELECTION : SELFLAG_TAKEFOCUS;
            result = list->accSelect(flags, Child(line));
            std::printf("select line %ld %s: 0x%08lx\n", static_cast<long>(line), how.c_str(), static_cast<unsigned long>(result));
        } else if (step == "press" && i + 1 < argc) {
            const std::string name = std::string("\"") + argv[++i] + "\"";
            LONG button = 0;
            for (LONG c = 1; c <= count && !button; ++c)
                if (Name(client, c) == name) button = c;
            if (!button) Fail("no child named " + name);
            result = client->accDoDefaultAction(Child(button));
            std::printf("press %s: 0x%08lx\n", name.c_str(), static_cast<unsigned long>(result));
        } else if (step == "listen" && i + 1 < argc) {
            const DWORD span = static_cast<DWORD>(std::atol(argv[++i]));
            std::printf("listening\n");
            std::fflush(stdout);
            for (const DWORD start = GetTickCount(); GetTickCount() - start < span;) Settle(50);
        } else if (step == "gone") {
            for (int wait = 0; wait < 200 && IsWindow(window); ++wait) Settle(50);
            std::printf("the window is %s\n", IsWindow(window) ? "still there" : "gone");
            LONG left = 0;
            BSTR name = nullptr;
            const HRESULT fromClient = client->get_accChildCount(&left);
            const HRESULT fromList = list->get_accName(Child(1), &name);
            SysFreeString(name);
            std::printf("the client it held %s (0x%08lx), the list %s (0x%08lx)\n", FAILED(fromClient) ? "fails" : "answers",
                        static_cast<unsigned long>(fromClient), FAILED(fromList) ? "fails" : "answers", static_cast<unsigned long>(fromList));
        } else {
            Fail("unknown step " + step);
        }
        Settle();
    }
    list->Release();
    client->Release();
    UnhookWinEvent(hook);
    CoUninitialize();
    return 0;
}
