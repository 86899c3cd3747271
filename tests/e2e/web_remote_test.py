#!/usr/bin/python3
# The web remote in a real browser against the real program and the
# simulator: a source key pressed in the page reaches the line once, a level
# changed in the window shows in the page, requests without the token or
# from another origin are refused with nothing on the line, and axe-core
# finds nothing serious on the page. Usage: web_remote_test.py BUILD SOURCE
# (it starts its own X server, for the window the volume is changed in).
import base64
import http.client
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

from desktop_session import check, end_all, failures, start_x_server, tool, wait_for, watched

build, source = sys.argv[1], sys.argv[2]
axe_js = os.environ.get("PELORA_AXE") or os.path.join(source, "build", "npm", "node_modules", "axe-core", "axe.min.js")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def codes(log):
    """The codes the simulator received, status requests left out."""
    if not os.path.exists(log):
        return []
    with open(log) as f:
        return [w[3] for w in (line.split() for line in f) if w[2:3] == ["received"] and w[3] != "0:7"]


def request(port, method, path, body=None, headers=None):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    c.request(method, path, body=body, headers=headers or {})
    r = c.getresponse()
    data = r.read()
    c.close()
    return r.status, data


def upgrade(port, headers):
    """The status of a WebSocket handshake on /api/events."""
    key = base64.b64encode(os.urandom(16)).decode()
    lines = ["GET /api/events HTTP/1.1", "Host: 127.0.0.1:%d" % port, "Upgrade: websocket", "Connection: Upgrade",
             "Sec-WebSocket-Key: " + key, "Sec-WebSocket-Version: 13"] + ["%s: %s" % h for h in headers.items()]
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(("\r\n".join(lines) + "\r\n\r\n").encode())
        return int(s.recv(200).split()[1])


tmp = tempfile.mkdtemp(prefix="pelora-web-")
log = os.path.join(tmp, "sim.log")
processes = []
driver = None
program = None
try:
    if not os.path.exists(axe_js):
        check(False, "axe-core is missing at %s (scripts/test.sh installs it)" % axe_js)
        raise SystemExit(1)
    xserver, display = start_x_server()
    processes.append(xserver)
    for name in ("config.dat", "Speicherplatz.txt", "Sendername.txt"):
        shutil.copy(os.path.join(source, "data", name), tmp)
    shutil.copy(os.path.join(build, "pelora"), tmp)
    sim = subprocess.Popen([os.path.join(build, "pelora-sim"), "--dir", tmp, "--log", log])
    processes.append(sim)
    wait_for(lambda: os.path.islink(os.path.join(tmp, "COM1")), 10, "the simulator's link")
    port = free_port()
    xenv = dict(os.environ, QT_QPA_PLATFORM="xcb", DISPLAY=display)
    program = subprocess.Popen([os.path.join(tmp, "pelora"), "--web", str(port)], env=xenv)
    processes.append(program)
    watched.append((program, "pelora"))
    wait_for(lambda: request(port, "GET", "/api/state")[0] == 401, 20, "the web remote")
    link = subprocess.run([os.path.join(tmp, "pelora"), "--web-link", "--web", str(port)], capture_output=True,
                          text=True, check=True).stdout.strip()
    token = link.split("token=")[1]
    bearer = {"Authorization": "Bearer " + token}
    wait_for(lambda: json.loads(request(port, "GET", "/api/state", headers=bearer)[1])["answering"], 20,
             "the device answering")

    # What the start sends is done once the line stays quiet.
    quiet = {"codes": None, "since": time.time()}

    def settled():
        now = codes(log)
        if now != quiet["codes"]:
            quiet.update(codes=now, since=time.time())
        return time.time() - quiet["since"] > 2.5

    wait_for(settled, 30, "the line to settle after the start")

    # Two that never finish their request: refused once their time is up.
    stalled = [socket.create_connection(("127.0.0.1", port), timeout=30) for _ in range(2)]
    for s in stalled:
        s.sendall(b"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n")

    # Refused, and nothing on the line: no token, a wrong token, another
    # origin, input the home network would refuse too.
    before = codes(log)
    cd = json.dumps({"source": "cd"})
    check(request(port, "POST", "/api/source", cd)[0] == 401, "a command without the token is refused with 401")
    check(request(port, "POST", "/api/source", cd, {"Authorization": "Bearer " + "x" * len(token)})[0] == 401,
          "a wrong token is refused")
    check(request(port, "POST", "/api/source", cd, dict(bearer, Origin="http://evil.example"))[0] == 403,
          "a POST from another origin is refused")
    for path, body in (("/api/source", '{"source":"dvd"}'), ("/api/level", '{"level":"volume","value":82}'),
                       ("/api/level", '{"level":"volume","value":40.5}'), ("/api/station", '{"key":31}'),
                       ("/api/key", '{"key":"eject"}'), ("/api/key", "not json")):
        status, data = request(port, "POST", path, body, bearer)
        check(status == 400 and json.loads(data).get("error"), "%s %s gets 400 with a reason" % (path, body))
    check(upgrade(port, dict(bearer, Origin="http://evil.example")) == 403,
          "a WebSocket from another origin is refused")
    check(upgrade(port, {"Origin": "http://127.0.0.1:%d" % port}) == 401, "a WebSocket without the token is refused")
    time.sleep(1)
    check(codes(log) == before, "nothing reached the line from refused requests: %s" % codes(log)[len(before):])

    options = webdriver.ChromeOptions()
    options.binary_location = tool("chromium")
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + os.path.join(tmp, "chromium")):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(tool("chromedriver")), options=options)
    driver.set_script_timeout(60)
    # A phone's screen: headless windows cannot be made that narrow.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 360, "height": 640, "deviceScaleFactor": 1, "mobile": True})
    driver.get(link)
    wait_for(lambda: driver.find_element(By.CSS_SELECTOR, "body[data-ready='1']"), 20, "the page's first state")
    wait_for(lambda: driver.find_element(By.CSS_SELECTOR, "#tuner:not([hidden])"), 10, "the FM view")
    shot = os.environ.get("PELORA_WEB_SHOT")
    if shot:
        driver.save_screenshot(shot)

    def serious(where):
        driver.execute_script(open(axe_js).read())
        found = driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "axe.run(document).then(r => done(r.violations.map(v => [v.id, v.impact, v.nodes.length])));")
        bad = [v for v in found if v[1] in ("serious", "critical")]
        check(not bad, "axe-core on the %s: no serious or critical findings: %s" % (where, bad))

    serious("FM view")

    # "cd" pressed in the page: "0<>" on the line, once.
    before = len(codes(log))
    driver.find_element(By.XPATH, "//div[@id='sources']/button[text()='cd']").click()
    wait_for(lambda: "0<>" in codes(log)[before:], 10, "cd's code on the line")
    wait_for(lambda: driver.find_element(By.CSS_SELECTOR, "#player:not([hidden])"), 10, "the CD view")
    time.sleep(1.5)
    check(codes(log)[before:].count("0<>") == 1, "cd pressed once puts 0<> on the line once: %s" % codes(log)[before:])
    serious("CD view")

    # The volume changed in the window shows in the page.
    volume = lambda: int(driver.find_element(By.ID, "level-volume").get_attribute("value"))
    start = volume()
    xdotool = tool("xdotool")
    window = subprocess.run([xdotool, "search", "--sync", "--name", "^Ondal Pelora"], env=xenv, capture_output=True,
                            text=True, check=True).stdout.split()[0]
    subprocess.run([xdotool, "windowfocus", "--sync", window], env=xenv, check=True)
    pressed = time.time()
    subprocess.run([xdotool, "key", "--clearmodifiers", "plus"], env=xenv, check=True)
    wait_for(lambda: volume() == start + 1, 5, "the window's volume step in the page")
    check(time.time() - pressed <= 1.0, "the page shows the window's volume within 1 s (%.2f s)" % (time.time() - pressed))
    for s in stalled:
        check(s.recv(100).startswith(b"HTTP/1.1 408"), "a request not complete after 10 s is refused")
        s.close()

    # HTTPS, as [web] in pelora.ini sets it up, for a service without a window.
    watched.clear()
    program.terminate()
    program.wait(10)
    cert, key = os.path.join(tmp, "cert.pem"), os.path.join(tmp, "key.pem")
    subprocess.run([tool("openssl"), "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "1", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, capture_output=True)
    tls_port = free_port()
    with open(os.path.join(tmp, "pelora.ini"), "a") as ini:
        ini.write("\n[web]\nlisten=%d\ncertificate=%s\nprivate_key=%s\n" % (tls_port, cert, key))
    service = subprocess.Popen([os.path.join(tmp, "pelora"), "--headless"])
    processes.append(service)
    watched.append((service, "pelora --headless"))
    secure = ssl.create_default_context(cafile=cert)

    def https(path, headers):
        c = http.client.HTTPSConnection("127.0.0.1", tls_port, timeout=10, context=secure)
        c.request("GET", path, headers=headers)
        r = c.getresponse()
        r.read()
        c.close()
        return r

    wait_for(lambda: https("/api/state", bearer).status == 200, 20, "the API over HTTPS")
    pairing = https("/pair?token=" + token, {})
    check(pairing.status == 303 and "Secure" in (pairing.getheader("Set-Cookie") or ""),
          "over HTTPS the pairing cookie is sent only over HTTPS")
finally:
    if driver:
        driver.quit()
    end_all(processes)
    shutil.rmtree(tmp, ignore_errors=True)
    if program is not None:
        check(program.returncode == 0, "pelora ends cleanly on SIGTERM (exit status %s)" % program.returncode)

if failures:
    sys.exit(1)
print("PASS")
