"""Misbehaviours per path: one-shot ones queued and consumed one per request, and standing ones
(a path that is "down") that answer every request until lifted."""

import collections
import threading
from dataclasses import dataclass
from typing import Optional


class FaultError(ValueError):
    pass


@dataclass(frozen=True)
class Fault:
    kind: str                 # "status" | "hang" | "garbage" | "close" | "flood" | "trickle" | "redirect"
    status: int = 0
    body: Optional[str] = None
    seconds: float = 0.0
    size: int = 0
    location: Optional[str] = None

KINDS = ("status", "hang", "garbage", "close", "flood", "trickle", "redirect")


def _is_number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def parse_fault(raw):
    if not isinstance(raw, dict):
        raise FaultError(f"fault must be an object, got {raw!r}")
    kinds = [k for k in KINDS if k in raw]
    if len(kinds) != 1:
        raise FaultError(f"fault needs exactly one of {'/'.join(KINDS)}: {raw!r}")
    allowed = {kinds[0]} | ({"body"} if kinds[0] == "status" else set())
    extra = set(raw) - allowed
    if extra:
        raise FaultError(f"unknown fault keys {sorted(extra)} in {raw!r}")

    kind = kinds[0]
    value = raw[kind]
    if kind == "status":
        if not isinstance(value, int) or isinstance(value, bool) or not 200 <= value <= 599:
            raise FaultError(f"fault status must be an int 200..599: {raw!r}")
        body = raw.get("body")
        if body is not None and not isinstance(body, str):
            raise FaultError(f"fault body must be text: {raw!r}")
        return Fault("status", status=value, body=body)
    if kind in ("hang", "trickle"):
        if not _is_number(value) or not 0 <= value <= 600:
            raise FaultError(f"fault {kind} must be seconds 0..600: {raw!r}")
        return Fault(kind, seconds=float(value))
    if kind == "flood":
        if not isinstance(value, int) or isinstance(value, bool) or not 0 <= value <= 1 << 30:
            raise FaultError(f"fault flood must be a byte count up to 1 GiB: {raw!r}")
        return Fault("flood", size=value)
    if kind == "redirect":
        if not isinstance(value, str) or not value or any(c in value for c in "\r\n"):
            raise FaultError(f"fault redirect must be one line of text: {raw!r}")
        return Fault("redirect", location=value)
    if kind == "garbage":
        if not isinstance(value, int) or isinstance(value, bool) or not 0 <= value <= 1 << 20:
            raise FaultError(f"fault garbage must be a byte count: {raw!r}")
        return Fault("garbage", size=value)
    if value is not True:
        raise FaultError(f"fault close must be true: {raw!r}")
    return Fault("close")


def parse_fault_map(raw):
    """{path: [fault, ...]} -> {path: [Fault, ...]}"""
    if raw is None:
        return {}
    if not isinstance(raw, dict):
        raise FaultError("faults must be an object mapping a path to a list")
    result = {}
    for path, items in raw.items():
        if not isinstance(path, str) or not path.startswith("/") or "?" in path:
            raise FaultError(f"fault path must start with '/' and carry no query: {path!r}")
        if not isinstance(items, list):
            raise FaultError(f"faults for {path} must be a list")
        result[path] = [parse_fault(item) for item in items]
    return result


def parse_standing_map(raw):
    """{path: fault} -> {path: Fault}; {} lifts every standing fault."""
    if not isinstance(raw, dict):
        raise FaultError("down needs an object mapping a path to one fault")
    return {path: faults[0] for path, faults in parse_fault_map({p: [f] for p, f in raw.items()}).items()}


class FaultQueues:
    def __init__(self):
        self._lock = threading.Lock()
        self._queues = {}
        self._standing = {}

    def replace(self, mapping):
        """A new config: its queues, and no path down."""
        with self._lock:
            self._queues = {p: collections.deque(f) for p, f in mapping.items() if f}
            self._standing = {}

    def set_standing(self, mapping):
        with self._lock:
            self._standing = dict(mapping)

    def extend(self, mapping):
        with self._lock:
            for path, faults in mapping.items():
                self._queues.setdefault(path, collections.deque()).extend(faults)
            return {p: len(q) for p, q in self._queues.items()}

    def take(self, path):
        with self._lock:
            queue = self._queues.get(path)
            if not queue:
                return self._standing.get(path)
            fault = queue.popleft()
            if not queue:
                del self._queues[path]
            return fault
