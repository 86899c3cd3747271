#!/usr/bin/python3
# The real program as a screen reader sees it, over the accessibility bus:
# every key a named push button that takes the focus (a check box where its
# colour is its state), the station keys
# named by their stations, and a key pressed through AT-SPI's action
# interface reaching the device once. Run on a private session bus:
# dbus-run-session -- atspi_keys_test.py BUILD SOURCE (it starts its own X
# server, on a display number the server picks itself, so that parallel
# runs never race for one).
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

from desktop_session import check, end_all, failures, start_x_server, wait_for, walk, watched

build, source = sys.argv[1], sys.argv[2]


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def find_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "pelora":
            return app
    return None


def buttons(app):
    return [n for n in walk(app) if n.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX)
            and showing(n)]


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount)


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            action.doAction(i)
            return
    check(False, "%s has no press action" % node.name)


def received(log, code):
    if not os.path.exists(log):
        return 0
    with open(log) as f:
        return sum(1 for line in f if line.split()[2:4] == ["received", code])


tmp = tempfile.mkdtemp(prefix="pelora-atspi-")
log = os.path.join(tmp, "sim.log")
processes = []
xserver = None
try:
    xserver, display = start_x_server()
    for name in ("config.dat", "Speicherplatz.txt", "Sendername.txt"):
        shutil.copy(os.path.join(source, "data", name), tmp)
    shutil.copy(os.path.join(build, "pelora"), tmp)  # it reads the files and COM1 beside itself
    sim = subprocess.Popen([os.path.join(build, "pelora-sim"), "--dir", tmp, "--log", log])
    processes.append(sim)
    wait_for(lambda: os.path.islink(os.path.join(tmp, "COM1")), 10, "the simulator's link")

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", DISPLAY=display)
    program = subprocess.Popen([os.path.join(tmp, "pelora")], env=env)
    processes.append(program)
    watched.append((program, "pelora"))
    app = wait_for(find_app, 20, "pelora on the accessibility bus")
    source_display = wait_for(
        lambda: next(n for n in walk(app) if n.name == "Quelle"), 10, "the source display")
    # The first status dump puts the window on FM.
    wait_for(lambda: text_of(source_display) == "FM", 15, "the source display to read FM")

    keys = buttons(app)
    check(len(keys) >= 40, "expected the visible keys as push buttons, found %d" % len(keys))
    for k in keys:
        check(bool(k.name), "a push button without a name")
        check(k.getState().contains(pyatspi.STATE_FOCUSABLE), "%s is not focusable" % k.name)
    names = [k.name for k in keys]
    # The window is German here: its keys are named in German words.
    for name in ("TV", "FM", "CD", "Einstellungen", "Stummschaltung", "Werbung"):
        check(name in names, "no push button named %r" % name)
    fm = next(k for k in keys if k.name == "FM")
    check(fm.getRole() == pyatspi.ROLE_CHECK_BOX, "the source key fm is no check box: its state is not spoken")
    check(fm.getState().contains(pyatspi.STATE_CHECKED), "the lit source key fm is not checked")

    # "fm" once more: the station keys show the station names.
    press(fm)
    wait_for(lambda: any(re.fullmatch(r"SWR1 Baden-Württemberg, Taste \d+", k.name) for k in buttons(app)), 10,
             "a station key named by its station")

    before = received(log, "0<>")
    press(next(k for k in buttons(app) if k.name == "CD"))
    wait_for(lambda: received(log, "0<>") > before, 10, '"0<>" on the line')
    time.sleep(1.0)
    check(received(log, "0<>") == before + 1, '"cd" pressed once sent "0<>" %d times'
          % (received(log, "0<>") - before))
    wait_for(lambda: text_of(source_display) == "CD", 5, "the source display to read CD")
finally:
    end_all(processes)
    if xserver:
        xserver.terminate()
        xserver.wait(10)
    shutil.rmtree(tmp, ignore_errors=True)

if failures:
    sys.exit(1)
print("AT-SPI: all checks passed")
