"""Per-line listeners: the latency probe port and the PPTP login stand-in.

Everything runs on one selector thread; other threads hand it commands
through a queue and a wake-up socket, so no socket is shared across threads.
"""

import collections
import errno
import selectors
import socket
import struct
import sys
import threading
import time
from concurrent.futures import Future
from dataclasses import dataclass, field

PPTP_PORT = 1723
MAX_LOGIN_LINE = 4096
CALL_TIMEOUT = 10.0
# A delayed probe port: how often its dropped SYNs are looked for, and how long an opened gate
# waits for the retransmitted SYN of a client that may have given up.
GATE_POLL = 0.01
GATE_OPEN_LIMIT = 3.0
SO_MEMINFO = 55  # Linux: the socket's memory figures; index 8 counts the packets it dropped
SK_MEMINFO_DROPS = 8


class LineBindError(OSError):
    pass


@dataclass(eq=False)
class _Session:
    sock: socket.socket
    line: object
    deadline: float
    buf: bytearray = field(default_factory=bytearray)
    user: object = None
    logged_in: bool = False
    verdict_at: object = None  # monotonic time a delayed OK is due, or None


def _bind_listener(address, port):
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind((address, port))
        sock.listen(64)
        sock.setblocking(False)
    except PermissionError:
        sock.close()
        raise LineBindError(errno.EACCES,
                            f"cannot listen on {address}:{port}: permission denied "
                            f"(ports below 1024 need root)") from None
    except OSError as exc:
        sock.close()
        raise LineBindError(exc.errno, f"cannot listen on {address}:{port}: {exc.strerror}") from None
    return sock


def _close(sock, graceful=True):
    try:
        if graceful:
            sock.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass
    sock.close()


def _dropped(sock):
    """Packets the socket dropped: for a listener, the SYNs that found its accept queue full."""
    return struct.unpack("9I", sock.getsockopt(socket.SOL_SOCKET, SO_MEMINFO, 36))[SK_MEMINFO_DROPS]


@dataclass(eq=False)
class _Gate:
    """A probe port answering late. A connect's handshake is the kernel's, so the delay is made
    where a real server makes it: the listener's accept queue is held full (one connection of our
    own, a backlog of 0), so the client's SYN is dropped; `delay` seconds after a drop the queue is
    emptied and the client's SYN retransmission gets through. Clients retransmit after their
    retransmission time-out (1 s at first on Linux and Windows, then 3 s), so the connect takes
    the first retransmission at or after the delay."""
    listener: socket.socket
    address: str
    port: int
    delay: float
    filler: object = None      # our connection holding the queue full, while the gate is shut
    drops: int = 0
    open_at: object = None     # monotonic time the gate opens, once a SYN was dropped
    opened_at: object = None   # monotonic time it opened


class LineServers:
    def __init__(self, recorder):
        self._recorder = recorder
        self._sel = selectors.DefaultSelector()
        self._wake_r, self._wake_w = socket.socketpair()
        self._wake_r.setblocking(False)
        self._wake_w.setblocking(False)
        self._sel.register(self._wake_r, selectors.EVENT_READ, ("wake", None))
        self._cmds = collections.deque()
        self._cmd_lock = threading.Lock()
        self._listeners = []
        self._probe_listeners = {}  # address -> probe listener
        self._gates = {}            # address -> _Gate
        self._sessions = {}
        self._refusals = {}  # address -> logins still to refuse after a drop
        self._login_timeout = 10.0
        self._thread = threading.Thread(target=self._run, name="line-servers", daemon=True)
        self._stopped = False

    # ---- called from other threads ----

    def start(self):
        self._thread.start()

    def apply(self, lines, login_timeout):
        """Re-create every listener to match lines; open sessions live on."""
        return self._call("apply", list(lines), login_timeout)

    def drop(self, address, refuse=0):
        """Close every logged-in session on address, and refuse its next `refuse`
        logins with ERR 691; returns how many sessions were closed."""
        return self._call("drop", address, refuse)

    def probe_delay(self, address, ms):
        """Makes connects to address's probe port late (see _Gate); 0 ends it."""
        return self._call("probe_delay", address, ms)

    def listening(self):
        return self._call("listening")

    def stop(self):
        if self._stopped:
            return
        self._stopped = True
        if self._thread.is_alive():
            try:
                self._call("stop")
            finally:
                self._thread.join(CALL_TIMEOUT)
        self._wake_w.close()

    def _call(self, *cmd):
        fut = Future()
        with self._cmd_lock:
            self._cmds.append((cmd, fut))
        try:
            self._wake_w.send(b"x")
        except BlockingIOError:
            pass  # a wake-up is already pending
        return fut.result(CALL_TIMEOUT)

    # ---- selector thread ----

    def _run(self):
        while True:
            for key, _ in self._sel.select(self._select_timeout()):
                kind, data = key.data
                try:
                    if kind == "wake":
                        if not self._commands():
                            return
                    elif kind == "probe":
                        self._accept_probe(key.fileobj)
                    elif kind == "gate":
                        # Closed only once the gate is shut again: a client that sees the close
                        # and connects at once must find it shut.
                        held = self._accept_all(key.fileobj)
                        self._shut(data)
                        for conn in held:
                            conn.close()
                    elif kind == "pptp":
                        self._accept_pptp(key.fileobj, data)
                    elif kind == "session":
                        self._read_session(data)
                except Exception as exc:  # keep serving the other lines
                    print(f"service: line server error: {exc!r}", file=sys.stderr, flush=True)
            self._answer_due()
            self._expire_logins()
            self._tend_gates()

    def _select_timeout(self):
        pending = [s.verdict_at if s.verdict_at is not None else s.deadline
                   for s in self._sessions.values() if not s.logged_in]
        if self._gates:
            pending.append(time.monotonic() + GATE_POLL)
        if not pending:
            return None
        return max(0.0, min(pending) - time.monotonic())

    def _commands(self):
        try:
            while self._wake_r.recv(512):
                pass
        except BlockingIOError:
            pass
        while True:
            with self._cmd_lock:
                if not self._cmds:
                    return True
                cmd, fut = self._cmds.popleft()
            name = cmd[0]
            try:
                if name == "stop":
                    self._shutdown()
                    fut.set_result(None)
                    return False
                if name == "apply":
                    fut.set_result(self._apply(cmd[1], cmd[2]))
                elif name == "drop":
                    fut.set_result(self._drop(cmd[1], cmd[2]))
                elif name == "probe_delay":
                    fut.set_result(self._set_probe_delay(cmd[1], cmd[2]))
                elif name == "listening":
                    fut.set_result([s.getsockname() for s in self._listeners])
            except Exception as exc:
                fut.set_exception(exc)

    def _apply(self, lines, login_timeout):
        self._login_timeout = login_timeout
        self._refusals.clear()
        self._close_listeners()
        try:
            for line in lines:
                if line.answers:
                    self._listen(line, line.probe_port, "probe")
                if line.pptp:
                    self._listen(line, PPTP_PORT, "pptp")
        except LineBindError:
            # Half a line set would be confusing; leave nothing listening.
            self._close_listeners()
            raise
        return len(self._listeners)

    def _listen(self, line, port, kind):
        sock = _bind_listener(line.address, port)
        self._listeners.append(sock)
        self._sel.register(sock, selectors.EVENT_READ, (kind, line))
        if kind == "probe":
            self._probe_listeners[line.address] = sock

    def _close_listeners(self):
        for gate in self._gates.values():
            if gate.filler is not None:
                gate.filler.close()
        self._gates = {}
        self._probe_listeners = {}
        for sock in self._listeners:
            try:
                self._sel.unregister(sock)
            except KeyError:
                pass  # a shut gate's listener is not watched
            sock.close()
        self._listeners = []

    # ---- late probe ports ----

    def _set_probe_delay(self, address, ms):
        listener = self._probe_listeners.get(address)
        if listener is None:
            raise ValueError(f"no answering probe port on {address}")
        gate = self._gates.pop(address, None)
        if gate is not None:
            self._open(gate)
        if ms <= 0:
            listener.listen(64)
            return 0
        listener.listen(0)
        gate = _Gate(listener, address, listener.getsockname()[1], ms / 1000.0)
        self._gates[address] = gate
        self._shut(gate)
        return ms

    def _shut(self, gate):
        """Fills the accept queue with a connection of our own; stays open if that fails."""
        self._accept_probe(gate.listener)
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.settimeout(0.2)
        try:
            filler.connect((gate.address, gate.port))
        except OSError:
            filler.close()
            gate.opened_at = time.monotonic()
            return
        try:
            self._sel.unregister(gate.listener)
        except KeyError:
            pass
        gate.filler = filler
        gate.drops = _dropped(gate.listener)
        gate.open_at = None
        gate.opened_at = None

    def _open(self, gate):
        """Empties the accept queue (our connection is the one in it) and watches the listener."""
        if gate.filler is not None:
            self._accept_probe(gate.listener)
            gate.filler.close()
            gate.filler = None
            self._sel.register(gate.listener, selectors.EVENT_READ, ("gate", gate))
        gate.opened_at = time.monotonic()

    def _tend_gates(self):
        now = time.monotonic()
        for gate in list(self._gates.values()):
            if gate.filler is None:
                if now - gate.opened_at >= GATE_OPEN_LIMIT:
                    self._shut(gate)  # its client gave up
                continue
            drops = _dropped(gate.listener)
            if drops != gate.drops and gate.open_at is None:
                gate.open_at = now + gate.delay
            gate.drops = drops
            if gate.open_at is not None and now >= gate.open_at:
                self._open(gate)

    def _accept_probe(self, listener):
        for conn in self._accept_all(listener):
            conn.close()

    @staticmethod
    def _accept_all(listener):
        taken = []
        while True:
            try:
                conn, _ = listener.accept()
            except OSError:  # BlockingIOError and InterruptedError among them
                return taken
            taken.append(conn)

    def _accept_pptp(self, listener, line):
        while True:
            try:
                conn, _ = listener.accept()
            except (BlockingIOError, InterruptedError):
                return
            except OSError:
                return
            conn.setblocking(False)
            session = _Session(conn, line, time.monotonic() + self._login_timeout)
            self._sessions[conn] = session
            self._sel.register(conn, selectors.EVENT_READ, ("session", session))

    def _read_session(self, s):
        try:
            data = s.sock.recv(4096)
        except (BlockingIOError, InterruptedError):
            return
        except OSError:
            data = b""
        if not data:
            self._end(s, "closed")
            return
        if s.logged_in or s.verdict_at is not None:
            return  # nothing more is expected once the login line is in
        s.buf += data
        if b"\n" not in s.buf:
            if len(s.buf) > MAX_LOGIN_LINE:
                self._refuse(s)
            return
        raw = bytes(s.buf.split(b"\n", 1)[0]).rstrip(b"\r")
        parts = raw.decode("gbk", "replace").split("\t")
        s.user = parts[1] if len(parts) > 1 else None
        line = s.line
        if self._refusals.get(line.address, 0) > 0:
            self._refusals[line.address] -= 1
            self._refuse(s)
            return
        ok = (len(parts) == 3 and parts[0] == "LOGIN"
              and parts[1] == line.user and parts[2] == line.password
              and not line.reject_login)
        if not ok:
            self._refuse(s)
            return
        if line.login_delay > 0:
            s.verdict_at = time.monotonic() + line.login_delay
            return
        self._accept_login(s)

    def _accept_login(self, s):
        s.verdict_at = None
        if not self._send(s, b"OK\n"):
            self._end(s, "closed")
            return
        s.logged_in = True
        self._record(s, "ok")

    def _refuse(self, s):
        self._send(s, b"ERR 691\n")
        self._end(s, "691")

    def _send(self, s, data):
        try:
            return s.sock.send(data) == len(data)
        except OSError:
            return False

    def _end(self, s, result, record=True):
        self._sel.unregister(s.sock)
        del self._sessions[s.sock]
        _close(s.sock)
        if record:
            self._record(s, result)

    def _record(self, s, result):
        self._recorder.record({"kind": "pptp", "address": s.line.address,
                               "user": s.user, "result": result})

    def _answer_due(self):
        now = time.monotonic()
        for s in [s for s in self._sessions.values() if s.verdict_at is not None and s.verdict_at <= now]:
            self._accept_login(s)

    def _expire_logins(self):
        now = time.monotonic()
        for s in [s for s in self._sessions.values()
                  if not s.logged_in and s.verdict_at is None and s.deadline <= now]:
            self._end(s, "closed")

    def _drop(self, address, refuse):
        self._refusals[address] = refuse
        victims = [s for s in self._sessions.values()
                   if s.logged_in and s.line.address == address]
        for s in victims:
            self._end(s, "dropped")
        return len(victims)

    def _shutdown(self):
        self._close_listeners()
        for s in list(self._sessions.values()):
            self._end(s, "closed", record=False)
        self._sel.unregister(self._wake_r)
        self._wake_r.close()
        self._sel.close()
