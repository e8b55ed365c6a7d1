#include "forms/gtk_accessible.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "forms/automation.h"
#include "forms/control.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/native_backend.h"
#include "forms/text.h"

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

namespace forms {

namespace a11y = accessibility;

namespace {

// Above this many lines a list manages its descendants (see the header).
constexpr int kManagedLines = 1000;
// A change of more lines than this is announced as one change of the whole
// list, not line by line.
constexpr int kLinesAnnounced = 64;
// On the drawing area: the bridge and the form, until the form's window goes.
constexpr char kImplKey[] = "sorvale-accessibility";
constexpr char kFormKey[] = "sorvale-accessible-form";

// An object of the tree other than the form: a control, or a list's line.
struct SorvaleNode {
    AtkObject parent;
    GtkAccessibility::Impl* owner;  // null once retired (defunct)
    Form* form;
    Control* control;
    int line;  // -1 for a control
    gchar* name;  // the last name handed out, which ATK lends to its caller
    // The states last announced for a line: SELECTED and FOCUSED as bits.
    guint announced;
};
struct SorvaleNodeClass {
    AtkObjectClass parent;
};
struct SorvaleList {
    SorvaleNode parent;
};
struct SorvaleListClass {
    SorvaleNodeClass parent;
};
struct SorvaleButton {
    SorvaleNode parent;
};
struct SorvaleButtonClass {
    SorvaleNodeClass parent;
};
// The client area, and its accessible.
struct SorvaleArea {
    GtkDrawingArea parent;
};
struct SorvaleAreaClass {
    GtkDrawingAreaClass parent;
};
struct SorvaleAreaAccessible {
    GtkWidgetAccessible parent;
};
struct SorvaleAreaAccessibleClass {
    GtkWidgetAccessibleClass parent;
};

constexpr guint kAnnouncedSelected = 1;
constexpr guint kAnnouncedFocused = 2;

SorvaleNode* AsNode(gpointer object) { return static_cast<SorvaleNode*>(object); }
a11y::Node NodeOf(const SorvaleNode* n) { return {n->control, n->line}; }
bool Live(const SorvaleNode* n) { return n->owner != nullptr; }

// A C callback never lets an error out: a read of a node that has gone
// meanwhile answers `fallback`.
template <class T, class F>
T Guarded(T fallback, F&& read) {
    try {
        return read();
    } catch (...) {
        return fallback;
    }
}

}  // namespace

struct GtkAccessibility::Impl {
    explicit Impl(NativeBackendBase& b) : backend(b) {}
    ~Impl();

    NativeBackendBase& backend;

    struct Lines {
        std::map<int, SorvaleNode*> objects;  // by line index, one reference each
        bool managed = false;  // announced as managing its descendants
    };
    struct FormObjects {
        GtkWidget* area = nullptr;
        bool read = false;  // a client asked for the area's accessible
        std::map<const Control*, SorvaleNode*> controls;  // one reference each
        std::map<const Control*, Lines> lists;
        // What has the focus as the toolkit last said, also before a client
        // read the window: the object that loses it is told so.
        a11y::Node focus;
    };
    std::map<const Form*, FormObjects> forms;

    enum class Kind { Action, Select, SelectAll, ClearSelection, Focus };
    struct Request {
        SorvaleNode* target;  // a reference
        Kind kind;
        a11y::Selecting how = a11y::Selecting::Only;
    };
    std::deque<Request> requests;
    guint idle = 0;

    FormObjects* ObjectsOf(const Form& form) {
        const auto found = forms.find(&form);
        return found == forms.end() ? nullptr : &found->second;
    }
    // The object for `node` of `form`, made if need be; borrowed. The form's
    // own node is the drawing area's accessible.
    AtkObject* ObjectFor(Form& form, a11y::Node node);
    AtkObject* Existing(Form& form, a11y::Node node);
    // The client area's origin on the screen, or the window's.
    std::pair<int, int> Origin(const Form& form, bool window = false);

    void Post(SorvaleNode* target, Kind kind, a11y::Selecting how = a11y::Selecting::Only);
    static gboolean RunRequests(gpointer data);
    void Run(const Request& request);

    // The node is gone: defunct from now on, the reference dropped; `announce`
    // says so to clients (a state change), which a whole list's retirement skips.
    static void Retire(SorvaleNode* n, bool announce);
    void RetireForm(const Form& form);

    void Renumber(Form& form, a11y::Node list, const a11y::Notice& notice);
    void AnnounceWhole(AtkObject* list);
    void SelectionChanged(Form& form, FormObjects& objects, a11y::Node list);
    void FocusMoved(Form& form, FormObjects& objects, a11y::Node node);
};

namespace {

using Impl = GtkAccessibility::Impl;

GType sorvale_area_accessible_get_type();
GType sorvale_list_get_type();
GType sorvale_button_get_type();

// ---- the objects of the tree

void NodeComponentInit(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(SorvaleNode, sorvale_node, ATK_TYPE_OBJECT, G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, NodeComponentInit))

void sorvale_node_init(SorvaleNode* n) {
    n->owner = nullptr;
    n->form = nullptr;
    n->control = nullptr;
    n->line = -1;
    n->name = nullptr;
    n->announced = 0;
}

void NodeFinalize(GObject* object) {
    g_free(AsNode(object)->name);
    G_OBJECT_CLASS(sorvale_node_parent_class)->finalize(object);
}

const gchar* NodeName(AtkObject* object) {
    SorvaleNode* n = AsNode(object);
    if (!Live(n)) return nullptr;
    const std::string name = Guarded(std::string(), [&] { return to_utf8(a11y::Name(NodeOf(n))); });
    g_free(n->name);
    n->name = g_strdup(name.c_str());
    return n->name;
}

gint NodeChildCount(AtkObject* object) {
    SorvaleNode* n = AsNode(object);
    if (!Live(n) || n->line >= 0) return 0;
    return Guarded(0, [&] { return a11y::ChildCount(NodeOf(n)); });
}

AtkObject* NodeChild(AtkObject* object, gint index) {
    SorvaleNode* n = AsNode(object);
    if (!Live(n) || n->line >= 0) return nullptr;
    AtkObject* child = Guarded<AtkObject*>(nullptr, [&] { return n->owner->ObjectFor(*n->form, a11y::Child(NodeOf(n), index)); });
    return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

gint NodeIndexInParent(AtkObject* object) {
    SorvaleNode* n = AsNode(object);
    if (!Live(n)) return -1;
    return Guarded(-1, [&] { return a11y::IndexInParent(NodeOf(n)); });
}

AtkStateSet* NodeStates(AtkObject* object) {
    SorvaleNode* n = AsNode(object);
    AtkStateSet* set = atk_state_set_new();
    if (!Live(n)) {
        atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
        return set;
    }
    const a11y::States states = Guarded(a11y::States::None, [&] { return a11y::StatesOf(NodeOf(n)); });
    const std::pair<a11y::States, AtkStateType> map[] = {
        {a11y::States::Focusable, ATK_STATE_FOCUSABLE},   {a11y::States::Focused, ATK_STATE_FOCUSED},
        {a11y::States::Selectable, ATK_STATE_SELECTABLE}, {a11y::States::Selected, ATK_STATE_SELECTED},
        {a11y::States::MultiSelectable, ATK_STATE_MULTISELECTABLE}, {a11y::States::Active, ATK_STATE_ACTIVE},
    };
    for (const auto& [state, atk] : map)
        if (a11y::Has(states, state)) atk_state_set_add_state(set, atk);
    if (a11y::Has(states, a11y::States::Enabled)) {
        atk_state_set_add_state(set, ATK_STATE_ENABLED);
        atk_state_set_add_state(set, ATK_STATE_SENSITIVE);
    }
    if (!a11y::Has(states, a11y::States::Offscreen)) {
        atk_state_set_add_state(set, ATK_STATE_VISIBLE);
        const Impl::FormObjects* objects = n->owner->ObjectsOf(*n->form);
        if (objects && objects->area && gtk_widget_get_mapped(objects->area)) atk_state_set_add_state(set, ATK_STATE_SHOWING);
    }
    if (n->line < 0)
        if (const Impl::FormObjects* objects = n->owner->ObjectsOf(*n->form))
            if (const auto list = objects->lists.find(n->control); list != objects->lists.end() && list->second.managed)
                atk_state_set_add_state(set, ATK_STATE_MANAGES_DESCENDANTS);
    return set;
}

void sorvale_node_class_init(SorvaleNodeClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = NodeFinalize;
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_name = NodeName;
    atk->get_n_children = NodeChildCount;
    atk->ref_child = NodeChild;
    atk->get_index_in_parent = NodeIndexInParent;
    atk->ref_state_set = NodeStates;
}

// Extents: the node's bounds in the client area, moved to the coordinates asked for.
void NodeExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height, AtkCoordType coords) {
    SorvaleNode* n = AsNode(component);
    *x = *y = *width = *height = 0;
    if (!Live(n)) return;
    const Rectangle bounds = Guarded(Rectangle(), [&] { return a11y::Bounds(NodeOf(n)); });
    const auto [left, top] = n->owner->Origin(*n->form);
    *x = bounds.X + left;
    *y = bounds.Y + top;
    *width = bounds.Width;
    *height = bounds.Height;
    if (coords == ATK_XY_WINDOW || coords == ATK_XY_PARENT) {
        gint px = 0, py = 0;
        AtkObject* parent = atk_object_get_parent(ATK_OBJECT(component));
        if (coords == ATK_XY_PARENT && parent && ATK_IS_COMPONENT(parent)) {
            atk_component_get_extents(ATK_COMPONENT(parent), &px, &py, nullptr, nullptr, ATK_XY_SCREEN);
        } else {
            std::tie(px, py) = n->owner->Origin(*n->form, true);
        }
        *x -= px;
        *y -= py;
    }
}

// The child of `within` (the area's node or a list) at the point, which is in `coords`.
AtkObject* ChildAt(Impl* impl, Form& form, a11y::Node within, AtkObject* self, gint x, gint y, AtkCoordType coords) {
    gint sx = x, sy = y;
    if (coords != ATK_XY_SCREEN) {
        gint ox = 0, oy = 0, ow = 0, oh = 0;
        if (coords == ATK_XY_PARENT) {
            if (AtkObject* parent = atk_object_get_parent(self); parent && ATK_IS_COMPONENT(parent))
                atk_component_get_extents(ATK_COMPONENT(parent), &ox, &oy, &ow, &oh, ATK_XY_SCREEN);
        } else {
            std::tie(ox, oy) = impl->Origin(form, true);
        }
        sx += ox;
        sy += oy;
    }
    // A plain pair: clang before 16 cannot capture a structured binding in a lambda.
    const std::pair<int, int> origin = impl->Origin(form);
    return Guarded<AtkObject*>(nullptr, [&]() -> AtkObject* {
        a11y::Node hit = a11y::HitTest(form, {sx - origin.first, sy - origin.second});
        while (hit && a11y::Parent(hit) != within) hit = a11y::Parent(hit);
        if (!hit) return nullptr;
        return ATK_OBJECT(g_object_ref(impl->ObjectFor(form, hit)));
    });
}

AtkObject* NodeAt(AtkComponent* component, gint x, gint y, AtkCoordType coords) {
    SorvaleNode* n = AsNode(component);
    if (!Live(n) || n->line >= 0) return nullptr;
    return ChildAt(n->owner, *n->form, NodeOf(n), ATK_OBJECT(component), x, y, coords);
}

gboolean NodeGrabFocus(AtkComponent* component) {
    SorvaleNode* n = AsNode(component);
    if (!Live(n)) return FALSE;
    n->owner->Post(n, Impl::Kind::Focus);
    return TRUE;
}

AtkLayer NodeLayer(AtkComponent*) { return ATK_LAYER_WIDGET; }

void NodeComponentInit(AtkComponentIface* iface) {
    iface->get_extents = NodeExtents;
    iface->ref_accessible_at_point = NodeAt;
    iface->grab_focus = NodeGrabFocus;
    iface->get_layer = NodeLayer;
}

// ---- a list: its lines, and their selection

void ListSelectionInit(AtkSelectionIface* iface);

G_DEFINE_TYPE_WITH_CODE(SorvaleList, sorvale_list, sorvale_node_get_type(), G_IMPLEMENT_INTERFACE(ATK_TYPE_SELECTION, ListSelectionInit))

void sorvale_list_init(SorvaleList*) {}
void sorvale_list_class_init(SorvaleListClass*) {}

ListBox* ListOf(SorvaleNode* n) { return Live(n) ? dynamic_cast<ListBox*>(n->control) : nullptr; }

// Line `index`, when it is one.
SorvaleNode* LineObject(SorvaleNode* list, gint index) {
    ListBox* box = ListOf(list);
    if (!box || index < 0 || index >= a11y::ChildCount(NodeOf(list))) return nullptr;
    return AsNode(list->owner->ObjectFor(*list->form, {box, index}));
}

gboolean ListAdd(AtkSelection* selection, gint index) {
    SorvaleNode* line = Guarded<SorvaleNode*>(nullptr, [&] { return LineObject(AsNode(selection), index); });
    if (!line) return FALSE;
    line->owner->Post(line, Impl::Kind::Select, a11y::Selecting::Add);
    return TRUE;
}

gboolean ListClear(AtkSelection* selection) {
    SorvaleNode* n = AsNode(selection);
    if (!ListOf(n)) return FALSE;
    n->owner->Post(n, Impl::Kind::ClearSelection);
    return TRUE;
}

gboolean ListSelectAll(AtkSelection* selection) {
    SorvaleNode* n = AsNode(selection);
    if (!ListOf(n)) return FALSE;
    n->owner->Post(n, Impl::Kind::SelectAll);
    return TRUE;
}

// The line of the `index`th selected line, or -1.
int SelectedLine(SorvaleNode* n, gint index) {
    ListBox* box = ListOf(n);
    if (!box || index < 0) return -1;
    const std::vector<int> selected = box->SelectedIndices();
    return static_cast<std::size_t>(index) < selected.size() ? selected[static_cast<std::size_t>(index)] : -1;
}

// AT-SPI's remove_selection takes the `index`th selected line, not line `index`.
gboolean ListRemove(AtkSelection* selection, gint index) {
    SorvaleNode* n = AsNode(selection);
    SorvaleNode* line = Guarded<SorvaleNode*>(nullptr, [&] { return LineObject(n, SelectedLine(n, index)); });
    if (!line) return FALSE;
    line->owner->Post(line, Impl::Kind::Select, a11y::Selecting::Remove);
    return TRUE;
}

AtkObject* ListSelected(AtkSelection* selection, gint index) {
    SorvaleNode* n = AsNode(selection);
    SorvaleNode* line = Guarded<SorvaleNode*>(nullptr, [&] { return LineObject(n, SelectedLine(n, index)); });
    return line ? ATK_OBJECT(g_object_ref(line)) : nullptr;
}

gint ListSelectedCount(AtkSelection* selection) {
    const ListBox* box = ListOf(AsNode(selection));
    return box ? box->SelectedCount() : 0;
}

gboolean ListIsSelected(AtkSelection* selection, gint index) {
    const ListBox* box = ListOf(AsNode(selection));
    return box && Guarded(false, [&] { return index >= 0 && index < box->Items.Count() && box->GetSelected(index); });
}

void ListSelectionInit(AtkSelectionIface* iface) {
    iface->add_selection = ListAdd;
    iface->clear_selection = ListClear;
    iface->ref_selection = ListSelected;
    iface->get_selection_count = ListSelectedCount;
    iface->is_child_selected = ListIsSelected;
    iface->remove_selection = ListRemove;
    iface->select_all_selection = ListSelectAll;
}

// ---- a button and its one action

void ButtonActionInit(AtkActionIface* iface);

G_DEFINE_TYPE_WITH_CODE(SorvaleButton, sorvale_button, sorvale_node_get_type(), G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, ButtonActionInit))

void sorvale_button_init(SorvaleButton*) {}
void sorvale_button_class_init(SorvaleButtonClass*) {}

gboolean ButtonDo(AtkAction* action, gint index) {
    SorvaleNode* n = AsNode(action);
    if (index != 0 || !Live(n)) return FALSE;
    n->owner->Post(n, Impl::Kind::Action);
    return TRUE;
}
gint ButtonActions(AtkAction*) { return 1; }
const gchar* ButtonActionName(AtkAction*, gint index) { return index == 0 ? "click" : nullptr; }
const gchar* ButtonActionDescription(AtkAction*, gint index) { return index == 0 ? "Presses the button" : nullptr; }

void ButtonActionInit(AtkActionIface* iface) {
    iface->do_action = ButtonDo;
    iface->get_n_actions = ButtonActions;
    iface->get_name = ButtonActionName;
    iface->get_localized_name = ButtonActionName;
    iface->get_description = ButtonActionDescription;
}

// ---- the client area

G_DEFINE_TYPE(SorvaleArea, sorvale_area, GTK_TYPE_DRAWING_AREA)

void sorvale_area_init(SorvaleArea*) {}
void sorvale_area_class_init(SorvaleAreaClass* klass) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), sorvale_area_accessible_get_type());
}

void AreaComponentInit(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(SorvaleAreaAccessible, sorvale_area_accessible, GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, AreaComponentInit))

void sorvale_area_accessible_init(SorvaleAreaAccessible*) {}

// The bridge and the form of the area whose accessible `object` is; false
// once the form's window has gone.
bool AreaForm(AtkObject* object, Impl*& impl, Form*& form) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
    impl = widget ? static_cast<Impl*>(g_object_get_data(G_OBJECT(widget), kImplKey)) : nullptr;
    form = widget ? static_cast<Form*>(g_object_get_data(G_OBJECT(widget), kFormKey)) : nullptr;
    return impl && form;
}

void AreaInitialize(AtkObject* object, gpointer data) {
    ATK_OBJECT_CLASS(sorvale_area_accessible_parent_class)->initialize(object, data);
    object->role = ATK_ROLE_FILLER;
    Impl* impl = nullptr;
    Form* form = nullptr;
    if (AreaForm(object, impl, form))
        if (Impl::FormObjects* objects = impl->ObjectsOf(*form)) objects->read = true;
}

gint AreaChildCount(AtkObject* object) {
    Impl* impl = nullptr;
    Form* form = nullptr;
    if (!AreaForm(object, impl, form)) return 0;
    return Guarded(0, [&] { return a11y::ChildCount(a11y::Root(*form)); });
}

AtkObject* AreaChild(AtkObject* object, gint index) {
    Impl* impl = nullptr;
    Form* form = nullptr;
    if (!AreaForm(object, impl, form)) return nullptr;
    AtkObject* child = Guarded<AtkObject*>(nullptr, [&] { return impl->ObjectFor(*form, a11y::Child(a11y::Root(*form), index)); });
    return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

void sorvale_area_accessible_class_init(SorvaleAreaAccessibleClass* klass) {
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->initialize = AreaInitialize;
    atk->get_n_children = AreaChildCount;
    atk->ref_child = AreaChild;
}

AtkObject* AreaAt(AtkComponent* component, gint x, gint y, AtkCoordType coords) {
    Impl* impl = nullptr;
    Form* form = nullptr;
    if (!AreaForm(ATK_OBJECT(component), impl, form)) return nullptr;
    return ChildAt(impl, *form, a11y::Root(*form), ATK_OBJECT(component), x, y, coords);
}

// The widget's own component, but for what lies in it.
void AreaComponentInit(AtkComponentIface* iface) {
    const auto* widget = static_cast<const AtkComponentIface*>(g_type_interface_peek_parent(iface));
    if (widget) *iface = *widget;
    iface->ref_accessible_at_point = AreaAt;
}

}  // namespace

// ---- the bridge

AtkObject* GtkAccessibility::Impl::Existing(Form& form, a11y::Node node) {
    FormObjects* objects = ObjectsOf(form);
    if (!objects || !node) return nullptr;
    if (node.control == &form) return objects->area ? gtk_widget_get_accessible(objects->area) : nullptr;
    if (node.line >= 0) {
        const auto list = objects->lists.find(node.control);
        if (list == objects->lists.end()) return nullptr;
        const auto line = list->second.objects.find(node.line);
        return line == list->second.objects.end() ? nullptr : ATK_OBJECT(line->second);
    }
    const auto control = objects->controls.find(node.control);
    return control == objects->controls.end() ? nullptr : ATK_OBJECT(control->second);
}

AtkObject* GtkAccessibility::Impl::ObjectFor(Form& form, a11y::Node node) {
    if (AtkObject* existing = Existing(form, node)) return existing;
    FormObjects* objects = ObjectsOf(form);
    if (!objects || !node) return nullptr;
    GType type = sorvale_node_get_type();
    AtkRole role = ATK_ROLE_UNKNOWN;
    switch (a11y::RoleOf(node)) {
        case a11y::Role::Window: role = ATK_ROLE_FILLER; break;
        case a11y::Role::List:
            type = sorvale_list_get_type();
            role = ATK_ROLE_LIST;
            break;
        case a11y::Role::ListItem: role = ATK_ROLE_LIST_ITEM; break;
        case a11y::Role::PushButton:
            type = sorvale_button_get_type();
            role = ATK_ROLE_PUSH_BUTTON;
            break;
    }
    AtkObject* parent = ObjectFor(form, a11y::Parent(node));
    auto* n = static_cast<SorvaleNode*>(g_object_new(type, nullptr));
    n->owner = this;
    n->form = &form;
    n->control = node.control;
    n->line = node.line;
    atk_object_set_role(ATK_OBJECT(n), role);
    if (parent) atk_object_set_parent(ATK_OBJECT(n), parent);
    if (node.line >= 0) {
        objects->lists[node.control].objects[node.line] = n;
        if (a11y::Has(a11y::StatesOf(node), a11y::States::Selected)) n->announced |= kAnnouncedSelected;
    } else {
        objects->controls[node.control] = n;
        if (role == ATK_ROLE_LIST) objects->lists[node.control].managed = a11y::ChildCount(node) > kManagedLines;
    }
    return ATK_OBJECT(n);
}

std::pair<int, int> GtkAccessibility::Impl::Origin(const Form& form, bool window) {
    const FormObjects* objects = ObjectsOf(form);
    GtkWidget* widget = objects ? objects->area : nullptr;
    if (widget && window) widget = gtk_widget_get_toplevel(widget);
    GdkWindow* native = widget ? gtk_widget_get_window(widget) : nullptr;
    gint x = 0, y = 0;
    if (native) gdk_window_get_origin(native, &x, &y);
    return {x, y};
}

void GtkAccessibility::Impl::Post(SorvaleNode* target, Kind kind, a11y::Selecting how) {
    requests.push_back({static_cast<SorvaleNode*>(g_object_ref(target)), kind, how});
    if (!idle) idle = g_idle_add(RunRequests, this);
}

gboolean GtkAccessibility::Impl::RunRequests(gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    impl->idle = 0;
    // What a handler asks for meanwhile waits for the next round.
    std::deque<Request> due = std::exchange(impl->requests, {});
    for (const Request& request : due) {
        impl->Run(request);
        g_object_unref(request.target);
    }
    return G_SOURCE_REMOVE;
}

void GtkAccessibility::Impl::Run(const Request& request) {
    SorvaleNode* n = request.target;
    // Retired meanwhile: the line was removed, the window closed.
    if (!Live(n)) return;
    const a11y::Node node = NodeOf(n);
    backend.Deliver(n->form, [&](Form&) {
        try {
            switch (request.kind) {
                case Kind::Action: a11y::DoDefaultAction(node); break;
                case Kind::Select: a11y::Select(node, request.how); break;
                case Kind::SelectAll: a11y::SelectAll(*static_cast<ListBox*>(node.control)); break;
                case Kind::ClearSelection: a11y::ClearSelection(*static_cast<ListBox*>(node.control)); break;
                case Kind::Focus: a11y::TakeFocus(node); break;
            }
        } catch (const automation::AutomationError&) {
            // Nothing to do it to any more (hidden, disabled, gone): dropped.
        }
    });
}

void GtkAccessibility::Impl::Retire(SorvaleNode* n, bool announce) {
    n->owner = nullptr;
    n->form = nullptr;
    n->control = nullptr;
    if (announce) atk_object_notify_state_change(ATK_OBJECT(n), ATK_STATE_DEFUNCT, TRUE);
    g_object_unref(n);
}

void GtkAccessibility::Impl::RetireForm(const Form& form) {
    const auto found = forms.find(&form);
    if (found == forms.end()) return;
    FormObjects objects = std::move(found->second);
    forms.erase(found);
    if (objects.area) {
        g_object_set_data(G_OBJECT(objects.area), kImplKey, nullptr);
        g_object_set_data(G_OBJECT(objects.area), kFormKey, nullptr);
    }
    for (auto& [list, lines] : objects.lists)
        for (auto& [line, n] : lines.objects) Retire(n, false);
    for (auto& [control, n] : objects.controls) Retire(n, false);
}

GtkAccessibility::Impl::~Impl() {
    if (idle) g_source_remove(idle);
    for (const Request& request : requests) g_object_unref(request.target);
    while (!forms.empty()) RetireForm(*forms.begin()->first);
}

// Every line may have changed: one signal for the whole list, which tells a
// client that caches the list's children to read them again (an insertion at
// no index), whatever the number of lines.
void GtkAccessibility::Impl::AnnounceWhole(AtkObject* list) {
    // A stand-in for the child the signal must carry, defunct from the start,
    // gone once the signal is sent.
    auto* stand_in = static_cast<SorvaleNode*>(g_object_new(sorvale_node_get_type(), nullptr));
    atk_object_set_role(ATK_OBJECT(stand_in), ATK_ROLE_LIST_ITEM);
    g_signal_emit_by_name(list, "children-changed::add", G_MAXUINT, stand_in);
    g_object_unref(stand_in);
}

void GtkAccessibility::Impl::Renumber(Form& form, a11y::Node list, const a11y::Notice& notice) {
    FormObjects& objects = *ObjectsOf(form);
    Lines& lines = objects.lists[list.control];
    AtkObject* listObject = Existing(form, list);
    const bool announced = listObject && !lines.managed;
    std::map<int, SorvaleNode*> kept;
    std::vector<std::pair<int, SorvaleNode*>> gone;
    const int index = notice.index, count = notice.count;
    for (const auto& [line, n] : lines.objects) {
        if (notice.change == a11y::Change::LinesReset) {
            gone.emplace_back(line, n);
        } else if (notice.change == a11y::Change::LinesInserted) {
            const int now = line >= index ? line + count : line;
            n->line = now;
            kept[now] = n;
        } else if (line >= index + count) {
            n->line = line - count;
            kept[line - count] = n;
        } else if (line >= index) {
            gone.emplace_back(line, n);
        } else {
            kept[line] = n;
        }
    }
    lines.objects = std::move(kept);
    // The focused line moves with its line, and goes with it.
    if (a11y::Node& focus = objects.focus; focus.control == list.control && focus.line >= 0) {
        if (notice.change == a11y::Change::LinesInserted && focus.line >= index) focus.line += count;
        else if (notice.change == a11y::Change::LinesRemoved && focus.line >= index + count) focus.line -= count;
        else if (notice.change != a11y::Change::LinesInserted && focus.line >= index) focus = {};
    }
    const bool whole = notice.change == a11y::Change::LinesReset || count > kLinesAnnounced;
    // Lines that went, each with its object where a client had one (a
    // stand-in otherwise); for a change of the whole list, only the objects
    // clients had, and none where they had many.
    const bool each = announced && (whole ? gone.size() <= static_cast<std::size_t>(kLinesAnnounced) : true);
    if (each && notice.change == a11y::Change::LinesRemoved && !whole) {
        for (int line = index + count - 1; line >= index; --line) {
            const auto it = std::find_if(gone.begin(), gone.end(), [&](const auto& g) { return g.first == line; });
            SorvaleNode* n = nullptr;
            if (it != gone.end()) {
                n = it->second;
            } else {
                n = static_cast<SorvaleNode*>(g_object_new(sorvale_node_get_type(), nullptr));
                atk_object_set_role(ATK_OBJECT(n), ATK_ROLE_LIST_ITEM);
                atk_object_set_parent(ATK_OBJECT(n), listObject);
            }
            g_signal_emit_by_name(listObject, "children-changed::remove", static_cast<guint>(line), n);
            if (it == gone.end()) g_object_unref(n);
        }
    } else if (each) {
        for (auto it = gone.rbegin(); it != gone.rend(); ++it)
            g_signal_emit_by_name(listObject, "children-changed::remove", static_cast<guint>(it->first), it->second);
    }
    for (const auto& [line, n] : gone) Retire(n, each);
    if (notice.change == a11y::Change::LinesInserted && announced && !whole) {
        for (int line = index; line < index + count; ++line)
            if (AtkObject* n = ObjectFor(form, {list.control, line}))
                g_signal_emit_by_name(listObject, "children-changed::add", static_cast<guint>(line), n);
    }
    if (listObject && whole && !lines.managed) AnnounceWhole(listObject);
    // Past the threshold, the list manages its descendants from now on (and back).
    const bool managed = a11y::ChildCount(list) > kManagedLines;
    if (listObject && managed != lines.managed) {
        lines.managed = managed;
        atk_object_notify_state_change(listObject, ATK_STATE_MANAGES_DESCENDANTS, managed);
        if (!managed) AnnounceWhole(listObject);
    }
    lines.managed = managed;
}

void GtkAccessibility::Impl::SelectionChanged(Form& form, FormObjects& objects, a11y::Node list) {
    AtkObject* listObject = Existing(form, list);
    if (!listObject) return;
    // The lines a client knows whose selection changed.
    const auto lines = objects.lists.find(list.control);
    if (lines != objects.lists.end()) {
        std::vector<SorvaleNode*> changed;
        for (const auto& [line, n] : lines->second.objects) {
            const bool selected = a11y::Has(a11y::StatesOf(NodeOf(n)), a11y::States::Selected);
            if (selected != ((n->announced & kAnnouncedSelected) != 0)) changed.push_back(n);
        }
        for (SorvaleNode* n : changed) {
            n->announced ^= kAnnouncedSelected;
            atk_object_notify_state_change(ATK_OBJECT(n), ATK_STATE_SELECTED, (n->announced & kAnnouncedSelected) != 0);
        }
    }
    g_signal_emit_by_name(listObject, "selection-changed");
}

void GtkAccessibility::Impl::FocusMoved(Form& form, FormObjects& objects, a11y::Node node) {
    AtkObject* before = Existing(form, std::exchange(objects.focus, node));
    AtkObject* now = node ? ObjectFor(form, node) : nullptr;
    if (now == before) return;
    if (before) atk_object_notify_state_change(before, ATK_STATE_FOCUSED, FALSE);
    if (!now) return;
    if (node.line >= 0)
        if (AtkObject* list = Existing(form, {node.control, -1})) g_signal_emit_by_name(list, "active-descendant-changed", now);
    atk_object_notify_state_change(now, ATK_STATE_FOCUSED, TRUE);
}

// ---- the class

GtkAccessibility::GtkAccessibility(NativeBackendBase& backend) : impl_(std::make_unique<Impl>(backend)) {}

GtkAccessibility::~GtkAccessibility() = default;

GtkWidget* GtkAccessibility::NewArea(Form& form) {
    GtkWidget* area = GTK_WIDGET(g_object_new(sorvale_area_get_type(), nullptr));
    g_object_set_data(G_OBJECT(area), kImplKey, impl_.get());
    g_object_set_data(G_OBJECT(area), kFormKey, &form);
    impl_->forms[&form].area = area;
    return area;
}

void GtkAccessibility::Notify(Form& form, const a11y::Notice& notice) {
    Impl::FormObjects* objects = impl_->ObjectsOf(form);
    // No client has read the window: there is nobody to tell.
    if (!objects || !objects->read) {
        if (notice.change == a11y::Change::Closed) impl_->RetireForm(form);
        if (objects && notice.change == a11y::Change::FocusMoved) objects->focus = notice.node;
        return;
    }
    switch (notice.change) {
        case a11y::Change::Shown:
            if (objects->area) g_signal_emit_by_name(gtk_widget_get_accessible(objects->area), "visible-data-changed");
            break;
        case a11y::Change::Closed: impl_->RetireForm(form); break;
        case a11y::Change::LinesInserted:
        case a11y::Change::LinesRemoved:
        case a11y::Change::LinesReset: impl_->Renumber(form, notice.node, notice); break;
        case a11y::Change::SelectionChanged: impl_->SelectionChanged(form, *objects, notice.node); break;
        case a11y::Change::FocusMoved: impl_->FocusMoved(form, *objects, notice.node); break;
        case a11y::Change::NameChanged:
            if (notice.node.control != &form)
                if (AtkObject* object = impl_->Existing(form, notice.node)) g_object_notify(G_OBJECT(object), "accessible-name");
            break;
    }
}

void GtkAccessibility::Retire(const Form& form) { impl_->RetireForm(form); }

}  // namespace forms
