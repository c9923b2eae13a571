#!/usr/bin/python3
"""Prints the accessibility tree (AT-SPI) of a running program: one line a node, indented by depth,
with its role, name and states, e.g. to find nodes a screen reader would announce without a name.

    tools/atspi-tree.py [PROGRAM_NAME] [--wait SECONDS]

PROGRAM_NAME is the application's name on the bus (default: Torvane). Needs gir1.2-atspi-2.0 and
python3-gi, and the program started with the accessibility bus on (tools/atspi-tree.sh does it all
on a virtual display).
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def states(node):
    found = node.get_state_set().get_states()
    return ",".join(sorted(Atspi.StateType(s).value_nick for s in found))


def walk(node, depth, out):
    try:
        role = node.get_role_name()
        name = node.get_name() or ""
        line = f"{'  ' * depth}{role} {name!r} [{states(node)}]"
        count = node.get_child_count()
    except GLib.Error as error:  # a node that went away meanwhile
        out.append(f"{'  ' * depth}(gone: {error.message})")
        return
    out.append(line)
    for i in range(count):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, out)


def find(program, wait):
    deadline = time.monotonic() + wait
    while True:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and (app.get_name() or "").lower() == program.lower():
                return app
        if time.monotonic() > deadline:
            names = [desktop.get_child_at_index(i).get_name() for i in range(desktop.get_child_count())]
            sys.exit(f"atspi-tree: no application {program!r} on the bus (found: {names})")
        time.sleep(0.5)


def main():
    args = sys.argv[1:]
    wait = 20.0
    if "--wait" in args:
        at = args.index("--wait")
        wait = float(args[at + 1])
        del args[at:at + 2]
    program = args[0] if args else "Torvane"
    out = []
    walk(find(program, wait), 0, out)
    print("\n".join(out))


if __name__ == "__main__":
    main()
