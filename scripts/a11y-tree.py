#!/usr/bin/python3
"""Prints what a screen reader sees of a running kavri: every window's accessibility tree
(role and name of each object), and for each window the focusable controls without a name.

Needs the AT-SPI bus (Debian: at-spi2-core, python3-pyatspi) and kavri started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 in the same D-Bus session, e.g.
  dbus-run-session -- sh -c 'QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 build/bin/kavri &
                             sleep 5; scripts/a11y-tree.py'
Arguments: names of buttons to press, in order, before the tree is read (each may open a
window, e.g. 公司名称库管理 then 添加).
"""
import sys
import time

import pyatspi


def find_app(name="kavri", tries=20):
    for _ in range(tries):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.5)
    sys.exit("no application named %s on the accessibility bus" % name)


def walk(obj, depth=0):
    yield depth, obj
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def focusable(obj):
    states = obj.getState()
    return states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING)


def press(app, name):
    """Presses the button called name."""
    for _, obj in walk(app):
        if obj.name == name and obj.getRole() == pyatspi.ROLE_PUSH_BUTTON:
            action = obj.queryAction()
            for i in range(action.nActions):
                if action.getName(i) in ("Press", "press", "click"):
                    try:
                        action.doAction(i)
                    except Exception:
                        pass  # a modal window answers only once it closes
                    time.sleep(2)
                    return
    print("no button named %s" % name, file=sys.stderr)


def main():
    app = find_app()
    for name in sys.argv[1:]:
        press(app, name)
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        unnamed = 0
        print("== %s %r" % (window.getRoleName(), window.name))
        for depth, obj in walk(window):
            mark = ""
            if focusable(obj) and not obj.name:
                unnamed += 1
                mark = "   <-- focusable, no name"
            print("%s%s %r%s" % ("  " * depth, obj.getRoleName(), obj.name, mark))
        print("-- %r: %d focusable controls without a name" % (window.name, unnamed))


if __name__ == "__main__":
    main()
