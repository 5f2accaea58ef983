#!/usr/bin/env python3
"""Drives a real browser (firefox-esr or chromium, headless) through the test
proxy so that it records visits in its own history database.

    visit.py run   BROWSER PROFILE PORT URL...   start, visit, quit cleanly
    visit.py start BROWSER PROFILE PORT [URL...] start, visit, keep it running
    visit.py start-own BROWSER HOME PORT [URL...]
                                                 the same on the profile the browser
                                                 makes itself for a person whose home
                                                 is HOME; prints PROFILE <folder>
    visit.py forget PROFILE HOST                 delete the visits of HOST, as
                                                 "Forget About This Site" does
                                                 (the browser must not run)
    visit.py open  PROFILE URL...                visit more in the running one
    visit.py stop  PROFILE                       quit the running one cleanly
    visit.py history   PROFILE [--wait-for HOST...]
    visit.py bookmarks PROFILE

BROWSER is "firefox" or "chromium"; PROFILE a fresh (missing or empty)
folder; PORT the proxy's port (see proxy.py). run and start take
--bookmark URL (repeatable) to seed the fresh profile with bookmarks.

Firefox is driven over Marionette (--marionette, port written by Firefox to
PROFILE/MarionetteActivePort), Chromium over the DevTools protocol
(--remote-debugging-port=0, port in PROFILE/DevToolsActivePort). Each URL is
a top-level navigation in the browser's one tab, and the next starts once
the page has loaded. Quitting goes through the same protocols
(Marionette:Quit, Browser.close); a signal would not do, as both browsers
die on SIGTERM without flushing their history. A browser that does not quit
in time is killed with its whole process group.

history and bookmarks read a copy of the database (never the live file,
which both browsers keep locked) and print one tab-separated line each:
    history:   unix-microseconds  host  url
    bookmarks: host  url
"""

import argparse
import base64
import json
import os
import shutil
import signal
import socket
import sqlite3
import struct
import subprocess
import sys
import tempfile
import time
from urllib.parse import urlsplit

STATE_FILE = "quillon-visit.json"
BROWSER_LOG = "quillon-browser.log"
# Microseconds between 1601-01-01 (Chromium's time base) and 1970-01-01.
CHROMIUM_EPOCH_OFFSET_US = 11644473600 * 1000000

VERBOSE = False
STARTED = time.monotonic()


class Failure(Exception):
    pass


def note(message):
    if VERBOSE:
        print("visit.py [%6.2fs] %s" % (time.monotonic() - STARTED, message),
              file=sys.stderr, flush=True)


def deadline_loop(timeout, what, step=0.1):
    """Yields until the caller breaks out; raises once `timeout` is over."""
    end = time.monotonic() + timeout
    while True:
        yield
        if time.monotonic() > end:
            raise Failure("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(step)


# --- Firefox ---------------------------------------------------------------

FIREFOX_PREFS = {
    # Everything through the test proxy, nothing direct.
    "network.proxy.type": 1,
    "network.proxy.http": "127.0.0.1",
    "network.proxy.ssl": "127.0.0.1",
    "network.proxy.no_proxies_on": "",
    "network.proxy.allow_hijacking_localhost": True,
    "network.proxy.failover_direct": False,
    "network.trr.mode": 5,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "network.dns.disablePrefetch": True,
    "network.prefetch-next": False,
    "network.http.speculative-parallel-limit": 0,
    # Without a network interface Firefox would otherwise go offline.
    "network.manage-offline-status": False,
    "browser.urlbar.speculativeConnect.enabled": False,
    # Plain http:// URLs stay http:// (no HTTPS-first upgrade attempt).
    "dom.security.https_first": False,
    "dom.security.https_first_schemeless": False,
    "dom.security.https_only_mode": False,
    # Telemetry, studies, updates, remote settings, safe browsing.
    "datareporting.healthreport.uploadEnabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.enabled": False,
    "toolkit.telemetry.unified": False,
    "toolkit.telemetry.server": "",
    "toolkit.telemetry.archive.enabled": False,
    "toolkit.telemetry.newProfilePing.enabled": False,
    "toolkit.telemetry.shutdownPingSender.enabled": False,
    "toolkit.telemetry.firstShutdownPing.enabled": False,
    "toolkit.telemetry.updatePing.enabled": False,
    "app.update.disabledForTesting": True,
    "app.update.auto": False,
    "app.normandy.enabled": False,
    "app.normandy.api_url": "",
    "app.shield.optoutstudies.enabled": False,
    "messaging-system.rsexperimentloader.enabled": False,
    "services.settings.server": "data:,#remote-settings-dummy/v1",
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.blockedURIs.enabled": False,
    "browser.safebrowsing.downloads.enabled": False,
    "browser.safebrowsing.downloads.remote.enabled": False,
    "browser.safebrowsing.provider.google4.updateURL": "",
    "browser.safebrowsing.provider.google.updateURL": "",
    "browser.safebrowsing.provider.mozilla.updateURL": "",
    "extensions.update.enabled": False,
    "extensions.getAddons.cache.enabled": False,
    "extensions.blocklist.enabled": False,
    "extensions.systemAddon.update.enabled": False,
    "security.OCSP.enabled": 0,
    "security.remote_settings.crlite_filters.enabled": False,
    "security.remote_settings.intermediates.enabled": False,
    "dom.push.connection.enabled": False,
    "media.gmp-manager.url": "",
    "media.gmp-provider.enabled": False,
    "identity.fxaccounts.enabled": False,
    "browser.region.network.url": "",
    "browser.region.update.enabled": False,
    "browser.search.update": False,
    "geo.provider.network.url": "",
    "browser.topsites.contile.enabled": False,
    "browser.discovery.enabled": False,
    # No first-run, welcome or what's-new pages, no prompts.
    "browser.startup.homepage_override.mstone": "ignore",
    "startup.homepage_welcome_url": "",
    "startup.homepage_welcome_url.additional": "",
    "startup.homepage_override_url": "",
    "browser.aboutwelcome.enabled": False,
    "browser.startup.page": 0,
    "browser.startup.homepage": "about:blank",
    "browser.newtabpage.enabled": False,
    "browser.newtab.preload": False,
    "browser.shell.checkDefaultBrowser": False,
    "browser.sessionstore.resume_from_crash": False,
    "browser.tabs.warnOnClose": False,
    "browser.warnOnQuit": False,
    "browser.uitour.enabled": False,
    "toolkit.startup.max_resumed_crashes": -1,
    # History is what the tests are after: keep it on and kept.
    "places.history.enabled": True,
    "browser.privatebrowsing.autostart": False,
    "privacy.sanitize.sanitizeOnShutdown": False,
    # bookmarks.html in the profile is written at each clean shutdown.
    "browser.bookmarks.autoExportHTML": True,
    # Marionette picks a free port and writes it to MarionetteActivePort.
    "marionette.port": 0,
}


def firefox_user_js(port, import_bookmarks):
    prefs = dict(FIREFOX_PREFS)
    prefs["network.proxy.http_port"] = port
    prefs["network.proxy.ssl_port"] = port
    # Reads PROFILE/bookmarks.html into the new places.sqlite at startup.
    prefs["browser.places.importBookmarksHTML"] = import_bookmarks
    return "".join("user_pref(%s, %s);\n" % (json.dumps(k), json.dumps(v))
                   for k, v in prefs.items())


def firefox_bookmarks_html(urls):
    items = "".join('    <DT><A HREF="%s">%s</A>\n'
                    % (u.replace('"', "%22"), urlsplit(u).hostname or u)
                    for u in urls)
    return ("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
            "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
            "<H1>Bookmarks Menu</H1>\n<DL><p>\n%s</DL><p>\n" % items)


class Marionette:
    """Marionette's wire format: "<length>:<json>", commands are
    [0, id, name, params], replies [1, id, error, result]."""

    def __init__(self, port, timeout):
        self.sock = socket.create_connection(("127.0.0.1", port),
                                             timeout=timeout)
        self.buf = b""
        self.id = 0
        hello = self._read()
        if hello.get("applicationType") != "gecko":
            raise Failure("not a Marionette server: %r" % hello)

    def _read(self):
        while b":" not in self.buf:
            self._fill()
        size, self.buf = self.buf.split(b":", 1)
        size = int(size)
        while len(self.buf) < size:
            self._fill()
        msg, self.buf = self.buf[:size], self.buf[size:]
        return json.loads(msg)

    def _fill(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionError("Marionette closed the connection")
        self.buf += data

    def call(self, name, params=None):
        self.id += 1
        data = json.dumps([0, self.id, name, params or {}]).encode()
        self.sock.sendall(b"%d:%s" % (len(data), data))
        while True:
            msg = self._read()
            if msg[0] == 1 and msg[1] == self.id:
                if msg[2]:
                    raise Failure("%s: %s" % (name, msg[2].get("message")))
                return msg[3]

    def close(self):
        self.sock.close()


class FirefoxDriver:
    name = "firefox"
    port_file = "MarionetteActivePort"
    history_db = "places.sqlite"

    @staticmethod
    def prepare(profile, port, bookmarks):
        if bookmarks:
            with open(os.path.join(profile, "bookmarks.html"), "w") as f:
                f.write(firefox_bookmarks_html(bookmarks))
        with open(os.path.join(profile, "user.js"), "w") as f:
            f.write(firefox_user_js(port, bool(bookmarks)))

    @staticmethod
    def command(profile, port):
        exe = os.environ.get("QUILLON_FIREFOX", "firefox-esr")
        return [exe, "--headless", "--no-remote", "--marionette",
                "--profile", profile, "about:blank"]

    @staticmethod
    def environment():
        env = dict(os.environ)
        env["MOZ_CRASHREPORTER_DISABLE"] = "1"
        # A crash at startup must not turn into a safe-mode question.
        env["MOZ_DISABLE_AUTO_SAFE_MODE"] = "1"
        return env

    def __init__(self, profile, timeout):
        self.timeout = timeout
        port = read_port_file(profile, self.port_file)
        # Marionette takes one client at a time and drops a new one while it
        # still tears down the session of the one before.
        for attempt in range(50):
            try:
                self.m = Marionette(port, timeout)
                break
            except ConnectionError:
                if attempt == 49:
                    raise
                time.sleep(0.1)
        self.m.call("WebDriver:NewSession", {"capabilities": {
            "pageLoadStrategy": "normal",
            "timeouts": {"pageLoad": int(timeout * 1000)}}})

    def visit(self, url):
        self.m.call("WebDriver:Navigate", {"url": url})

    def quit(self):
        try:
            self.m.call("Marionette:Quit", {"flags": ["eAttemptQuit"]})
        except ConnectionError:
            pass  # the browser went away while answering: it is quitting

    def close(self):
        self.m.close()


# --- Chromium --------------------------------------------------------------

class WebSocket:
    """The client side of RFC 6455, text frames only: enough for DevTools."""

    def __init__(self, url, timeout):
        if not url.startswith("ws://"):
            raise Failure("unexpected DevTools address %r" % url)
        hostport, _, path = url[len("ws://"):].partition("/")
        host, _, port = hostport.rpartition(":")
        self.sock = socket.create_connection((host, int(port)),
                                             timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((
            "GET /%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\n"
            "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\n"
            "Sec-WebSocket-Version: 13\r\n\r\n" % (path, hostport, key)
        ).encode())
        self.buf = b""
        while b"\r\n\r\n" not in self.buf:
            self._fill()
        head, self.buf = self.buf.split(b"\r\n\r\n", 1)
        status = head.split(b"\r\n", 1)[0]
        if b" 101 " not in status + b" ":
            raise Failure("DevTools refused the WebSocket: %s"
                          % status.decode("latin-1"))

    def _fill(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionError("DevTools closed the connection")
        self.buf += data

    def _take(self, n):
        while len(self.buf) < n:
            self._fill()
        out, self.buf = self.buf[:n], self.buf[n:]
        return out

    def send(self, obj):
        data = json.dumps(obj).encode()
        n = len(data)
        if n < 126:
            head = struct.pack(">BB", 0x81, 0x80 | n)
        elif n < 65536:
            head = struct.pack(">BBH", 0x81, 0x80 | 126, n)
        else:
            head = struct.pack(">BBQ", 0x81, 0x80 | 127, n)
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(data))
        self.sock.sendall(head + mask + masked)

    def receive(self):
        message = b""
        while True:
            b0, b1 = self._take(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._take(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._take(8))[0]
            payload = self._take(n)
            opcode = b0 & 0x0F
            if opcode == 0x8:
                raise ConnectionError("DevTools closed the WebSocket")
            if opcode in (0x9, 0xA):
                continue  # ping/pong
            message += payload
            if b0 & 0x80:
                return json.loads(message)

    def close(self):
        self.sock.close()


class ChromiumDriver:
    name = "chromium"
    port_file = "DevToolsActivePort"
    history_db = os.path.join("Default", "History")

    @staticmethod
    def prepare(profile, port, bookmarks):
        if not bookmarks:
            return
        os.makedirs(os.path.join(profile, "Default"), exist_ok=True)
        # Chromium time: microseconds since 1601-01-01.
        now = str(int(time.time() * 1000000) + CHROMIUM_EPOCH_OFFSET_US)

        def folder(ident, name, children=()):
            return {"children": list(children), "date_added": now,
                    "date_modified": "0", "id": ident, "name": name,
                    "type": "folder"}
        items = [{"date_added": now, "id": str(4 + i), "type": "url",
                  "name": urlsplit(u).hostname or u, "url": u}
                 for i, u in enumerate(bookmarks)]
        data = {"roots": {"bookmark_bar": folder("1", "Bookmarks bar", items),
                          "other": folder("2", "Other bookmarks"),
                          "synced": folder("3", "Mobile bookmarks")},
                "version": 1}
        with open(os.path.join(profile, "Default", "Bookmarks"), "w") as f:
            json.dump(data, f, indent=3)

    @staticmethod
    def command(profile, port):
        exe = os.environ.get("QUILLON_CHROMIUM", "chromium")
        cmd = [exe, "--headless=new",
               "--user-data-dir=" + profile,
               "--proxy-server=http://127.0.0.1:%d" % port,
               "--proxy-bypass-list=<-loopback>",
               "--no-first-run", "--no-default-browser-check",
               "--disable-background-networking", "--disable-component-update",
               "--disable-sync", "--disable-default-apps",
               "--disable-extensions", "--disable-domain-reliability",
               "--disable-client-side-phishing-detection",
               "--disable-features=HttpsUpgrades,MediaRouter,Translate,"
               "OptimizationHints",
               "--no-pings", "--password-store=basic",
               "--disable-dev-shm-usage",
               "--remote-debugging-port=0", "about:blank"]
        if os.geteuid() == 0:
            cmd.insert(1, "--no-sandbox")  # the sandbox refuses root
        return cmd

    @staticmethod
    def environment():
        return dict(os.environ)

    def __init__(self, profile, timeout):
        self.timeout = timeout
        port = read_port_file(profile, self.port_file)
        with open(os.path.join(profile, self.port_file)) as f:
            path = f.read().split()[1]
        self.ws = WebSocket("ws://127.0.0.1:%d%s" % (port, path), timeout)
        self.id = 0
        targets = self.call("Target.getTargets")["targetInfos"]
        pages = [t for t in targets if t["type"] == "page"]
        if not pages:
            raise Failure("Chromium has no tab")
        self.session = self.call("Target.attachToTarget", {
            "targetId": pages[0]["targetId"], "flatten": True})["sessionId"]
        self.call("Page.enable", session=self.session)

    def call(self, method, params=None, session=None, until=None):
        """Sends a command; returns its result once it has been answered and,
        when `until` is given, an event has come for which until(event)."""
        self.id += 1
        msg = {"id": self.id, "method": method, "params": params or {}}
        if session:
            msg["sessionId"] = session
        self.ws.send(msg)
        result = None
        answered = False
        while not answered or until:
            msg = self.ws.receive()
            if msg.get("id") == self.id:
                if "error" in msg:
                    raise Failure("%s: %s" % (method, msg["error"]))
                result = msg.get("result", {})
                answered = True
            elif answered and until and until(msg):
                until = None
        return result

    def visit(self, url):
        # The load event counted is the first after the navigation has been
        # answered, so a late one from an earlier page cannot end the wait.
        def loaded(event):
            return (event.get("method") == "Page.loadEventFired"
                    and event.get("sessionId") == self.session)
        result = self.call("Page.navigate", {"url": url},
                           session=self.session, until=loaded)
        if result.get("errorText"):
            raise Failure("%s: %s" % (url, result["errorText"]))

    def quit(self):
        try:
            self.call("Browser.close")
        except ConnectionError:
            pass  # closed before answering: it is quitting

    def close(self):
        self.ws.close()


DRIVERS = {"firefox": FirefoxDriver, "chromium": ChromiumDriver}


# --- processes -------------------------------------------------------------

def read_port_file(profile, name):
    with open(os.path.join(profile, name)) as f:
        return int(f.read().split()[0])


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A zombie is dead for our purposes; it only waits to be reaped.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def group_alive(pgid):
    try:
        os.killpg(pgid, 0)
        return True
    except ProcessLookupError:
        return False


def reap(proc):
    if proc is not None:
        try:
            proc.wait(timeout=0.1)
        except subprocess.TimeoutExpired:
            pass


def kill_group(pgid, proc=None):
    """SIGKILLs everything in the browser's process group and waits until it
    is gone (children are reaped by whoever is their parent)."""
    try:
        os.killpg(pgid, signal.SIGKILL)
    except ProcessLookupError:
        return
    for _ in deadline_loop(10, "process group %d to die" % pgid, 0.05):
        reap(proc)
        if not group_alive(pgid):
            return
        # Zombies keep the group alive until reaped by their parent;
        # when only zombies are left, the group is as good as gone.
        if not any(alive(pid) for pid in group_members(pgid)):
            return


def group_members(pgid):
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if int(fields[2]) == pgid:
                members.append(int(entry))
        except (OSError, IndexError, ValueError):
            pass
    return members


def remove_chromium_leftovers(profile):
    """After a kill, Chromium leaves its singleton socket folder in /tmp."""
    link = os.path.join(profile, "SingletonSocket")
    try:
        target = os.readlink(link)
    except OSError:
        return
    folder = os.path.dirname(target)
    if os.path.basename(folder).startswith("org.chromium.Chromium."):
        shutil.rmtree(folder, ignore_errors=True)


def load_state(profile):
    try:
        with open(os.path.join(profile, STATE_FILE)) as f:
            return json.load(f)
    except FileNotFoundError:
        raise Failure("no browser started by visit.py in %s" % profile)


def wait_for_port_file(profile, driver, pid, proc, timeout):
    path = os.path.join(profile, driver.port_file)
    for _ in deadline_loop(timeout, "%s to start" % driver.name):
        reap(proc)
        if not alive(pid):
            raise Failure("%s exited at startup; see %s"
                          % (driver.name, os.path.join(profile, BROWSER_LOG)))
        try:
            with open(path) as f:
                lines = f.read().split()
            # DevToolsActivePort holds port and path; Marionette's the port.
            if lines and lines[0].isdigit() and int(lines[0]) > 0 and (
                    driver is FirefoxDriver or len(lines) >= 2):
                return
        except FileNotFoundError:
            pass


def launch(browser, profile, port, bookmarks, timeout, home=None):
    """Starts the browser on profile; with home, on the profile it made
    itself for a person whose home is home (see start_own)."""
    driver = DRIVERS[browser]
    os.makedirs(profile, exist_ok=True)
    if home is None and os.listdir(profile):
        raise Failure("profile folder %s is not empty" % profile)
    driver.prepare(profile, port, bookmarks)
    log = open(os.path.join(profile, BROWSER_LOG), "w")
    command = driver.command(profile, port)
    env = driver.environment()
    if home is not None:
        env.update(own_environment(home))
    proc = subprocess.Popen(command,
                            stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT,
                            env=env,
                            start_new_session=True)
    log.close()
    with open(os.path.join(profile, STATE_FILE), "w") as f:
        json.dump({"browser": browser, "pid": proc.pid}, f)
    try:
        note("%s started, pid %d" % (browser, proc.pid))
        wait_for_port_file(profile, driver, proc.pid, proc, timeout)
        note("remote control port is up")
    except BaseException:
        kill_group(proc.pid, proc)
        if browser == "chromium":
            remove_chromium_leftovers(profile)
        os.remove(os.path.join(profile, STATE_FILE))
        raise
    return proc


def own_environment(home):
    """A person whose home is home, with the XDG folders under it."""
    return {"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache")}


def read_ini(path):
    """The sections of an INI file, as {name: {key: value}}."""
    sections, current = {}, None
    with open(path) as f:
        for line in f.read().splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1], {})
            elif "=" in line and current is not None:
                key, value = line.split("=", 1)
                current[key.strip()] = value.strip()
    return sections


def firefox_own_profile(home):
    """The profile Firefox uses by itself for home, wherever Firefox put it:
    the one its installation uses (installs.ini), once Firefox has written
    its first files there; None while there is none."""
    for root in (os.path.join(home, ".config", "mozilla", "firefox"),
                 os.path.join(home, ".mozilla", "firefox")):
        installs = os.path.join(root, "installs.ini")
        if not os.path.exists(installs):
            continue
        for section in read_ini(installs).values():
            path = section.get("Default")
            if not path:
                continue
            path = path if path.startswith("/") else os.path.join(root, path)
            if os.path.exists(os.path.join(path, "prefs.js")) or os.path.exists(os.path.join(path, "times.json")):
                return path
    return None


def start_own(browser, home, port, bookmarks, timeout):
    """Starts the browser as a person whose home is home starts it: on the
    profile it makes there itself at its first run. Firefox runs once on its
    own to make it, then again with the test's preferences in it."""
    if browser == "chromium":
        # Where Chromium keeps its profiles by itself; named all the same,
        # since a headless Chromium would otherwise take a temporary one.
        profile = os.path.join(home, ".config", "chromium")
        # Bookmarks only go into a profile Chromium already made.
        if not os.path.isdir(os.path.join(profile, "Default")):
            bookmarks = []
        return profile, launch(browser, profile, port, bookmarks, timeout, home=home)
    profile = firefox_own_profile(home)
    if profile is None:
        exe = os.environ.get("QUILLON_FIREFOX", "firefox-esr")
        env = FirefoxDriver.environment()
        env.update(own_environment(home))
        first = subprocess.Popen([exe, "--headless", "about:blank"], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 env=env, start_new_session=True)
        try:
            for _ in deadline_loop(timeout, "Firefox to make its first profile"):
                profile = firefox_own_profile(home)
                if profile is not None:
                    break
                reap(first)
            # Its first preferences written, it has nothing more to make.
            time.sleep(1)
        finally:
            kill_group(first.pid, first)
            reap(first)
        note("Firefox made its profile %s" % profile)
    return profile, launch(browser, profile, port, bookmarks, timeout, home=home)


def forget(profile, host):
    """Deletes the visits of host from a stopped browser's history."""
    browser = guess_browser(profile)
    db = sqlite3.connect(os.path.join(profile, DRIVERS[browser].history_db))
    try:
        if browser == "firefox":
            db.execute("DELETE FROM moz_historyvisits WHERE place_id IN "
                       "(SELECT id FROM moz_places WHERE url LIKE ?)", ("%://" + host + "/%",))
        else:
            db.execute("DELETE FROM visits WHERE url IN (SELECT id FROM urls WHERE url LIKE ?)",
                       ("%://" + host + "/%",))
        db.commit()
    finally:
        db.close()


def visit_all(browser, profile, urls, timeout, then_quit=False):
    """Visits the URLs in turn; with then_quit, asks the browser to quit on
    the same connection afterwards."""
    if not urls and not then_quit:
        return
    driver = DRIVERS[browser](profile, timeout)
    try:
        for url in urls:
            driver.visit(url)
            note("loaded %s" % url)
        if then_quit:
            driver.quit()
            note("asked to quit")
    finally:
        driver.close()


def stop(profile, timeout, proc=None, asked=False, kill=False):
    """Quits the browser cleanly (unless `asked` says that it has been asked
    to already) and waits for it; kills it if that fails or takes too long,
    or right away with `kill`. Returns True for a clean quit."""
    state = load_state(profile)
    pid = state["pid"]
    clean = False
    if alive(pid) and not kill:
        try:
            if not asked:
                visit_all(state["browser"], profile, [], timeout,
                          then_quit=True)
            for _ in deadline_loop(timeout, "the browser to quit"):
                reap(proc)
                if not alive(pid):
                    clean = True
                    note("browser exited")
                    break
        except (Failure, OSError) as e:
            print("visit.py: clean quit failed: %s" % e, file=sys.stderr)
    # Helpers (crash handlers, zygotes) may outlive the main process.
    kill_group(pid, proc)
    reap(proc)
    note("process group gone")
    if not clean and state["browser"] == "chromium":
        remove_chromium_leftovers(profile)
    os.remove(os.path.join(profile, STATE_FILE))
    return clean


# --- reading the history ---------------------------------------------------

def snapshot(db, dest):
    """Copies db and its -wal / -journal into dest, retrying until no file
    changed while being copied. The -shm file is left out on purpose: SQLite
    rebuilds the WAL index from the WAL itself."""
    names = [db + suffix for suffix in ("", "-wal", "-journal")]

    def stats():
        out = []
        for name in names:
            try:
                st = os.stat(name)
                out.append((st.st_size, st.st_mtime_ns))
            except FileNotFoundError:
                out.append(None)
        return out

    for _ in range(50):
        before = stats()
        if before[0] is None:
            return None
        for name in names:
            target = os.path.join(dest, os.path.basename(name))
            try:
                shutil.copyfile(name, target)
            except FileNotFoundError:
                if os.path.exists(target):
                    os.remove(target)
        if stats() == before:
            return os.path.join(dest, os.path.basename(db))
        time.sleep(0.05)
    raise Failure("%s kept changing while being copied" % db)


def query_copy(profile, sql_by_browser):
    state_browser = guess_browser(profile)
    db = os.path.join(profile, DRIVERS[state_browser].history_db)
    tmp = tempfile.mkdtemp(prefix="quillon-history-")
    try:
        copy = snapshot(db, tmp)
        if copy is None:
            return state_browser, []
        con = sqlite3.connect(copy)
        try:
            return state_browser, con.execute(
                sql_by_browser[state_browser]).fetchall()
        finally:
            con.close()
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def guess_browser(profile):
    for name in ("user.js", "places.sqlite"):
        if os.path.exists(os.path.join(profile, name)):
            return "firefox"
    return "chromium"


HISTORY_SQL = {
    # visit_date: microseconds since 1970.
    "firefox": "SELECT v.visit_date, p.url FROM moz_historyvisits v "
               "JOIN moz_places p ON p.id = v.place_id ORDER BY v.visit_date",
    # visit_time: microseconds since 1601.
    "chromium": "SELECT v.visit_time - %d, u.url FROM visits v "
                "JOIN urls u ON u.id = v.url ORDER BY v.visit_time"
                % CHROMIUM_EPOCH_OFFSET_US,
}


def history(profile):
    try:
        _, rows = query_copy(profile, HISTORY_SQL)
    except sqlite3.Error as e:
        # A fresh profile's database may not have its tables yet.
        if "no such table" in str(e):
            return []
        raise
    return [(t, urlsplit(u).hostname or "", u) for t, u in rows]


def bookmarks(profile):
    if guess_browser(profile) == "firefox":
        _, rows = query_copy(profile, {"firefox": (
            "SELECT p.url FROM moz_bookmarks b JOIN moz_places p "
            "ON p.id = b.fk WHERE b.type = 1 ORDER BY b.id")})
        urls = [u for (u,) in rows]
    else:
        path = os.path.join(profile, "Default", "Bookmarks")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            roots = json.load(f)["roots"]
        urls = []

        def walk(node):
            if node.get("type") == "url":
                urls.append(node["url"])
            for child in node.get("children", []):
                walk(child)
        for root in roots.values():
            if isinstance(root, dict):
                walk(root)
    return [(urlsplit(u).hostname or "", u) for u in urls]


# --- command line ----------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--timeout", type=float, default=60,
                        help="seconds for each step (default 60)")
    parser.add_argument("-v", "--verbose", action="store_true",
                        help="report each step with its time on stderr")
    sub = parser.add_subparsers(dest="cmd", required=True)
    for name in ("run", "start", "start-own"):
        p = sub.add_parser(name)
        p.add_argument("browser", choices=sorted(DRIVERS))
        p.add_argument("profile")
        p.add_argument("port", type=int)
        p.add_argument("urls", nargs="+" if name == "run" else "*")
        p.add_argument("--bookmark", action="append", default=[])
    p = sub.add_parser("forget")
    p.add_argument("profile")
    p.add_argument("host")
    p = sub.add_parser("open")
    p.add_argument("profile")
    p.add_argument("urls", nargs="+")
    p = sub.add_parser("stop")
    p.add_argument("profile")
    p = sub.add_parser("history")
    p.add_argument("profile")
    p.add_argument("--wait-for", nargs="+", default=[], metavar="HOST",
                   help="poll until all these hosts are in the history")
    p = sub.add_parser("bookmarks")
    p.add_argument("profile")
    args = parser.parse_args()
    global VERBOSE
    VERBOSE = args.verbose
    profile = os.path.abspath(args.profile) if hasattr(args, "profile") else None

    # A signal while the browser is being driven ends in the cleanup below.
    def interrupted(signum, _frame):
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        raise Failure("interrupted by signal %d" % signum)
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)

    try:
        if args.cmd == "forget":
            forget(profile, args.host)
        elif args.cmd in ("run", "start", "start-own"):
            if args.cmd == "start-own":
                # PROFILE names the person's home folder here.
                profile, proc = start_own(args.browser, profile, args.port, args.bookmark, args.timeout)
                print("PROFILE %s" % profile, flush=True)
            else:
                proc = launch(args.browser, profile, args.port, args.bookmark, args.timeout)
            quit = args.cmd == "run"
            try:
                visit_all(args.browser, profile, args.urls, args.timeout,
                          then_quit=quit)
            except BaseException:
                stop(profile, 5, proc, kill=True)
                raise
            if quit:
                if not stop(profile, args.timeout, proc, asked=True):
                    raise Failure("%s did not quit cleanly" % args.browser)
            else:
                print("PID %d" % proc.pid, flush=True)
        elif args.cmd == "open":
            state = load_state(profile)
            visit_all(state["browser"], profile, args.urls, args.timeout)
        elif args.cmd == "stop":
            if not stop(profile, args.timeout):
                raise Failure("the browser did not quit cleanly")
        elif args.cmd == "history":
            wanted = set(h.lower() for h in args.wait_for)
            for _ in deadline_loop(args.timeout, "hosts %s in the history"
                                   % " ".join(sorted(wanted)), 0.2):
                try:
                    rows = history(profile)
                except sqlite3.Error:
                    # While the browser creates its database, a copy can
                    # catch it half-made; waiting callers try again.
                    if not wanted:
                        raise
                    continue
                if wanted <= set(host for _, host, _ in rows):
                    break
            for t, host, url in rows:
                print("%d\t%s\t%s" % (t, host, url))
        elif args.cmd == "bookmarks":
            for host, url in bookmarks(profile):
                print("%s\t%s" % (host, url))
    except (Failure, OSError, sqlite3.Error) as e:
        print("visit.py: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
