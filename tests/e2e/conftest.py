"""End-to-end harness: the real Sorvik.exe under Wine, observed from outside."""
import json
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
        out = bench("run", BIN / "wininspect.exe", "windows", check=False).stdout
        return [json.loads(line) for line in out.splitlines() if line.startswith("{")]

    def windows_titled(self, title, visible_only=True):
        return [w for w in self.windows() if w["title"] == title and (w["visible"] or not visible_only)]

    def wait_window(self, title, timeout=30):
        found = wait_until(lambda: self.windows_titled(title), timeout)
        assert found, f"no visible window titled {title!r} within {timeout}s"
        return found[0]

    def post_close(self, title):
        return bench("run", BIN / "wininspect.exe", "close", title, check=False).returncode == 0

    def screenshot(self, path):
        bench("screenshot", path)

    def click(self, x, y, button="left"):
        bench("click", x, y, *(["right"] if button == "right" else []))


class Sorvik:
    """One installed copy of the program in its own directory, as a user would unpack it."""

    def __init__(self, root):
        self.root = Path(root)
        self.root.mkdir(parents=True, exist_ok=True)
        for name in ("Sorvik.exe", "rasapi32.dll"):
            if (BIN / name).exists():
                shutil.copy2(BIN / name, self.root / name)
        shutil.copytree(BIN / "theme", self.root / "theme", dirs_exist_ok=True)
        self.processes = []

    @property
    def exe(self):
        return self.root / "Sorvik.exe"

    def start(self):
        proc = subprocess.Popen(["bash", str(BENCH), "run", str(self.exe)], cwd=self.root,
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
def sorvik(tmp_path, desktop):
    app = Sorvik(tmp_path / "Sorvik")
    yield app
    for _ in range(2):
        if not desktop.windows_titled(MAIN_TITLE, visible_only=False):
            break
        desktop.post_close(MAIN_TITLE)
        time.sleep(1)
    app.stop_all()
    # Nothing of this test may leak into the next one.
    bench("kill", check=False)
