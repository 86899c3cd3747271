# What the screen-reader tests share: checks that are counted, waits that
# give up, an X server of the test's own, and the accessibility tree.
import os
import shutil
import subprocess
import sys
import time

failures = []
# (process, name): a wait ends the test at once when one of them has ended,
# instead of waiting out its time for something that cannot come.
watched = []


def tool(name):
    """A program the test starts, found on PATH or in the system folders,
    which an ordinary user's PATH lacks on Debian."""
    found = shutil.which(name) or shutil.which(name, path="/usr/local/sbin:/usr/sbin:/sbin")
    if not found:
        print("FAIL: %s is missing" % name)
        sys.exit(1)
    return found


def still_running():
    for process, name in watched:
        if process.poll() is not None:
            check(False, "%s ended (exit status %s)" % (name, process.returncode))
            raise SystemExit(1)


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def wait_for(cond, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        still_running()
        try:
            value = cond()
            if value:
                return value
        except Exception:  # the tree changes under us while the window builds
            pass
        time.sleep(0.1)
    check(False, "timed out waiting for %s" % what)
    raise SystemExit(1)


def end_all(processes):
    """Ends what the test started, the last started first."""
    watched.clear()
    for p in reversed(processes):
        p.terminate()
        try:
            p.wait(10)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()


def start_x_server(size="800x600"):
    """An X server on a display number it picks itself, so that parallel
    runs never race for one."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen([tool("Xvfb"), "-displayfd", str(write_end), "-screen", "0", size + "x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if not number:
        print("FAIL: Xvfb did not start")
        sys.exit(1)
    return server, ":" + number


def walk(node):
    for child in node:
        if child is not None:
            yield child
            yield from walk(child)
