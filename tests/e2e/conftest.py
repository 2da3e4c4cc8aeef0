"""End-to-end harness: the real Sorvik.exe under Wine, observed from outside."""
import fcntl
import json
import signal
import urllib.request
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
BENCH = REPO / "tools" / "wine_bench.sh"
BIN = Path(os.environ.get("SORVIK_BIN", REPO / "build" / "win" / "bin"))
# The program loads rasapi32.dll from System32 only: every bench run installs the RAS stand-in
# into its prefix (the plain prefix's too), see tools/wine_bench.sh.
RAS_STANDIN = Path(os.environ.get("SORVIK_RAS_STANDIN", BIN.parent / "ras-standin" / "rasapi32.dll"))
os.environ["SORVIK_RAS_STANDIN"] = str(RAS_STANDIN)
# Screenshots of each panel land here; the ones in docs/ are copies of them.
SHOTS = Path(os.environ.get("SORVIK_SHOTS", REPO / "build" / "screenshots"))
SERVICE_PORT = 18631
SERVICE = f"http://127.0.0.1:{SERVICE_PORT}"
DEMO_CONFIG = REPO / "tools" / "demo_service" / "demo.json"
# The service's TLS port and its test certificates, made by openssl for this build tree.
TLS_PORT = 18632
CERTS = BIN.parent / "test-certs"
MAIN_TITLE = "Sorvik加速器"
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_MAXIMIZEBOX = 0x00010000


def bench(*args, check=True, timeout=120):
    # Output goes through files, not pipes: Wine's own background processes
    # (wineserver, the desktop) inherit the descriptors and would hold a pipe open.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(["bash", str(BENCH), *map(str, args)], timeout=timeout, stdout=out, stderr=err,
                              stdin=subprocess.DEVNULL)
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(proc.args, proc.returncode,
                                             out.read().decode("utf-8", "replace"),
                                             err.read().decode("utf-8", "replace"))
    if check:
        result.check_returncode()
    return result


def wait_until(predicate, timeout, interval=0.25):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


class Desktop:
    """The Wine virtual desktop (with taskbar) every program of the bench runs in."""

    def __init__(self, size):
        self.size = size
        bench("desktop", size)

    def windows(self):
        out = bench("run", BIN / "wininfo.exe", "windows", check=False).stdout
        return [json.loads(line) for line in out.splitlines() if line.startswith("{")]

    def windows_titled(self, title, visible_only=True):
        return [w for w in self.windows() if w["title"] == title and (w["visible"] or not visible_only)]

    def wait_window(self, title, timeout=30):
        found = wait_until(lambda: self.windows_titled(title), timeout)
        assert found, f"no visible window titled {title!r} within {timeout}s"
        return found[0]

    def post_close(self, title):
        return bench("run", BIN / "wininfo.exe", "close", title, check=False).returncode == 0

    def screenshot(self, path):
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        bench("screenshot", path)

    def click(self, x, y, button="left"):
        bench("click", x, y, *(["right"] if button == "right" else []))

    def key(self, *keys):
        bench("key", *keys)

    def list_rows(self, title=MAIN_TITLE):
        out = bench("run", BIN / "wininfo.exe", "listview", title, check=False).stdout
        return [json.loads(line) for line in out.splitlines() if line.startswith("{")]

    def quit_program(self, timeout=30):
        """Closes the program as a user would: close, confirm the question, end the exit notice."""
        self.post_close(MAIN_TITLE)
        questions = wait_until(lambda: [w for w in self.windows() if w["title"].startswith("是否") and w["visible"]],
                               15)
        if questions:
            # btnExit.png (72 x 26 with a 10-pixel margin) at (114, 70) of the 400 x 120 question.
            self.click_client(questions[0], 114 + 41, 70 + 18)
            wait_until(lambda: not self.windows_titled(MAIN_TITLE), 15)
            # The exit notice would count 120 seconds; it ends with this same close.
            self.post_close(MAIN_TITLE)
        return wait_until(lambda: not self.windows_titled(MAIN_TITLE, visible_only=False), timeout)

    def click_client(self, window, x, y, button="left"):
        """Clicks at a point of a window's client area (our windows have no frame)."""
        self.click(window["x"] + x, window["y"] + y, button)


class Sorvik:
    """One installed copy of the program in its own directory, as a user would unpack it."""

    def __init__(self, root):
        self.root = Path(root)
        self.root.mkdir(parents=True, exist_ok=True)
        shutil.copy2(BIN / "Sorvik.exe", self.root / "Sorvik.exe")
        shutil.copytree(BIN / "theme", self.root / "theme", dirs_exist_ok=True)
        self.processes = []

    @property
    def exe(self):
        return self.root / "Sorvik.exe"

    def start(self, *args):
        # The stand-in keeps its misuse ledger beside this copy (a Windows path: Z: is the Unix root).
        env = dict(os.environ, SORVIK_RAS_LEDGER_DIR=f"Z:{self.root}")
        proc = subprocess.Popen(["bash", str(BENCH), "run", str(self.exe), *args], cwd=self.root, env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(proc)
        return proc

    def stop_all(self):
        for proc in self.processes:
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(10)
                except subprocess.TimeoutExpired:
                    proc.kill()
        self.processes.clear()


@pytest.fixture(scope="session", autouse=True)
def wine_prefix():
    if not (BIN / "Sorvik.exe").exists():
        pytest.fail(f"build the Windows program first: {BIN / 'Sorvik.exe'} is missing")
    bench("prefix", timeout=600)
    yield
    bench("kill", check=False)


@pytest.fixture
def desktop():
    return Desktop(os.environ.get("SORVIK_E2E_SCREEN", "1366x768"))


@pytest.fixture
def program_folder():
    """Where the sorvik fixture installs the program, under the test's temporary directory."""
    return "Sorvik"


@pytest.fixture
def sorvik(tmp_path, desktop, program_folder):
    app = Sorvik(tmp_path / program_folder)
    yield app
    for _ in range(2):
        if not desktop.windows_titled(MAIN_TITLE, visible_only=False):
            break
        desktop.post_close(MAIN_TITLE)
        time.sleep(1)
    app.stop_all()
    # Nothing of this test may leak into the next one.
    bench("kill", check=False)
    ledger = app.root / "ras-misuse.log"
    assert not ledger.exists() or not ledger.read_text(), f"RAS misused: {ledger.read_text()}"
    # The test build logs every change of a window, element or menu from a thread not its own.
    violations = app.root / "thread-violations.log"
    assert not violations.exists(), violations.read_text(errors="replace")
    # A fault that ended the program (at exit too) leaves a minidump beside it.
    assert not list(app.root.glob("*.dmp")), "the program ended with a fault"


class DemoService:
    """The bundled demo service on the address the test build of Sorvik.exe talks to."""

    def __init__(self, record_dir):
        self.record_dir = Path(record_dir)
        # The port and line addresses are machine-wide: share them with the Windows tests' runs.
        self.lock = open(Path(tempfile.gettempdir()) / f"sorvik-demo-service-{SERVICE_PORT}.lock", "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        self.log = open(self.record_dir / "service.log", "w+")
        subprocess.run(["bash", str(REPO / "tools" / "demo_service" / "make_test_certs.sh"), str(CERTS)], check=True)
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", str(REPO / "tools" / "demo_service" / "service.py"), "--config", str(DEMO_CONFIG),
             "--record-dir", str(self.record_dir), "--port", str(SERVICE_PORT), "--tls-port", str(TLS_PORT),
             "--tls-cert", str(CERTS / "server.pem"), "--tls-key", str(CERTS / "server.key")],
            stdout=subprocess.PIPE, stderr=self.log, text=True)
        line = self.proc.stdout.readline()
        if not line.startswith("READY"):
            self.stop()
            raise RuntimeError(f"demo service did not start: {line!r}")

    def _call(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else (b"" if method == "POST" else None)
        request = urllib.request.Request(SERVICE + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=10) as response:
            return json.loads(response.read() or b"null")

    def configure(self, config):
        self._call("POST", "/_control/config", config)

    def demo_config(self):
        return json.loads(DEMO_CONFIG.read_text(encoding="utf-8"))

    def requests(self, path_prefix=""):
        return [r for r in self._call("GET", "/_control/requests")
                if r.get("kind") == "http" and r["path"].startswith(path_prefix)]

    def pptp_sessions(self):
        """What the lines' PPTP listeners saw: every dial that reached a line."""
        return [r for r in self._call("GET", "/_control/requests") if r.get("kind") == "pptp"]

    def logins(self, address):
        """The results of the PPTP logins the line at that address has seen, in order."""
        return [r["result"] for r in self._call("GET", "/_control/requests")
                if r.get("kind") == "pptp" and r["address"] == address]

    def reset(self):
        self._call("POST", "/_control/reset")

    def queue_faults(self, faults):
        self._call("POST", "/_control/faults", faults)

    def down(self, faults):
        """{path: fault}: every request on the path gets it, retries too, until the next config."""
        self._call("POST", "/_control/down", faults)

    def use_certificate(self, name):
        """Serves CERTS/NAME.pem on the TLS port from now on."""
        self._call("POST", "/_control/tls", {"cert": str(CERTS / f"{name}.pem"), "key": str(CERTS / "server.key")})

    def drop(self, address, refuse=0):
        """Closes the PPTP sessions on a line's address, as a server going away would; the line
        then refuses its next `refuse` logins."""
        return self._call("POST", f"/_control/drop?address={address}&refuse={refuse}")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        self.log.close()
        self.lock.close()


@pytest.fixture(scope="session")
def service(tmp_path_factory):
    svc = DemoService(tmp_path_factory.mktemp("service"))
    yield svc
    svc.stop()


@pytest.fixture
def demo(service):
    """The demo service with its default lines and notice, its records cleared."""
    service.configure(service.demo_config())
    service.reset()
    return service


@pytest.fixture
def opened_urls(tmp_path):
    """What the program hands to the shell as web pages: Wine's browser launcher is pointed at a
    script that records its arguments instead of starting a browser."""
    record = tmp_path / "opened-urls.txt"
    script = tmp_path / "record-url.sh"
    script.write_text(f'#!/bin/sh\necho "$@" >> {record}\n')
    script.chmod(0o755)
    key = r"HKCU\Software\Wine\WineBrowser"
    bench("run", "reg", "add", key, "/v", "Browsers", "/d", str(script), "/f")
    yield lambda: record.read_text().split() if record.exists() else []
    bench("run", "reg", "delete", key, "/v", "Browsers", "/f", check=False)
