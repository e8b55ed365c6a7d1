#include "forms/win32_accessible.h"

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <iterator>
#include <new>
#include <string>
#include <utility>

#include "forms/automation.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/native_backend.h"

namespace forms {

namespace acc = accessibility;

namespace {

// Up to this many lines, an event per line; past it one EVENT_OBJECT_REORDER
// (or SELECTIONWITHIN) for the list, so a big change costs one event.
constexpr int kLineEventsAtMost = 16;
// A selection of up to this many lines is kept, to tell which lines changed.
constexpr int kKeptSelection = 64;

// A list is an object of its own; a button and a line are simple children.
bool IsObject(acc::Node node) { return node.line < 0 && acc::RoleOf(node) == acc::Role::List; }

// `control` in `form`'s tree now, or null. Compares addresses only: a control
// that left the form may be freed.
acc::Node FindControl(Form& form, const Control* control) {
    std::vector<acc::Node> todo{acc::Root(form)};
    while (!todo.empty()) {
        const acc::Node node = todo.back();
        todo.pop_back();
        if (node.control == control) return node;
        if (IsObject(node)) continue;  // its children are lines
        for (int i = 0, n = acc::ChildCount(node); i < n; ++i) todo.push_back(acc::Child(node, i));
    }
    return {};
}

// What a client's call may throw stays here: the caller is another process's proxy.
template <class F>
HRESULT Guarded(F&& call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT Text(std::u16string_view text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetI4(VARIANT* out, LONG value) {
    V_VT(out) = VT_I4;
    V_I4(out) = value;
}

LONG RoleCode(acc::Role role) {
    switch (role) {
        case acc::Role::Window: return ROLE_SYSTEM_CLIENT;
        case acc::Role::List: return ROLE_SYSTEM_LIST;
        case acc::Role::ListItem: return ROLE_SYSTEM_LISTITEM;
        case acc::Role::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    }
    return ROLE_SYSTEM_CLIENT;
}

LONG StateCode(acc::States states) {
    using acc::States;
    LONG code = acc::Has(states, States::Enabled) ? 0 : STATE_SYSTEM_UNAVAILABLE;
    const std::pair<States, LONG> flags[] = {
        {States::Focusable, STATE_SYSTEM_FOCUSABLE},   {States::Focused, STATE_SYSTEM_FOCUSED},
        {States::Selectable, STATE_SYSTEM_SELECTABLE}, {States::Selected, STATE_SYSTEM_SELECTED},
        {States::Offscreen, STATE_SYSTEM_OFFSCREEN},   {States::MultiSelectable, STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE},
    };
    for (const auto& [flag, value] : flags)
        if (acc::Has(states, flag)) code |= value;
    return code;
}

// IUnknown for an object made with `new`, born with one reference (its
// maker's), that answers `Interface` and `Bases` (which it derives from).
template <class Derived, class Interface, class... Bases>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(Interface) || ((riid == __uuidof(Bases)) || ...)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete static_cast<Derived*>(this);
        return static_cast<ULONG>(left);
    }

private:
    LONG references_ = 1;
};

// The selected lines' child ids, for get_accSelection when there are several.
class ChildIds final : public ComObject<ChildIds, IEnumVARIANT> {
public:
    explicit ChildIds(std::vector<LONG> ids, ULONG next = 0) : ids_(std::move(ids)), next_(next) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG got = 0;
        for (; got < count && next_ < ids_.size(); ++got, ++next_) {
            VariantInit(&out[got]);
            SetI4(&out[got], ids_[next_]);
        }
        if (fetched) *fetched = got;
        return got == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const ULONG left = static_cast<ULONG>(ids_.size()) - next_;
        next_ += std::min(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            *out = new ChildIds(ids_, next_);
            return S_OK;
        });
    }

private:
    friend ComObject;
    ~ChildIds() = default;
    std::vector<LONG> ids_;
    ULONG next_;
};

// The client (id OBJID_CLIENT) or a list (its positive id) of a form's window.
class Accessible final : public ComObject<Accessible, IAccessible, IDispatch> {
public:
    // One reference, the caller's.
    Accessible(std::shared_ptr<AccessibleWindow> window, LONG id) : window_(std::move(window)), id_(id) {
        window_->Born(this);
    }

    // No type information: clients call IAccessible's slots directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            acc::Node self;
            if (const HRESULT failed = Self(self); FAILED(failed)) return failed;
            // The client's parent is the window, as the system shows it; a list's is the client.
            if (id_ == OBJID_CLIENT)
                return CreateStdAccessibleObject(window_->Hwnd(), OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(out));
            *out = new Accessible(window_, OBJID_CLIENT);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
        if (!out) return E_POINTER;
        *out = 0;
        return Guarded([&] {
            acc::Node self;
            if (const HRESULT failed = Self(self); FAILED(failed)) return failed;
            *out = acc::ChildCount(self);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            if (V_I4(&child) == CHILDID_SELF) return E_INVALIDARG;
            if (!IsObject(node)) return S_FALSE;  // a simple child
            *out = new Accessible(window_, window_->IdOf(node.control));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            return Text(acc::Name(node), out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (topic) *topic = 0;
        return Nothing(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            SetI4(out, RoleCode(acc::RoleOf(node)));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            LONG state = StateCode(acc::StatesOf(node));
            if (!IsWindowVisible(window_->Hwnd())) state |= STATE_SYSTEM_INVISIBLE;
            SetI4(out, state);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            acc::Node self;
            if (const HRESULT failed = Self(self); FAILED(failed)) return failed;
            const acc::Node focused = acc::FocusedNode(window_->TheForm());
            return focused ? Answer(self, focused, out) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            acc::Node self;
            if (const HRESULT failed = Self(self); FAILED(failed)) return failed;
            const auto* list = dynamic_cast<const ListBox*>(self.control);
            if (!IsObject(self) || !list || list->SelectedCount() == 0) return S_FALSE;
            const std::vector<int> lines = list->SelectedIndices();
            if (lines.size() == 1) {
                SetI4(out, lines.front() + 1);
                return S_OK;
            }
            std::vector<LONG> ids;
            ids.reserve(lines.size());
            for (const int line : lines) ids.push_back(line + 1);
            V_VT(out) = VT_UNKNOWN;
            V_UNKNOWN(out) = new ChildIds(std::move(ids));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            std::u16string action(acc::DefaultAction(node));
            if (action.empty()) return S_FALSE;
            // Windows says its actions capitalised: "Press".
            if (action.front() >= u'a' && action.front() <= u'z') action.front() = static_cast<char16_t>(action.front() - u'a' + u'A');
            return Text(action, out);
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            constexpr LONG known = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION | SELFLAG_REMOVESELECTION |
                                   SELFLAG_EXTENDSELECTION;
            const LONG selecting = flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION | SELFLAG_REMOVESELECTION);
            if ((flags & ~known) || (selecting & (selecting - 1))) return E_INVALIDARG;  // at most one way
            if (flags & SELFLAG_EXTENDSELECTION) return E_NOTIMPL;
            if (selecting && node.line < 0) return DISP_E_MEMBERNOTFOUND;
            using Kind = AccessibleWindow::Request::Kind;
            if (selecting) {
                const acc::Selecting how = selecting == SELFLAG_TAKESELECTION ? acc::Selecting::Only
                                           : selecting == SELFLAG_ADDSELECTION ? acc::Selecting::Add
                                                                               : acc::Selecting::Remove;
                if (!window_->Queue({Kind::Select, node.control, node.line, how})) return E_FAIL;
            }
            if ((flags & SELFLAG_TAKEFOCUS) && !window_->Queue({Kind::TakeFocus, node.control, node.line, acc::Selecting::Only}))
                return E_FAIL;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            const Rectangle bounds = acc::Bounds(node);
            POINT corner{bounds.X, bounds.Y};
            ClientToScreen(window_->Hwnd(), &corner);
            *left = corner.x;
            *top = corner.y;
            *width = bounds.Width;
            *height = bounds.Height;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(start, node); FAILED(failed)) return failed;
            acc::Node self;
            Self(self);
            const int count = acc::ChildCount(self);
            const LONG from = V_I4(&start);
            LONG to = 0;  // a child id, or 0 for none
            switch (direction) {
                case NAVDIR_FIRSTCHILD: to = from == CHILDID_SELF && count > 0 ? 1 : 0; break;
                case NAVDIR_LASTCHILD: to = from == CHILDID_SELF ? count : 0; break;
                // Among this object's children; from the object itself its parent knows its siblings.
                case NAVDIR_NEXT:
                case NAVDIR_DOWN:
                case NAVDIR_RIGHT: to = from != CHILDID_SELF && from < count ? from + 1 : 0; break;
                case NAVDIR_PREVIOUS:
                case NAVDIR_UP:
                case NAVDIR_LEFT: to = from != CHILDID_SELF ? from - 1 : 0; break;
                default: return E_INVALIDARG;
            }
            return to > 0 ? Answer(self, acc::Child(self, to - 1), out) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            acc::Node self;
            if (const HRESULT failed = Self(self); FAILED(failed)) return failed;
            POINT at{x, y};
            ScreenToClient(window_->Hwnd(), &at);
            const acc::Node hit = acc::HitTest(window_->TheForm(), {at.x, at.y});
            return hit ? Answer(self, hit, out) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Guarded([&] {
            acc::Node node;
            if (const HRESULT failed = Resolve(child, node); FAILED(failed)) return failed;
            if (acc::DefaultAction(node).empty()) return DISP_E_MEMBERNOTFOUND;
            using Kind = AccessibleWindow::Request::Kind;
            return window_->Queue({Kind::DefaultAction, node.control, node.line, acc::Selecting::Only}) ? S_OK : E_FAIL;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

private:
    friend ComObject;
    ~Accessible() { window_->Ended(this); }

    // This object's node now, or why there is none.
    HRESULT Self(acc::Node& self) const {
        if (!window_->OnItsThread()) return RPC_E_WRONG_THREAD;
        if (window_->Retired()) return CO_E_OBJNOTCONNECTED;
        self = id_ == OBJID_CLIENT ? acc::Root(window_->TheForm()) : window_->ListOf(id_);
        return self ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    // The node a child id names: this object's (CHILDID_SELF) or its child's.
    HRESULT Resolve(const VARIANT& child, acc::Node& node) const {
        acc::Node self;
        if (const HRESULT failed = Self(self); FAILED(failed)) return failed;
        if (V_VT(&child) != VT_I4) return E_INVALIDARG;
        const LONG id = V_I4(&child);
        if (id == CHILDID_SELF) {
            node = self;
            return S_OK;
        }
        if (id < 1 || id > acc::ChildCount(self)) return E_INVALIDARG;
        node = acc::Child(self, id - 1);
        return S_OK;
    }
    // `node` as this object names it: itself, the child it lies in (an object
    // or a simple child's id), or nothing (S_FALSE) where it lies elsewhere.
    HRESULT Answer(acc::Node self, acc::Node node, VARIANT* out) const {
        while (node && node != self && acc::Parent(node) != self) node = acc::Parent(node);
        if (!node) return S_FALSE;
        if (node == self) {
            SetI4(out, CHILDID_SELF);
        } else if (IsObject(node)) {
            V_VT(out) = VT_DISPATCH;
            V_DISPATCH(out) = new Accessible(window_, window_->IdOf(node.control));
        } else {
            SetI4(out, acc::IndexInParent(node) + 1);
        }
        return S_OK;
    }
    // A text property no node has.
    HRESULT Nothing(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            acc::Node node;
            const HRESULT failed = Resolve(child, node);
            return FAILED(failed) ? failed : S_FALSE;
        });
    }

    std::shared_ptr<AccessibleWindow> window_;
    LONG id_;
};

}  // namespace

AccessibleWindow::AccessibleWindow(HWND hwnd, Form& form, NativeBackendBase& backend)
    : hwnd_(hwnd), form_(&form), backend_(&backend), thread_(GetCurrentThreadId()) {}

LRESULT AccessibleWindow::Answer(WPARAM wParam, LPARAM lParam) {
    // On 64-bit Windows the object id arrives zero-extended.
    const LONG id = static_cast<LONG>(lParam);
    try {
        if (Retired() || !OnItsThread() || (id != OBJID_CLIENT && !(id > 0 && ListOf(id)))) return 0;
        IAccessible* object = new Accessible(shared_from_this(), id);
        const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, object);
        object->Release();
        return answer < 0 ? 0 : answer;  // a failure: the system answers instead
    } catch (...) {
        return 0;
    }
}

acc::Node AccessibleWindow::ListOf(LONG id) const {
    if (Retired() || id < 1 || static_cast<std::size_t>(id) > objects_.size()) return {};
    const acc::Node found = FindControl(*form_, objects_[static_cast<std::size_t>(id - 1)]);
    return found && IsObject(found) ? found : acc::Node{};
}

LONG AccessibleWindow::IdOf(Control* list) {
    const auto found = std::find(objects_.begin(), objects_.end(), list);
    if (found != objects_.end()) return static_cast<LONG>(found - objects_.begin()) + 1;
    objects_.push_back(list);
    return static_cast<LONG>(objects_.size());
}

bool AccessibleWindow::Queue(const Request& request) {
    if (Retired()) return false;
    pending_.push_back(request);
    if (PostMessageW(hwnd_, kRequestMessage, 0, 0)) return true;
    pending_.pop_back();
    return false;
}

void AccessibleWindow::Born(IUnknown* object) { living_.push_back(object); }

void AccessibleWindow::Ended(IUnknown* object) noexcept {
    const auto found = std::find(living_.begin(), living_.end(), object);
    if (found != living_.end()) living_.erase(found);
}

void AccessibleWindow::RunRequest() {
    if (Retired() || pending_.empty()) return;
    const Request request = pending_.front();
    pending_.pop_front();
    if (!request.control) return;  // its line went
    acc::Node node = FindControl(*form_, request.control);
    if (!node) return;
    if (request.line >= 0) {
        if (request.line >= acc::ChildCount(node)) return;
        node = acc::Child(node, request.line);
    }
    // A handler may close the form, which retires this bridge and lets it go.
    const std::shared_ptr<AccessibleWindow> keep = shared_from_this();
    backend_->Deliver(form_, [&](Form&) {
        try {
            switch (request.kind) {
                case Request::Kind::DefaultAction: acc::DoDefaultAction(node); break;
                case Request::Kind::Select: acc::Select(node, request.how); break;
                case Request::Kind::TakeFocus: acc::TakeFocus(node); break;
            }
        } catch (const automation::AutomationError&) {
            // The node cannot take it now (hidden, disabled): as a click that misses.
        }
    });
}

void AccessibleWindow::Retire() noexcept {
    form_ = nullptr;
    backend_ = nullptr;
    pending_.clear();
    selections_.clear();
    objects_.clear();
    // Clients in other processes let go of what they hold: their next call
    // fails at once, and none of them keeps this module's code in use. Each
    // object is held while it is cut off, as cutting it off may release it.
    const std::vector<IUnknown*> living = std::move(living_);
    living_.clear();
    for (IUnknown* object : living) object->AddRef();
    for (IUnknown* object : living) {
        CoDisconnectObject(object, 0);
        object->Release();
    }
}

void AccessibleWindow::Raise(DWORD event, acc::Node node) {
    LONG object = OBJID_CLIENT, child = CHILDID_SELF;
    if (node.line >= 0) {
        object = IdOf(node.control);
        child = node.line + 1;
    } else if (IsObject(node)) {
        object = IdOf(node.control);
    } else if (acc::Parent(node)) {
        child = acc::IndexInParent(node) + 1;  // a simple child of the client
    }
    NotifyWinEvent(event, hwnd_, object, child);
}

void AccessibleWindow::Seed(Control* list) {
    Selection& kept = selections_[list];
    const auto* box = dynamic_cast<const ListBox*>(list);
    kept.known = box && box->SelectedCount() <= kKeptSelection;
    kept.lines = kept.known ? box->SelectedIndices() : std::vector<int>{};
}

void AccessibleWindow::SelectionChanged(acc::Node list) {
    const auto found = selections_.find(list.control);
    const Selection was = found != selections_.end() ? found->second : Selection{};
    Seed(list.control);
    const Selection& now = selections_[list.control];
    const LONG id = IdOf(list.control);
    // What reads well: "selected" for one line chosen alone, added and
    // removed lines for a few, and "the selection changed" for many.
    if (was.known && now.known) {
        std::vector<int> added, removed;
        std::set_difference(now.lines.begin(), now.lines.end(), was.lines.begin(), was.lines.end(), std::back_inserter(added));
        std::set_difference(was.lines.begin(), was.lines.end(), now.lines.begin(), now.lines.end(), std::back_inserter(removed));
        if (now.lines.size() == 1 && added.size() == 1) {
            NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd_, id, added.front() + 1);
            return;
        }
        if (added.size() + removed.size() <= static_cast<std::size_t>(kLineEventsAtMost)) {
            for (const int line : removed) NotifyWinEvent(EVENT_OBJECT_SELECTIONREMOVE, hwnd_, id, line + 1);
            for (const int line : added) NotifyWinEvent(EVENT_OBJECT_SELECTIONADD, hwnd_, id, line + 1);
            return;
        }
    } else if (now.known && now.lines.size() == 1) {
        NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd_, id, now.lines.front() + 1);
        return;
    }
    NotifyWinEvent(EVENT_OBJECT_SELECTIONWITHIN, hwnd_, id, CHILDID_SELF);
}

void AccessibleWindow::Renumber(Control* list, int index, int count) {
    // A line's index after the change, or -1 for a line removed.
    const auto after = [&](int line) {
        if (line < index) return line;
        if (count > 0) return line + count;
        return line < index - count ? -1 : line + count;
    };
    if (const auto found = selections_.find(list); found != selections_.end()) {
        std::vector<int> lines;
        for (const int line : found->second.lines)
            if (const int moved = after(line); moved >= 0) lines.push_back(moved);
        found->second.lines = std::move(lines);
    }
    for (Request& request : pending_) {
        if (request.control != list || request.line < 0) continue;
        request.line = after(request.line);
        if (request.line < 0) request.control = nullptr;  // dropped with its line
    }
}

void AccessibleWindow::Notify(const acc::Notice& notice) noexcept {
    if (Retired()) return;
    try {
        Control* const control = notice.node.control;
        switch (notice.change) {
            case acc::Change::Shown:
                // What a client hears of each list's selection from now on is what changed since.
                for (int i = 0, n = acc::ChildCount(notice.node); i < n; ++i)
                    if (const acc::Node child = acc::Child(notice.node, i); IsObject(child)) Seed(child.control);
                break;
            case acc::Change::Closed: Retire(); break;
            case acc::Change::LinesInserted:
            case acc::Change::LinesRemoved: {
                const bool inserted = notice.change == acc::Change::LinesInserted;
                Renumber(control, notice.index, inserted ? notice.count : -notice.count);
                if (notice.count > kLineEventsAtMost) {
                    NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, IdOf(control), CHILDID_SELF);
                    break;
                }
                const LONG id = IdOf(control);
                for (int i = notice.count; i-- > 0;)
                    NotifyWinEvent(inserted ? EVENT_OBJECT_CREATE : EVENT_OBJECT_DESTROY, hwnd_, id, notice.index + i + 1);
                break;
            }
            case acc::Change::LinesReset:
                for (Request& request : pending_)
                    if (request.control == control && request.line >= 0) request.control = nullptr;
                Seed(control);
                NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, IdOf(control), CHILDID_SELF);
                break;
            case acc::Change::SelectionChanged: SelectionChanged(notice.node); break;
            case acc::Change::FocusMoved: Raise(EVENT_OBJECT_FOCUS, notice.node); break;
            case acc::Change::NameChanged: Raise(EVENT_OBJECT_NAMECHANGE, notice.node); break;
        }
    } catch (...) {
        // Out of memory: a client misses this event, and reads the tree as it is.
    }
}

bool EnterApartment() {
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return entered == S_OK || entered == S_FALSE;
}

void LeaveApartment() { CoUninitialize(); }

}  // namespace forms
