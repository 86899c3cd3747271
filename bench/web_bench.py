#!/usr/bin/python3
"""The web remote, measured against the simulator:

1. page load: from navigation start (the pairing link, redirected to /) to
   the first state painted, in headless Chromium;
2. a source key clicked in the page to its code's first byte on the line
   (the simulator stamps a code when its third character has arrived, 100 ms
   after the program wrote it);
3. CPU time and memory of pelora with 0 and with 20 event clients while the
   volume changes every 2 s, and whether every client saw every change;
4. wake-ups in 30 idle s with the web server on and off: the context switches
   of all threads, as idle_bench counts them, with the involuntary ones too.
   Both runs with the window (offscreen): headless, pelora ends at once when
   no web server or other way in is set up.

    bench/web_bench.py [--build DIR]    (default: build/ beside bench/)

Needs python3-selenium, chromium and chromium-driver.
"""

import argparse
import base64
import hashlib
import http.client
import json
import os
import re
import selectors
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CHAR_TIME = 1.0 / 30.0  # 10 bits at 300 baud
SOURCE_CODES = {"cd": {"0<>"}, "fm": {"0<9", "0<<"}}
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync"]
# The key's caption is its first text; words for screen readers may follow.
FIND_SOURCE = ("const b = [...document.querySelectorAll('#sources button')]"
               ".find(b => b.firstChild.textContent.trim() === arguments[0]);")
LOG_LINE = re.compile(r"^(\d\d):(\d\d):(\d\d)\.(\d{3})\s+(\d+\.\d+)\s+(.*)$")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def proc_status(pid, task=None):
    path = f"/proc/{pid}/task/{task}/status" if task else f"/proc/{pid}/status"
    fields = {}
    with open(path) as f:
        for line in f:
            name, _, value = line.partition(":")
            fields[name] = value.split()[0] if value.split() else ""
    return fields


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        rest = f.read().rsplit(")", 1)[1].split()
    return (int(rest[11]) + int(rest[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime


def switches(pid):
    """Context switches per thread: {tid: (name, voluntary, involuntary)}."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            s = proc_status(pid, tid)
            out[tid] = (s["Name"], int(s["voluntary_ctxt_switches"]), int(s["nonvoluntary_ctxt_switches"]))
        except (OSError, KeyError):
            pass  # the thread ended meanwhile
    return out


def wait_until(what, timeout, step=0.02):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        got = what()
        if got:
            return got
        time.sleep(step)
    raise TimeoutError(f"gave up after {timeout} s")


class SimLog:
    """The simulator's log. Each line carries the wall clock the simulator read
    once at its start plus the line time (a steady clock since the line was
    opened), not the clock at writing; a received code is stamped when its
    third character has arrived, 33 1/3 ms per character after it was read."""

    def __init__(self, path):
        self.path, self.offset, self.lines, self.origin = path, 0, [], None

    def read(self):
        try:
            with open(self.path) as f:
                f.seek(self.offset)
                text = f.read()
        except FileNotFoundError:
            return self.lines
        done = text.rfind("\n") + 1
        self.offset += len(text[:done].encode())
        for line in text[:done].splitlines():
            m = LOG_LINE.match(line)
            if m:
                self.lines.append((float(m[5]), m[6], m))
        return self.lines

    def calibrate(self, com):
        """Writes one stray byte to the port and relates the line time to
        time.time(); returns how far the wall column lags time.time(). The
        simulator's delay in reading the byte counts in, as it does for the
        program's codes."""
        fd = os.open(com, os.O_WRONLY | os.O_NOCTTY)
        try:
            sent = time.time()
            os.write(fd, b"x")
        finally:
            os.close(fd)
        t, _, m = wait_until(lambda: next((l for l in self.read() if l[1].startswith("dropped bytes")), None), 5)
        self.origin = sent + CHAR_TIME - t
        day = time.localtime(sent)
        column = time.mktime(day[:3] + (int(m[1]), int(m[2]), int(m[3]), 0, 0, -1)) + int(m[4]) / 1000
        return sent + CHAR_TIME - column

    def wall(self, t):
        return self.origin + t

    def received(self, codes, after_wall):
        """The first of `codes` received after a wall time, as (line time, code)."""
        for t, text, _ in self.read():
            if text.startswith("received ") and text.split()[1] in codes and self.wall(t) > after_wall:
                return t, text.split()[1]
        return None


class WsClient:
    """A bare WebSocket client of /api/events: the handshake, then frames."""

    def __init__(self, port, token):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n"
                           f"Authorization: Bearer {token}\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("closed during the handshake")
            head += chunk
        head, self.buf = head.split(b"\r\n\r\n", 1)
        accept = base64.b64encode(hashlib.sha1((key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11").encode()).digest())
        if b" 101 " not in head.split(b"\r\n")[0] or accept not in head:
            raise ConnectionError("handshake refused: " + head.split(b"\r\n")[0].decode(errors="replace"))
        self.sock.setblocking(False)
        self.messages, self.partial, self.closed = [], b"", False
        self.parse()

    def send(self, opcode, payload=b""):
        mask = os.urandom(4)  # a client masks every frame
        self.sock.setblocking(True)
        self.sock.sendall(bytes([0x80 | opcode, 0x80 | len(payload)]) + mask +
                          bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))
        self.sock.setblocking(False)

    def feed(self):
        try:
            data = self.sock.recv(65536)
        except BlockingIOError:
            return
        if not data:
            self.closed = True
        self.buf += data
        self.parse()

    def parse(self):
        while len(self.buf) >= 2:
            b0, b1 = self.buf[0], self.buf[1]
            size, at = b1 & 0x7F, 2
            if size == 126:
                if len(self.buf) < 4:
                    return
                size, at = int.from_bytes(self.buf[2:4], "big"), 4
            elif size == 127:
                if len(self.buf) < 10:
                    return
                size, at = int.from_bytes(self.buf[2:10], "big"), 10
            if len(self.buf) < at + size:
                return
            payload, self.buf = self.buf[at:at + size], self.buf[at + size:]
            opcode = b0 & 0x0F
            if opcode in (0, 1):
                self.partial += payload
                if b0 & 0x80:
                    self.messages.append(json.loads(self.partial))
                    self.partial = b""
            elif opcode == 9:
                self.send(0xA, payload)
            elif opcode == 8:
                self.closed = True

    def close(self):
        try:
            self.send(8)
        except OSError:
            pass
        self.sock.close()


class Rig:
    """The simulator and pelora in a data folder of their own; ends both."""

    def __init__(self, build):
        self.build = build
        self.dir = tempfile.mkdtemp(prefix="web_bench.")
        self.procs = []
        self.log = SimLog(os.path.join(self.dir, "sim.log"))
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)  # as idle_bench: no media interface

    def start(self):
        shutil.copy(os.path.join(self.build, "pelora"), self.dir)
        for name in ("config.dat", "Speicherplatz.txt", "Sendername.txt"):
            shutil.copy(os.path.join(REPO, "data", name), self.dir)
        self.sim = self.spawn([os.path.join(self.build, "pelora-sim"), "--dir", self.dir, "--port", "1",
                               "--log", self.log.path], "sim.out")
        self.com = os.path.join(self.dir, "COM1")
        wait_until(lambda: os.path.exists(self.com) and self.log.read(), 10)
        self.lag = self.log.calibrate(self.com)

    def spawn(self, argv, out):
        with open(os.path.join(self.dir, out), "ab") as f:
            p = subprocess.Popen(argv, stdout=f, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, env=self.env)
        self.procs.append(p)
        return p

    def start_pelora(self, web_port=None, window=False):
        """Starts pelora and returns it once its first status exchange and
        what follows it on the line are over."""
        seen = len(self.log.read())
        # Headless it ends at once when nothing but the window could reach the
        # device; the window is drawn offscreen.
        argv = [os.path.join(self.dir, "pelora")] + ([] if window else ["--headless"])
        if web_port:
            argv += ["--web", f"127.0.0.1:{web_port}"]
        p = self.spawn(argv, "pelora.out")
        asked = wait_until(lambda: next((t for t, text, _ in self.log.read()[seen:] if text.startswith("answer ")),
                                        None), 20)
        # The answer takes 2.7 s at 300 baud; the source keys of the start
        # follow it. Then a second without codes.
        answered = self.log.wall(asked) + 0.05 + 79 * CHAR_TIME
        wait_until(lambda: time.time() > max(answered, self.log.wall(self.log.read()[-1][0])) + 1.0, 20, 0.1)
        if web_port:
            wait_until(lambda: self.connects(web_port), 10)
        if p.poll() is not None:
            raise RuntimeError(f"pelora ended with status {p.returncode}; see {self.dir}/pelora.out")
        return p

    @staticmethod
    def connects(port):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            return False

    def stop(self, p):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def close(self):
        for p in reversed(self.procs):
            self.stop(p)
        shutil.rmtree(self.dir, ignore_errors=True)


def post(port, token, path, body):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    try:
        c.request("POST", path, json.dumps(body), {"Authorization": f"Bearer {token}",
                                                  "Content-Type": "application/json"})
        r = c.getresponse()
        r.read()
        if r.status >= 300:
            raise RuntimeError(f"POST {path}: {r.status}")
    finally:
        c.close()


def median_max(values):
    return f"median {statistics.median(values):.0f} ms, max {max(values):.0f} ms"


def page_load(driver, link, runs=10):
    painted = []
    for _ in range(runs):
        driver.get("about:blank")
        driver.get(link)
        WebDriverWait(driver, 20).until(lambda d: d.execute_script("return document.body.dataset.ready === '1'"))
        ms, redirects = driver.execute_script(
            "return [performance.getEntriesByName('pelora-state-painted')[0].startTime,"
            " performance.getEntriesByType('navigation')[0].redirectCount]")
        if redirects != 1:
            raise RuntimeError("the pairing link did not redirect to the page")
        painted.append(ms)
    return painted


def page_commands(driver, log, runs=20):
    delays = []
    for i in range(runs):
        source = "fm" if i % 2 else "cd"
        clicked = driver.execute_script(FIND_SOURCE + "const t = Date.now(); b.click(); return t;", source) / 1000
        WebDriverWait(driver, 20).until(lambda d: d.execute_script(
            FIND_SOURCE + "return b.getAttribute('aria-pressed') === 'true' && !document.body.classList.contains('busy')",
            source))
        t, _ = wait_until(lambda: log.received(SOURCE_CODES[source], clicked), 20)
        delays.append((log.wall(t) - 3 * CHAR_TIME - clicked) * 1000)
        # Until the line is quiet again (the tuner takes two codes).
        wait_until(lambda: log.wall(log.read()[-1][0]) < time.time() - 0.5, 20, 0.05)
    return delays


def volume_phase(pid, log, port, token, clients, seconds=30, every=2.0, values=(32, 30)):
    """Changes the volume every `every` s while the clients' messages pump
    along; returns the targets, CPU seconds, status exchanges among them and
    memory."""
    sel = selectors.DefaultSelector()
    for c in clients:
        sel.register(c.sock, selectors.EVENT_READ, c)
    targets, seen = [], len(log.read())
    cpu0, start = cpu_seconds(pid), time.monotonic()
    next_post = start
    while True:
        now = time.monotonic()
        if now >= start + seconds:
            break
        if now >= next_post:
            targets.append(values[len(targets) % len(values)])
            post(port, token, "/api/level", {"level": "volume", "value": targets[-1]})
            next_post += every
        for key, _ in sel.select(max(0.0, min(next_post, start + seconds) - time.monotonic())):
            key.data.feed()
    cpu = cpu_seconds(pid) - cpu0
    exchanges = sum(1 for _, text, _ in log.read()[seen:] if text == "received 0:7")
    # The last change's messages.
    end = time.monotonic() + 2.0
    while time.monotonic() < end:
        for key, _ in sel.select(0.1):
            key.data.feed()
    sel.close()
    status = proc_status(pid)
    return targets, cpu, exchanges, int(status["VmRSS"]), int(status["VmHWM"])


def got_every_change(client, targets):
    """Each target volume shows up in the client's messages, in order."""
    seen = iter(m["volume"] for m in client.messages)
    return all(any(v == t for v in seen) for t in targets)


def idle_wakeups(rig, web, seconds=30.0):
    """Context switches of all threads, as idle_bench counts them (it takes the
    voluntary ones only). The status refresh every 30 s, restarted by the
    start's source keys, falls in the middle of the window in both runs."""
    p = rig.start_pelora(free_port() if web else None, window=True)
    since = time.time()
    t, _ = wait_until(lambda: rig.log.received({"0:7"}, since), 40, 0.1)
    time.sleep(max(0.0, rig.log.wall(t) + 30.0 - seconds / 2 - time.time()))
    seen = len(rig.log.read())
    before = switches(p.pid)
    time.sleep(seconds)
    after = switches(p.pid)
    if p.poll() is not None:
        raise RuntimeError("pelora ended during the idle window")
    exchanges = sum(1 for _, text, _ in rig.log.read()[seen:] if text == "received 0:7")
    rig.stop(p)
    per_thread = {}
    for tid, (name, vol, inv) in after.items():
        _, vol0, inv0 = before.get(tid, (name, 0, 0))
        v, n = per_thread.get(name, (0, 0))
        per_thread[name] = (v + vol - vol0, n + inv - inv0)
    return per_thread, exchanges


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", default=os.path.join(REPO, "build"), help="where pelora and pelora-sim are")
    args = ap.parse_args()
    # An ordinary kill ends the bench through its clean-up as well.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))

    rig = Rig(args.build)
    driver, clients, profile = None, [], tempfile.mkdtemp(prefix="web_bench.chromium.")
    try:
        rig.start()
        print(f"Simulator log: its wall column (its clock read once at start plus the line time) was "
              f"{rig.lag * 1000:+.1f} ms off time.time() at a probe byte; times below use the line time, "
              "tied to time.time() by that probe")
        port = free_port()
        pelora = rig.start_pelora(port)
        link = subprocess.run([os.path.join(rig.dir, "pelora"), "--web-link", "--web", str(port)], env=rig.env,
                              capture_output=True, text=True, timeout=20).stdout.strip().splitlines()[-1]
        token = link.rsplit("token=", 1)[1]

        opts = Options()
        for flag in CHROMIUM_FLAGS + [f"--user-data-dir={profile}"]:
            opts.add_argument(flag)
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=opts)

        painted = page_load(driver, link)
        print(f"1. Load to first state painted, {len(painted)} loads: median {statistics.median(painted):.0f} ms "
              f"(min {min(painted):.0f}, max {max(painted):.0f}; the first, cold: {painted[0]:.0f})")

        delays = page_commands(driver, rig.log)
        print(f"2. Source key clicked in the page to its code's first byte on the line, {len(delays)} clicks "
              f"(cd/fm): {median_max(delays)}")
        driver.quit()
        driver = None

        rows = []
        for n in (0, 20):
            clients = [WsClient(port, token) for _ in range(n)]
            wait_until(lambda: all(c.messages for c in clients), 10)  # the state on connect
            rows.append((n, *volume_phase(pelora.pid, rig.log, port, token, clients)))
            complete = sum(got_every_change(c, rows[-1][1]) for c in clients)
            counts = sorted({len(c.messages) for c in clients})
            rows[-1] += (complete, counts)
            for c in clients:
                c.close()
            clients = []
        print("3. Volume changed every 2 s for 30 s:")
        for n, targets, cpu, exchanges, rss, hwm, complete, counts in rows:
            line = (f"   {n:2d} event clients: CPU {cpu * 1000:.0f} ms in 10 ms ticks ({exchanges} status exchange(s) among the "
                    f"changes), VmRSS {rss / 1024:.1f} MB, VmHWM {hwm / 1024:.1f} MB")
            if n:
                line += (f"; {complete}/{n} clients got all {len(targets)} changes "
                         f"(messages per client: {', '.join(map(str, counts))})")
            print(line)
        rig.stop(pelora)

        print("4. Wake-ups (voluntary + involuntary context switches, all threads) in 30 idle s:")
        for web in (False, True):
            per_thread, exchanges = idle_wakeups(rig, web)
            vol = sum(v for v, _ in per_thread.values())
            inv = sum(n for _, n in per_thread.values())
            busy = ", ".join(f"{name} {v}+{n}" for name, (v, n) in
                             sorted(per_thread.items(), key=lambda kv: -sum(kv[1])) if v + n)
            print(f"   web server {'on ' if web else 'off'}: {vol + inv} ({vol} voluntary + {inv} involuntary; "
                  f"{exchanges} status exchange(s) in the window; by thread: {busy})")
    finally:
        for c in clients:
            c.close()
        if driver:
            driver.quit()
        rig.close()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    main()
