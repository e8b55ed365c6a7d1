#pragma once

#include "forms/button.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/table_layout_panel.h"
#include "integration/playback_queue_callback.h"
#include "support/types.h"

// The queue window: one line per queued track, head first, as artist " - "
// title, with buttons to delete the selected entries, clear the queue and
// close. The lines mirror the host's queue: line i shows queue entry i. The
// window never edits its lines on the user's behalf; it asks the host to change
// the queue and follows when the host reports the change.
//
// Lifetime: the toolkit owns the window from its construction to its closing.
// The class keeps only the flag instanceExists (a window object is alive) and
// instance (the window show created last; read only while the flag is set).
// Everything runs on the host's UI thread.
class ManagerWin : public forms::Form {
public:
    using t_change_origin = playback_queue_callback::t_change_origin;

    // Creates the window if none is alive, shows it (non-modal) and focuses it.
    static void show();

    static bool instanceExists;
    static ManagerWin* instance;

    // The host reports a queue change while the window is open.
    void onQueueChanged(t_change_origin changeOrigin);

protected:
    // Saves the geometry, clears instanceExists, then releases the window.
    void Dispose(bool disposing) override;

private:
    ManagerWin();

    void InitializeComponent();

    // Rebuilds every line from the queue.
    void reloadQueue();
    // Keeps the first startingindex lines and rebuilds the rest from the queue.
    void reloadQueue(t_uint32 startingindex);

    void saveGeometry();

    void removeButton_Click(forms::Object& sender, const forms::EventArgs& e);
    void clearButton_Click(forms::Object& sender, const forms::EventArgs& e);
    void closeButton_Click(forms::Object& sender, const forms::EventArgs& e);
    void ManagerWin_KeyDown(forms::Object& sender, forms::KeyEventArgs& e);
    void ManagerWin_ShapeChanged(forms::Object& sender, const forms::EventArgs& e);

    // Non-visual parts; never created here, disposed when present.
    forms::Container* components = nullptr;
    forms::Button* removeButton = nullptr;
    forms::Button* clearButton = nullptr;
    forms::Button* closeButton = nullptr;
    forms::TableLayoutPanel* tableLayoutPanel1 = nullptr;
    forms::ListBox* queueList = nullptr;
};
