#!/usr/bin/env python3
"""Presses a push button of a running program over the accessibility bus, as
a screen reader's user does: finds the program by its process id and the
button by its role and name, waits until the button is enabled and does its
action. With --then-enabled OTHER it waits, after the press, until the button
OTHER is enabled.

Usage: press_button.py PID SECONDS NAME [--then-enabled OTHER]
Exits 0 when done, 1 with the reason on standard error."""
import sys
import time

import pyatspi


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def program(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def button(app, name):
    def is_it(a):
        return a is not None and a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == name
    return pyatspi.findDescendant(app, is_it)


def enabled(acc):
    try:
        acc.clear_cache()
    except AttributeError:
        pass
    state = acc.getState()
    return state.contains(pyatspi.STATE_ENABLED) and state.contains(pyatspi.STATE_SENSITIVE)


def wait_for(what, find, deadline):
    """The first thing find returns before the deadline; the bus and the
    program may still be starting, so errors on the way count as not yet."""
    last = None
    while time.monotonic() < deadline:
        try:
            found = find()
            if found is not None:
                return found
        except Exception as e:  # a reply that did not come yet
            last = e
        time.sleep(0.1)
    fail("no %s in time%s" % (what, "" if last is None else ": %s" % last))


def main(argv):
    if len(argv) not in (4, 6) or (len(argv) == 6 and argv[4] != "--then-enabled"):
        fail(__doc__)
    pid, deadline, name = int(argv[1]), time.monotonic() + float(argv[2]), argv[3]
    app = wait_for("program %d on the accessibility bus" % pid, lambda: program(pid), deadline)
    target = wait_for("enabled button '%s'" % name,
                      lambda: (lambda b: b if b is not None and enabled(b) else None)(button(app, name)), deadline)
    action = target.queryAction()
    if action.nActions < 1:
        fail("button '%s' has no action" % name)
    action.doAction(0)
    if len(argv) == 6:
        other = argv[5]
        wait_for("enabled button '%s' after pressing '%s'" % (other, name),
                 lambda: (lambda b: b if b is not None and enabled(b) else None)(button(app, other)), deadline)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
