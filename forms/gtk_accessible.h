// What a screen reader reads of a form on the Linux desktop: the toolkit's
// accessibility tree (accessibility.h) as ATK objects, which GTK's bridge
// offers to assistive technology over AT-SPI. Internal to the GTK backend.
//
// The form's GtkWindow is the frame, which GTK names by the window's title;
// its client area, a drawing area of our own type, is a filler whose children
// are the tree's: a list box is a LIST (with AtkSelection) whose children are
// its lines (LIST_ITEM), a button a PUSH_BUTTON (with the action "click");
// each has AtkComponent extents. Objects are made when a client first asks
// for them, never one per line up front, and kept per form, a list's lines
// keyed by their index, which the notices renumber. An object whose node is
// gone (a removed line, a closed form) answers as defunct and never touches a
// control again; a client may hold it as long as it likes.
//
// A list of more than a thousand lines manages its descendants: AT-SPI's
// bridge neither walks all its lines into its cache nor forwards its
// children-changed signals, and clients ask for the lines they show.
//
// What a client asks to be done (a click, a selection, the focus) runs later,
// from an idle callback, through accessibility's request functions as input
// (NativeBackendBase::Deliver): a handler that closes the window never blocks
// the client, a request whose node went meanwhile is dropped, and a handler's
// error is held for the event loop.
#pragma once

#include <memory>

#include "forms/accessibility.h"

typedef struct _GtkWidget GtkWidget;

namespace forms {

class Form;
class NativeBackendBase;

class GtkAccessibility {
public:
    // Requests are delivered as input through `backend`, which outlives this.
    explicit GtkAccessibility(NativeBackendBase& backend);
    // Every object still kept answers as defunct from then on.
    ~GtkAccessibility();
    GtkAccessibility(const GtkAccessibility&) = delete;
    GtkAccessibility& operator=(const GtkAccessibility&) = delete;

    // A new drawing area for `form`'s client area (a floating reference, as
    // gtk_drawing_area_new gives) whose accessible reads the form's tree.
    GtkWidget* NewArea(Form& form);
    // Backend::Notify for a form whose window exists.
    void Notify(Form& form, const accessibility::Notice& notice);
    // `form`'s window goes: every object of it is defunct from now on.
    void Retire(const Form& form);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace forms
