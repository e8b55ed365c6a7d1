#!/usr/bin/python3
# A screen reader's view of the queue window, read and driven through AT-SPI
# from outside the host's process (atspi_test.sh runs it), with the client's
# cache on as a screen reader has it: the events it hears keep that cache,
# so a change the window does not announce leaves stale lines behind.
#
#   atspi_client.py read                 the window's tree: every line's name and states, the buttons
#   atspi_client.py delete LINE...       selects those lines (1-based) through the list's Selection,
#                                        presses Delete through its action and hears the lines go
#   atspi_client.py press BUTTON         presses a button through its action and hears what follows
#
# Prints what it found, one fact a line, for the script to check; exits 1
# with a "FAILED:" line when something did not come within five seconds.
import sys
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# Action.get_action_name is the one the bindings reach (get_name is the object's).
warnings.filterwarnings("ignore", category=DeprecationWarning)

STATES = [("selectable", Atspi.StateType.SELECTABLE), ("selected", Atspi.StateType.SELECTED),
          ("focusable", Atspi.StateType.FOCUSABLE), ("focused", Atspi.StateType.FOCUSED),
          ("showing", Atspi.StateType.SHOWING), ("visible", Atspi.StateType.VISIBLE),
          ("multiselectable", Atspi.StateType.MULTISELECTABLE), ("defunct", Atspi.StateType.DEFUNCT)]

heard = []  # "type detail1 name-of-the-source name-of-any-data"


def states_of(node):
    held = node.get_state_set()
    return " ".join(name for name, state in STATES if held.contains(state))


def find(node, role, name=None):
    """The first node of `role` (named `name`) under `node`, depth first."""
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is None:
            continue
        if child.get_role() == role and (name is None or child.get_name() == name):
            return child
        found = find(child, role, name)
        if found:
            return found
    return None


def window():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None:
            continue
        for j in range(app.get_child_count()):
            frame = app.get_child_at_index(j)
            if frame is not None and frame.get_role() == Atspi.Role.FRAME and frame.get_name() == "Sorvale":
                return app, frame
    return None, None


def lines_of(listing):
    return [listing.get_child_at_index(i) for i in range(listing.get_child_count())]


def on_event(event):
    data = event.any_data
    try:
        name = data.get_name() if isinstance(data, Atspi.Accessible) else ""
    except GLib.Error:  # gone already: its name was not cached
        name = "?"
    try:
        source = event.source.get_name() if event.type.startswith("object:state-changed") else ""
    except GLib.Error:
        source = "?"
    heard.append(f"{event.type} {event.detail1} {source}{name}")


def run(steps):
    """Runs the generator `steps` in AT-SPI's event loop: it yields a condition
    (a callable) to wait for, at most five seconds each."""
    outcome = {"failed": None}
    state = {"waiting": None, "since": 0}

    def tick():
        try:
            if state["waiting"] is not None:
                if not state["waiting"]():
                    if GLib.get_monotonic_time() - state["since"] < 5_000_000:
                        return True
                    raise AssertionError(f"waited in vain for {state['waiting'].__doc__ or 'a condition'}; heard: {heard}")
            state["waiting"] = next(steps)
            state["since"] = GLib.get_monotonic_time()
            return True
        except StopIteration:
            pass
        except Exception as error:  # noqa: BLE001 - reported as the test's failure
            outcome["failed"] = str(error)
        Atspi.event_quit()
        return False

    GLib.timeout_add(20, tick)
    Atspi.event_main()
    if outcome["failed"]:
        print("FAILED:", outcome["failed"])
        sys.exit(1)


def parts():
    app, frame = window()
    if frame is None:
        raise AssertionError("no window named Sorvale on the AT-SPI desktop")
    listing = find(frame, Atspi.Role.LIST)
    if listing is None:
        raise AssertionError("no list in the window")
    return app, frame, listing


def read():
    app, frame, listing = parts()
    print(f"application: {app.get_name()}")
    print(f"window: {frame.get_name()} ({frame.get_role_name()})")
    print(f"list: {listing.get_child_count()} lines, {states_of(listing)}")
    for i, line in enumerate(lines_of(listing)):
        print(f"line {i + 1}: {line.get_name()} [{line.get_role_name()}; {states_of(line)}] "
              f"index {line.get_index_in_parent()}, parent {line.get_parent().get_role_name()}")
    # Where line 2 is on the screen is where the window says it is.
    second = listing.get_child_at_index(1)
    box = second.get_extents(Atspi.CoordType.SCREEN)
    hit = listing.get_accessible_at_point(box.x + box.width // 2, box.y + box.height // 2, Atspi.CoordType.SCREEN)
    print(f"hit at line 2's middle: {hit.get_name() if hit else None}")
    print(f"line 2's extents: {box.width} x {box.height}")
    # The buttons, in the order they are read.
    panel = listing.get_parent()
    for i in range(panel.get_child_count()):
        button = panel.get_child_at_index(i)
        if button.get_role() == Atspi.Role.PUSH_BUTTON:
            actions = [button.get_action_name(k) for k in range(button.get_n_actions())]
            print(f"button: {button.get_name()} [{states_of(button)}] actions {','.join(actions)} index {button.get_index_in_parent()}")


def press(button_name):
    _, frame, listing = parts()
    button = find(frame, Atspi.Role.PUSH_BUTTON, button_name)
    if button is None:
        raise AssertionError(f"no button {button_name}")
    button.do_action(0)


def delete(wanted):
    def steps():
        _, frame, listing = parts()
        before = [line.get_name() for line in lines_of(listing)]
        selection = listing  # the list's Selection interface
        selection.clear_selection()

        def none_selected():
            """no line selected"""
            return selection.get_n_selected_children() == 0
        yield none_selected
        # One line too many, then taken away again: remove_selection takes
        # the index among the selected lines.
        extra = max(wanted) + 1
        for line in sorted(wanted + [extra]):
            selection.select_child(line - 1)

        def all_selected():
            """the lines selected"""
            return selection.get_n_selected_children() == len(wanted) + 1
        yield all_selected
        selection.deselect_selected_child(len(wanted))

        def only_wanted():
            """only the lines asked for selected"""
            return [i + 1 for i, line in enumerate(lines_of(listing)) if line.get_state_set().contains(Atspi.StateType.SELECTED)] == wanted
        yield only_wanted
        print("selected: " + ", ".join(selection.get_selected_child(i).get_name()
                                       for i in range(selection.get_n_selected_children())))
        # The caret went with the last click: that line has the focus, as its events said.
        panel = listing.get_parent()
        everything = lines_of(listing) + [panel.get_child_at_index(i) for i in range(panel.get_child_count())]
        print("focused: " + ", ".join(node.get_name() or node.get_role_name() for node in everything
                                      if node.get_state_set().contains(Atspi.StateType.FOCUSED)))
        for h in heard:
            if "focused" in h or "active-descendant" in h:
                print("heard: " + h)
        heard.clear()
        press("Delete")

        def removals():
            """children-changed:remove for each deleted line"""
            return sum(1 for h in heard if h.startswith("object:children-changed:remove")) >= len(wanted)
        yield removals
        for h in heard:
            if h.startswith("object:children-changed"):
                print("heard: " + h)
        after = [line.get_name() for line in lines_of(listing)]
        print(f"lines now: {len(after)} (were {len(before)})")
        for i, name in enumerate(after):
            print(f"line {i + 1} now: {name}")
    run(steps())


def press_button(name):
    def steps():
        app, frame, listing = parts()
        count = listing.get_child_count()
        heard.clear()
        press(name)
        if name == "Clear":
            def empty():
                """an empty list"""
                return listing.get_child_count() == 0
            yield empty
            print(f"lines now: {listing.get_child_count()} (were {count})")
        elif name == "Close":
            def gone():
                """the window gone"""
                return window()[1] is None
            yield gone
            print("window gone")
        for h in heard:
            if h.startswith("object:children-changed"):
                print("heard: " + h)
    run(steps())


def main():
    Atspi.init()
    listener = Atspi.EventListener.new(on_event)
    for event in ("object:children-changed", "object:state-changed:selected", "object:selection-changed",
                  "object:state-changed:defunct", "object:state-changed:focused", "object:active-descendant-changed"):
        listener.register(event)
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "read":
        def steps():
            read()
            yield from ()
        run(steps())
    elif command == "delete" and len(sys.argv) > 2:
        delete(sorted(int(a) for a in sys.argv[2:]))
    elif command == "press" and len(sys.argv) == 3:
        press_button(sys.argv[2])
    else:
        print(__doc__ or "usage: atspi_client.py read | delete LINE... | press BUTTON", file=sys.stderr)
        sys.exit(2)


if __name__ == "__main__":
    main()
