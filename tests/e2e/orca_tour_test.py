#!/usr/bin/python3
# The window with the screen reader itself: Orca runs on the accessibility
# bus, the keyboard tours the window as a blind user would, and Orca's debug
# file tells what it said. Run on a private session bus:
# dbus-run-session -- orca_tour_test.py BUILD SOURCE [en|de]
# With "de", Orca speaks German to the German window.
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

from desktop_session import check, end_all, failures, start_x_server, still_running, tool, wait_for, walk, watched

build, source = sys.argv[1], sys.argv[2]
lang = sys.argv[3] if len(sys.argv) > 3 else "en"
german = lang == "de"


class Speech:
    """What Orca has said, read from its debug file."""

    LINE = re.compile(r"SPEECH OUTPUT: '(.*)' ?\{'established")

    def __init__(self, path):
        self.path = path
        self.seen = 0
        self.deaf = 0

    def raw(self):
        if not os.path.exists(self.path):
            return []
        with open(self.path, errors="replace") as f:
            return [m.group(1).strip() for m in map(self.LINE.search, f) if m]

    def all(self):
        # Key echo ("tab", "space", ...) is the keyboard, not the window.
        return [s for s in self.raw() if s and s.lower() not in KEY_ECHO]

    def after(self, key, settle=0.5, seconds=6, window=True):
        """Presses `key` (for the window: once it is free) and returns what
        Orca says after echoing the key."""
        if window:
            wait_for(lambda: not busy(), 15, "the window to be free")
        start = len(self.raw())
        subprocess.run([xdotool, "key", "--clearmodifiers", key], env=xenv, check=True)
        end, quiet_since, said, echoed = time.time() + seconds, None, [], key.lower() not in KEY_ECHO
        while time.time() < end:
            time.sleep(0.1)
            still_running()
            fresh = self.raw()[start:]
            start += len(fresh)
            for s in fresh:
                if not echoed:
                    echoed = s.lower() == ECHO.get(key.lower(), key.lower())
                elif s and s.lower() not in KEY_ECHO:
                    said.append(s)
                    quiet_since = time.time()
            if said and time.time() - quiet_since >= settle:
                break
        # Not even the key echoed, twice in a row: Orca has stopped speaking,
        # and every further key would wait out its time for nothing.
        self.deaf = 0 if echoed else self.deaf + 1
        if self.deaf >= 2:
            check(False, "Orca no longer speaks: %s was not echoed" % key)
            raise SystemExit(1)
        return " ".join(said)

    def wait_said(self, pattern, seconds):
        return wait_for(lambda: next((s for s in self.all() if re.search(pattern, s)), None), seconds,
                        "Orca to say %r" % pattern)


# How Orca echoes the keys the tour presses; arrow keys are not echoed.
ECHO = {"tab": "tab", "space": "leerzeichen", "return": "enter"} if german else \
    {"tab": "tab", "space": "space", "return": "return"}
KEY_ECHO = set(ECHO.values())

# Orca runs with --replace nowhere: that would end every other Orca of the
# user. Instead it has a PID namespace of its own, where it sees no other
# Orca to end or to give way to, and it goes by python3's name, so that an
# Orca started outside with --replace does not end it either. When Orca
# ends, the kernel ends whatever it left in the namespace: its speech
# dispatcher, and that one's speech module.
ORCA_LAUNCHER = """
import sys
path = sys.argv[1]
orca_bin = {"__name__": "orca_launcher", "__file__": path}
exec(compile(open(path).read(), path, "exec"), orca_bin)
orca_bin["setProcessName"] = lambda name: False
sys.argv = ["orca"] + sys.argv[2:]
sys.exit(orca_bin["main"]())
"""

# Speech dispatcher's own settings: its one module writes what it is given
# to a file instead of a sound device (there may be none), and it keeps its
# socket, pid file and log in the test's folder, apart from the user's.
SPEECHD_CONF = """LogLevel 4
LogDir "{log}"
Timeout 0
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "record" "sd_generic" "record.conf"
DefaultModule record
"""
RECORD_CONF = """GenericExecuteSynth "printf '%s\\\\n' \\'$DATA\\' >> {spoken}"
GenericLanguage "en" "en" "utf-8"
GenericLanguage "de" "de" "utf-8"
AddVoice "en" "MALE1" "en"
AddVoice "de" "MALE1" "de"
"""


def start_orca(tmp, env):
    """Orca, with a speech dispatcher and folders of its own under tmp."""
    prefs = os.path.join(tmp, "orca-prefs")
    os.mkdir(prefs)  # without it, Orca stops before it speaks
    with open(os.path.join(prefs, "orca-customizations.py"), "w") as f:
        # Each line of the debug file as it is said, not when a buffer fills.
        f.write("import orca.debug\nif orca.debug.debugFile:\n"
                "    orca.debug.debugFile.reconfigure(line_buffering=True)\n")
    xdg = {name: os.path.join(tmp, folder) for name, folder in
           (("XDG_RUNTIME_DIR", "run"), ("XDG_CONFIG_HOME", "config"), ("XDG_CACHE_HOME", "cache"),
            ("XDG_DATA_HOME", "data"), ("XDG_STATE_HOME", "state"))}
    for path in xdg.values():
        os.makedirs(path, mode=0o700)
    speechd = os.path.join(xdg["XDG_CONFIG_HOME"], "speech-dispatcher")
    os.makedirs(os.path.join(speechd, "modules"))
    os.makedirs(speechd_log)
    with open(os.path.join(speechd, "speechd.conf"), "w") as f:
        f.write(SPEECHD_CONF.format(log=speechd_log))
    with open(os.path.join(speechd, "modules", "record.conf"), "w") as f:
        f.write(RECORD_CONF.format(spoken=spoken))
    env = dict(env, **xdg)
    env["SPEECHD_ADDRESS"] = "unix_socket:" + os.path.join(xdg["XDG_RUNTIME_DIR"], "speech-dispatcher",
                                                            "speechd.sock")
    # Speech dispatcher refuses to start in a locale the C library lacks
    # (de_DE.UTF-8 on a machine without German locales); Orca itself only
    # needs its translations.
    speechd_cmd = os.path.join(tmp, "speech-dispatcher")
    with open(speechd_cmd, "w") as f:
        f.write('#!/bin/sh\nLC_ALL=C.UTF-8 exec %s "$@"\n' % tool("speech-dispatcher"))
    os.chmod(speechd_cmd, 0o755)
    env["SPEECHD_CMD"] = speechd_cmd
    with open(orca_out, "w") as out:
        return subprocess.Popen([tool("unshare"), "--map-current-user", "--pid", "--fork", "--mount-proc",
                                 "--kill-child", "--", sys.executable, "-c", ORCA_LAUNCHER, tool("orca"),
                                 "-u", prefs, "--debug-file", orca_log],
                                env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)


def stop_orca(orca):
    """Ends Orca, and with it its namespace. Orca is the namespace's first
    process, the one child of unshare; ended, unshare reaps it and ends."""
    if orca.poll() is not None:
        return
    try:
        with open("/proc/%d/task/%d/children" % (orca.pid, orca.pid)) as f:
            first = [int(pid) for pid in f.read().split()]
    except OSError:
        first = []
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in first:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        try:
            orca.wait(10)
            return
        except subprocess.TimeoutExpired:
            pass
    orca.kill()  # unshare's --kill-child takes the namespace with it
    orca.wait()


tmp = tempfile.mkdtemp(prefix="pelora-orca-")
sim_log = os.path.join(tmp, "sim.log")
orca_log = os.path.join(tmp, "orca.log")
orca_out = os.path.join(tmp, "orca.out")
speechd_log = os.path.join(tmp, "speechd-log")
spoken = os.path.join(tmp, "spoken.txt")
speech = Speech(orca_log)
processes = []
xserver = orca = None
try:
    xserver, display = start_x_server("1024x768")
    xenv = dict(os.environ, DISPLAY=display)
    xdotool = tool("xdotool")
    for name in ("config.dat", "Speicherplatz.txt", "Sendername.txt"):
        shutil.copy(os.path.join(source, "data", name), tmp)
    shutil.copy(os.path.join(build, "pelora"), tmp)  # it reads the files and COM1 beside itself
    sim = subprocess.Popen([os.path.join(build, "pelora-sim"), "--dir", tmp, "--log", sim_log])
    processes.append(sim)
    wait_for(lambda: os.path.islink(os.path.join(tmp, "COM1")), 10, "the simulator's link")

    # Orca speaks the window's language, so that what a user of that
    # language hears is checked; its own settings start from nothing.
    orca = start_orca(tmp, dict(xenv, LANGUAGE="de", LANG="de_DE.UTF-8") if german
                      else dict(xenv, LANGUAGE="en", LANG="C.UTF-8"))
    watched.append((orca, "Orca"))
    # Orca finishes its start once an application comes onto the bus.
    wait_for(lambda: "SPEECH: Initialized" in open(orca_log, errors="replace").read(), 30, "Orca's speech")
    started = open(orca_log, errors="replace").read()
    if "SPEECH: Using speech server factory: speechdispatcherfactory" not in started or \
            "Speech Dispatcher service failed to connect" in started:
        check(False, "Orca's speech did not start")
        raise SystemExit(1)

    env = dict(xenv, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", LANGUAGE=lang,
               LANG="de_DE.UTF-8" if german else "en_GB.UTF-8")
    program = subprocess.Popen([os.path.join(tmp, "pelora")], env=env)
    processes.append(program)
    app = wait_for(lambda: next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "pelora"), 20,
                   "pelora on the accessibility bus")
    speech.wait_said(r"^Bildschirmleser an" if german else r"^Screen reader on", 30)

    source_name = "Quelle" if german else "Source"
    source_display = wait_for(lambda: next(n for n in walk(app) if n.name == source_name), 10,
                              "the source display")
    frame = wait_for(lambda: next(n for n in app if n.getRole() == pyatspi.ROLE_FRAME), 10, "the window's frame")

    def busy():
        # Input to a busy window is dropped: the keyboard waits, as a user
        # told so would.
        return frame.getState().contains(pyatspi.STATE_BUSY)

    def source_reads(text):
        t = source_display.queryText()
        return t.getText(0, t.characterCount) == text

    # The first status dump puts the window on FM.
    wait_for(lambda: source_reads("FM"), 15, "the source display to read FM")
    window = subprocess.run([xdotool, "search", "--sync", "--name", "^Ondal Pelora"], env=xenv,
                            capture_output=True, text=True, check=True).stdout.split()[0]
    subprocess.run([xdotool, "windowfocus", "--sync", window], env=xenv, check=True)
    speech.wait_said(r"^Ondal Pelora", 10)

    def tour(limit):
        """Tabs once round the window: what Orca says at each stop."""
        stops = []
        for _ in range(limit):
            said = speech.after("Tab")
            if stops and said == stops[0]:
                return stops
            stops.append(said)
        check(False, "Tab did not come round in %d presses: %s" % (limit, stops[-5:]))
        return stops

    def log_lines():
        with open(orca_log, errors="replace") as f:
            return f.readlines()

    # The tuner view: every stop is spoken, by a name and what it is.
    before_tour = len(log_lines())
    stops = tour(80)
    print("tuner view: %d Tab stops" % len(stops))
    for i, said in enumerate(stops):
        check(bool(said), "Tab stop %d after %r was not spoken" % (i + 1, stops[i - 1] if i else "the start"))
    check(len(stops) >= 50, "only %d Tab stops in the tuner view" % len(stops))
    # A station key is spoken by its station and its number.
    key_name = r"^(?!\d)[^,]+, %s \d+" % ("Taste" if german else "key")
    check(any(re.match(key_name, s) for s in stops), "no station key spoken by its station's name")
    # Nothing changed on the read-outs while the keyboard went round: nothing
    # may be reported as changed either.
    noise = sum(1 for line in log_lines()[before_tour:]
                if "EVENT MANAGER: object:text-changed" in line and
                re.search(r"\| (Volume|Lautstärke)\]", line))
    check(noise == 0, "%d text changes of the unchanged volume read-out were reported" % noise)

    def tab_to(pattern, limit=80):
        for _ in range(limit):
            said = speech.after("Tab")
            if re.search(pattern, said):
                return said
        check(False, "Tab never reached %r" % pattern)
        raise SystemExit(1)

    for said in stops:
        check(not re.match(r"(<<|>>)", said), "a key spoken by its glyph: %r" % said)

    if german:
        # Words the window used to say in English; German speech mangles them.
        # (The role names come from the accessibility library, not the window.)
        english = re.compile(r"\b(level|key|station|window|shrink|enlarge|preset|step|up|down|tape|timer|row|"
                             r"source|frequency|speaker|mute|off|loudn|copy|space|click|sets|middle|fallback|"
                             r"advertising|tune|low|20hz|spk|hblend|phono|config|volume|treble)\b", re.I)
        for said in stops:
            check(not english.search(said), "English in the German window: %r" % said)

        # A station key pressed: the station is told; with the focus left on
        # the lit key, the status polls say nothing of its state again.
        tab_to(key_name + r".* nicht ausgewählt")
        speech.after("space", seconds=8)
        wait_for(lambda: not busy(), 15, "the window to be free")
        said = speech.wait_said(r"\d+,\d+ MHz", 8)
        print("station told:", said)
        time.sleep(3)
        heard = len(speech.all())
        time.sleep(65)  # two status polls, 30 s apart
        chosen = [s for s in speech.all()[heard:] if re.search(r"(?<!nicht )ausgewählt", s)]
        check(not chosen, "the lit key's state was said again at the polls: %r" % chosen)

        # A source chosen at the device is told once the window has it.
        heard = len(speech.all())
        sim.send_signal(signal.SIGUSR2)
        wait_for(lambda: source_reads("CD"), 40, "the source display to read CD")
        learnt = time.time()
        wait_for(lambda: any(re.search(r"\bCD\b", s) for s in speech.all()[heard:]), 3,
                 "the source change at the device to be told")
        print("source change told after %.1f s" % (time.time() - learnt))

    else:
        check(any(re.fullmatch(r"volume slider \d+\.", s, re.I) for s in stops),
              "the volume slider was not spoken by name with its value")
        check("fm check box checked." in stops, "fm was not spoken with its on state")
        check("mute check box not checked." in stops, "mute was not spoken with its off state")
        check(any(re.match(r"Balance -?\d+ push button", s) for s in stops),
              "the balance read-out was not spoken as a key")
        # A key pressed: its new state is spoken.
        tab_to(r"^mute check box")
        check("checked" in speech.after("space", seconds=8), "mute pressed: its new state was not spoken")
        # A key while the window is busy does nothing: the user hears why.
        wait_for(busy, 35, "the window to be busy")
        said = speech.after("Tab", window=False)
        check("please wait" in said, "a key pressed while the window was busy went by unsaid: %r" % said)

        # The configuration view: a timer list is spoken with its value, and
        # with its new value after a change.
        tab_to(r"^config check box")
        speech.after("space", seconds=8)
        said = tab_to(r"^Timer row 1, day combo box")
        check(any(re.match(r"Port\b.*combo box", s) for s in speech.all()),
              "the port list was not spoken by its caption")
        weekdays = ["NEVER", "DAILY", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"]
        check(any(d in said for d in weekdays), "the timer list was spoken without its value: %r" % said)
        changed = speech.after("Down")
        check(any(d in changed for d in weekdays), "the timer list's new value was not spoken: %r" % changed)

        # The import: its notice, then its progress.
        tab_to(r"^Read in stations")
        speech.after("space", seconds=8)
        speech.after("Return", window=False)
        # Without a window manager nobody gives the window back its focus once
        # the box has gone; the screen reader says so when it has it again.
        def window_active_again():
            heard = len(speech.all())
            subprocess.run([xdotool, "windowfocus", "--sync", window], env=xenv, check=True)
            time.sleep(2)
            return any(re.match(r"Ondal Pelora.* frame", s) for s in speech.all()[heard:])
        wait_for(window_active_again, 30, "the window to be active again after the box")
        said = speech.wait_said(r"^\d+ percent", 60)
        print("import progress:", said)
finally:
    end_all(processes)
    if orca:
        stop_orca(orca)
    if xserver:
        xserver.terminate()
        xserver.wait(10)
    if failures:
        print("Orca said:")
        for s in speech.all():
            print("   ", s)

        def tail(title, path, lines=25):
            if os.path.exists(path):
                print(title)
                with open(path, errors="replace") as f:
                    for line in f.readlines()[-lines:]:
                        print("   ", line.rstrip())
        # What went over the line, for a failure that starts at the device.
        tail("The simulator's log, last lines:", sim_log)
        # Why Orca or its speech stopped.
        tail("Orca's output, last lines:", orca_out)
        tail("The speech dispatcher's log, last lines:", os.path.join(speechd_log, "speech-dispatcher.log"))
    if os.environ.get("ORCA_TOUR_KEEP"):
        print("kept in", tmp)
    else:
        shutil.rmtree(tmp, ignore_errors=True)

if failures:
    sys.exit(1)
print("Orca: all checks passed")
