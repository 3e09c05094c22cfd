#!/usr/bin/python3
"""Reads the running program over AT-SPI, as a screen reader would.

Usage: atspi_check.py <application name> <seconds to wait for it>

Finds the application on the accessibility bus, checks the names and roles
of the controls a person uses, types a resolution into the two fields through
the editable-text interface, reads the result back, then presses the English
flag and checks that the names follow the language; a listener on the bus
must hear the result change both times. Exits 0 when all holds.
"""
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# Debian 12's bindings mark the per-interface calls deprecated; they still work.
warnings.filterwarnings("ignore", category=DeprecationWarning)

WIDTH = {"hu": "Szélesség", "en": "Width"}
HEIGHT = {"hu": "Magasság", "en": "Height"}
RESULT = {"hu": "Képarány", "en": "Aspect ratio"}
LOCK = {"hu": "Arány zárolása", "en": "Lock ratio"}
TITLE = {"hu": "Képarány számoló", "en": "Calculate aspect ratio"}

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def find_app(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == name:
                return app
        time.sleep(0.2)
    return None


def walk(node, depth=0):
    if node is None or depth > 12:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1)


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def controls(app):
    """The visible nodes by role name, each as (name, description, node)."""
    found = {}
    for node in walk(app):
        if not showing(node):
            continue
        found.setdefault(node.get_role_name(), []).append(
            (node.get_name(), node.get_description(), node))
    return found


def by_name(found, role, name):
    for node_name, _, node in found.get(role, []):
        if node_name == name:
            return node
    return None


def by_description(found, role, description):
    for _, node_description, node in found.get(role, []):
        if node_description == description:
            return node
    return None


def wait_for(predicate, seconds=5.0):
    """Waits, delivering the bus's events meanwhile."""
    deadline = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < deadline:
        if predicate():
            return True
        while context.iteration(False):
            pass
        time.sleep(0.05)
    return predicate()


class Heard:
    """The change events a screen reader would hear, by source."""

    def __init__(self):
        self.events = []
        self.listener = Atspi.EventListener.new(
            lambda e: self.events.append((e.type, e.source)))
        for kind in ("object:property-change:accessible-name",
                     "object:property-change:accessible-description",
                     "object:property-change:accessible-value", "object:text-changed"):
            self.listener.register(kind)

    def about(self, node):
        return [kind for kind, source in self.events if source == node]


def check_language(app, lang):
    found = controls(app)
    frames = [name for name, _, _ in found.get("frame", []) + found.get("window", [])]
    check(TITLE[lang] in frames, f"window named {TITLE[lang]!r} ({frames})")
    for role, name in (("text", WIDTH[lang]), ("text", HEIGHT[lang]),
                       ("check box", LOCK[lang]), ("push button", "English"),
                       ("push button", "Magyar"), ("link", "morlane.example")):
        check(by_name(found, role, name) is not None, f"{role} named {name!r}")
    return found


def main():
    app_name, seconds = sys.argv[1], float(sys.argv[2])
    app = find_app(app_name, seconds)
    if app is None:
        print(f"FAIL no application named {app_name!r} on the accessibility bus")
        return 1
    print(f"ok   found {app_name!r} on the accessibility bus")

    found = check_language(app, "hu")
    width = by_name(found, "text", WIDTH["hu"])
    height = by_name(found, "text", HEIGHT["hu"])
    result = by_description(found, "label", RESULT["hu"])
    check(result is not None, f"label described as {RESULT['hu']!r}")
    if width is None or height is None or result is None:
        return 1

    heard = Heard()
    # Typing through the reader's editable-text interface raises the fields'
    # change events like any other edit.
    check(width.set_text_contents("1920"), "width set to 1920")
    check(height.set_text_contents("1080"), "height set to 1080")
    check(wait_for(lambda: result.get_name() == "16 : 9"),
          f"result read as '16 : 9' (got {result.get_name()!r})")
    check(wait_for(lambda: heard.about(result)),
          f"a listener heard the result change ({heard.about(result)})")

    english = by_name(found, "push button", "English")
    pressable = "Action" in english.get_interfaces() and Atspi.Action.get_n_actions(english) > 0
    check(pressable, "English flag has an action")
    if pressable:
        action = Atspi.Action.get_action_name(english, 0)
        check(action.lower() == "press", f"the action is a press (got {action!r})")
        heard.events.clear()
        Atspi.Action.do_action(english, 0)
        check(wait_for(lambda: result.get_description() == RESULT["en"]),
              f"result now described as {RESULT['en']!r}")
        check(result.get_name() == "16 : 9", "result keeps its value across the switch")
        check(wait_for(lambda: heard.about(result)),
              f"a listener heard the result renamed ({heard.about(result)})")
        check_language(app, "en")

    print(f"atspi: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
