"""Starting and talking to the demo service from the tests."""

import http.client
import json
import os
import random
import selectors
import signal
import socket
import subprocess
import time
from pathlib import Path

PYTHON = "/usr/bin/python3"
REPO_ROOT = Path(__file__).resolve().parents[2]
SERVICE = REPO_ROOT / "tools" / "demo_service" / "service.py"
KEY_FILE = REPO_ROOT / "app" / "lines" / "line_list.key"
READY_TIMEOUT = 10.0
STOP_LIMIT = 2.0
# Stopping with clients still attached should not even come near the limit.
PROMPT_STOP = 0.8

# One 127.0.N.0/24 per test session, away from the demo's 127.0.0.x lines,
# so a running demo or a second test run does not collide on port 1723.
LINE_NET = f"127.0.{random.randint(100, 250)}."
PROBE_PORT = 20417


def line_address(n):
    return f"{LINE_NET}{n}"


def rc4(key, data):
    """Independent RC4 used to check what the service sends."""
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) % 256
        state[i], state[j] = state[j], state[i]
    i = j = 0
    out = bytearray()
    for byte in data:
        i = (i + 1) % 256
        j = (j + state[i]) % 256
        state[i], state[j] = state[j], state[i]
        out.append(byte ^ state[(state[i] + state[j]) % 256])
    return bytes(out)


def make_line(n, **overrides):
    line = {
        "name": f"测试线路{n}",
        "address": line_address(n),
        "probe_port": PROBE_PORT,
        "user": f"user{n}",
        "password": f"pass{n}",
        "load": "流畅",
    }
    line.update(overrides)
    return line


class Response:
    def __init__(self, status, headers, body):
        self.status = status
        self.headers = headers
        self.body = body

    def json(self):
        return json.loads(self.body.decode("utf-8"))


class RunningService:
    def __init__(self, proc, port, record_dir, stderr_path):
        self.proc = proc
        self.port = port
        self.record_dir = Path(record_dir)
        self.stderr_path = stderr_path
        self.stop_result = None
        self.stdout_after_ready = None

    def connection(self, timeout=5.0, source=None):
        source_address = (source, 0) if source else None
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout,
                                          source_address=source_address)

    def request(self, method, path, body=None, timeout=5.0, source=None, headers=None):
        conn = self.connection(timeout, source)
        try:
            conn.request(method, path, body=body, headers=headers or {})
            resp = conn.getresponse()
            return Response(resp.status, dict(resp.getheaders()), resp.read())
        finally:
            conn.close()

    def get(self, path, **kw):
        return self.request("GET", path, **kw)

    def post_json(self, path, obj):
        body = json.dumps(obj, ensure_ascii=False).encode("utf-8")
        return self.request("POST", path, body=body,
                            headers={"Content-Type": "application/json"})

    def events(self, kind=None):
        resp = self.get("/_control/requests")
        assert resp.status == 200, resp.body
        events = resp.json()
        return [e for e in events if kind is None or e["kind"] == kind]

    def file_events(self):
        path = self.record_dir / "requests.jsonl"
        text = path.read_text(encoding="utf-8")
        return [json.loads(line) for line in text.splitlines()]

    def wait_events(self, kind, count, timeout=3.0):
        deadline = time.monotonic() + timeout
        while True:
            events = self.events(kind)
            if len(events) >= count or time.monotonic() > deadline:
                return events
            time.sleep(0.02)

    def stop(self, sig=signal.SIGTERM):
        """Signal the service; returns (exit code, seconds taken)."""
        if self.stop_result is None:
            start = time.monotonic()
            self.proc.send_signal(sig)
            try:
                rc = self.proc.wait(STOP_LIMIT + 3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                rc = self.proc.wait()
            self.stop_result = (rc, time.monotonic() - start)
            self.stdout_after_ready = self.proc.stdout.read()
            self.proc.stdout.close()
        return self.stop_result

    def stderr(self):
        return Path(self.stderr_path).read_text(encoding="utf-8", errors="replace")


def launch(workdir, config, args=()):
    """Start the service; returns (proc, ready line or None, stderr path)."""
    workdir = Path(workdir)
    workdir.mkdir(parents=True, exist_ok=True)
    config_path = workdir / "config.json"
    if isinstance(config, (dict, list)):
        config_path.write_text(json.dumps(config, ensure_ascii=False), encoding="utf-8")
    else:
        config_path.write_text(config, encoding="utf-8")
    stderr_path = workdir / "stderr.txt"
    cmd = [PYTHON, str(SERVICE), "--config", str(config_path),
           "--record-dir", str(workdir / "records")]
    if "--port" not in args:
        cmd += ["--port", "0"]
    cmd += list(args)
    with open(stderr_path, "wb") as err:
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=err, cwd="/")
    return proc, _read_line(proc, READY_TIMEOUT), stderr_path


def _read_line(proc, timeout):
    sel = selectors.DefaultSelector()
    sel.register(proc.stdout, selectors.EVENT_READ)
    deadline = time.monotonic() + timeout
    data = b""
    try:
        while b"\n" not in data:
            left = deadline - time.monotonic()
            if left <= 0 or not sel.select(left):
                return None
            chunk = os.read(proc.stdout.fileno(), 4096)
            if not chunk:
                break
            data += chunk
    finally:
        sel.close()
    return data.decode("utf-8", "replace") if data else None


def tcp_connect(address, port, timeout=2.0):
    sock = socket.create_connection((address, port), timeout=timeout)
    sock.settimeout(timeout)
    return sock


def pptp_login(address, user, password, timeout=2.0):
    """Send the login line; returns (socket, first answer line)."""
    sock = tcp_connect(address, 1723, timeout)
    sock.sendall(f"LOGIN\t{user}\t{password}\n".encode("gbk"))
    return sock, read_line(sock)


def read_line(sock):
    data = b""
    while not data.endswith(b"\n"):
        chunk = sock.recv(1)
        if not chunk:
            break
        data += chunk
    return data


def wait_closed(sock, timeout=2.0):
    """True when the peer closes the connection within timeout."""
    sock.settimeout(timeout)
    try:
        while True:
            chunk = sock.recv(4096)
            if not chunk:
                return True
    except socket.timeout:
        return False
    except ConnectionResetError:
        return True
