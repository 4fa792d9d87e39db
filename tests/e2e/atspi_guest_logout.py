#!/usr/bin/python3
"""A guest's period driven only through the desktop's accessibility bus.

Starts the station program given after "--" (on the display and session bus this
script runs on), then, as a screen reader user would: types the guest's login and
password into the lock screen's boxes found by name, presses "Enter", presses the
timer's "Logout" found by name, and checks that the lock screen shows the guest as
the previous user with their usage. Prints what it read; exit code 0 on success.

  atspi_guest_logout.py [--password PW] [--shots DIR] -- STATION [ARGS...]

--shots DIR saves screenshots (ImageMagick's `import`) of the lock screen and the
timer, to compare a change's look with the look before it.
"""

import argparse
import os
import subprocess
import sys
import time

import pyatspi

TIMEOUT = 30.0


def log(*parts):
    print("atspi:", *parts, flush=True)


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def window(app, title):
    for i in range(app.childCount):
        frame = app.getChildAtIndex(i)
        if frame is not None and frame.name == title and showing(frame):
            return frame
    return None


def control(root, roles, name):
    for node in walk(root):
        if node.getRole() in roles and showing(node) and node.name == name:
            return node
    return None


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def press(root, name):
    button = wait_for('button "%s"' % name,
                      lambda: control(root, (pyatspi.ROLE_PUSH_BUTTON,), name))
    wait_for('"%s" enabled' % name, lambda: enabled(button))
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    log('pressing "%s" (actions %s)' % (name, names))
    action.doAction(0)


def type_into(root, roles, name, text):
    what = 'box "%s"' % name
    box = wait_for(what, lambda: control(root, roles, name))
    wait_for(what + " enabled", lambda: enabled(box))
    box.queryEditableText().setTextContents(text)
    log('typed into "%s"' % box.name)


def labels(root):
    return [node.name for node in walk(root) if node.getRole() == pyatspi.ROLE_LABEL and showing(node)]


def screenshot(folder, name):
    if folder:
        time.sleep(1.0)  # let the window paint
        subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")], check=True)


def drive(station, args):
    app = wait_for("the station on the accessibility bus", lambda: application(station.pid))
    lock = wait_for("the lock screen", lambda: window(app, "Login Mode"))
    screenshot(args.shots, "lock-before")

    type_into(lock, (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY), "Login", "guest")
    type_into(lock, (pyatspi.ROLE_PASSWORD_TEXT,), "Password", args.password)
    press(lock, "Enter")

    timer = wait_for("the guest timer", lambda: window(app, "Vorlane Timer"))
    wait_for("the login time", lambda: any(":" in text for text in labels(timer)))
    screenshot(args.shots, "timer")

    press(timer, "Logout")
    lock = wait_for("the lock screen again", lambda: window(app, "Login Mode"))
    texts = wait_for("the previous user's usage",
                     lambda: (lambda t: t if "guest" in t else None)(labels(lock)))
    usage = [text for text in texts if text.endswith(" Hrs.") and text != " Hrs."]
    log("lock screen shows:", texts)
    screenshot(args.shots, "lock-after")
    if not usage:
        log("no usage of the previous user on the lock screen")
        return 1
    log("previous user's usage:", usage[0])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--password", default="guestpw")
    parser.add_argument("--shots")
    parser.add_argument("station", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = [part for part in args.station if part != "--"]
    if not command:
        parser.error("no station program given")

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    station = subprocess.Popen(command, env=env)
    try:
        return drive(station, args)
    except AssertionError as error:
        log("FAILED:", error)
        return 1
    finally:
        station.terminate()
        try:
            station.wait(10)
        except subprocess.TimeoutExpired:
            station.kill()
            station.wait()


if __name__ == "__main__":
    sys.exit(main())
