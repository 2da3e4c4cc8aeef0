"""Reads and checks the service configuration (JSON)."""

import ipaddress
import json
from dataclasses import dataclass
from typing import Optional, Tuple

from faults import FaultError, parse_fault_map

NOTICE_KEYS = ("time", "adurl", "adurl2", "message", "linktext", "linkurl", "url", "version")
LINELIST_MODES = ("normal", "empty", "garbage")
PPTP_PORT = 1723
DEFAULT_LOGIN_TIMEOUT = 10.0
MAX_LOGIN_DELAY = 8


class ConfigError(ValueError):
    pass


@dataclass(frozen=True)
class Line:
    name: str
    address: str
    probe_port: int
    user: str
    password: str
    load: str
    answers: bool = True
    pptp: bool = True
    reject_login: bool = False
    login_delay: float = 0.0


@dataclass(frozen=True)
class Config:
    lines: Tuple[Line, ...]
    extra_rows: Tuple[str, ...]
    linelist_body: str
    notice: Tuple[Tuple[str, Optional[str]], ...]
    faults: dict
    pptp_login_timeout: float


def _text(obj, key, where, default=None):
    value = obj.get(key, default)
    if not isinstance(value, str):
        raise ConfigError(f"{where}: '{key}' must be text, got {value!r}")
    return value


def _flag(obj, key, where, default):
    value = obj.get(key, default)
    if not isinstance(value, bool):
        raise ConfigError(f"{where}: '{key}' must be true or false, got {value!r}")
    return value


def _gbk(value, where):
    # The client reads these as GBK; refuse what it could never show.
    try:
        value.encode("gbk")
    except UnicodeEncodeError:
        raise ConfigError(f"{where}: {value!r} cannot be encoded as GBK") from None


def _login_delay(obj, where):
    # Kept well below the RAS stand-in's own 10-second wait for the answer.
    value = obj.get("login_delay", 0)
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not 0 <= value <= MAX_LOGIN_DELAY:
        raise ConfigError(f"{where}: 'login_delay' must be seconds 0..{MAX_LOGIN_DELAY}, got {value!r}")
    return float(value)


def loopback_address(text, where):
    try:
        addr = ipaddress.ip_address(text)
    except ValueError:
        raise ConfigError(f"{where}: {text!r} is not an IP address") from None
    if addr.version != 4 or not addr.is_loopback:
        raise ConfigError(f"{where}: {text!r} must be an IPv4 loopback address (127.x.x.x)")
    return str(addr)


def _parse_line(raw, index):
    where = f"lines[{index}]"
    if not isinstance(raw, dict):
        raise ConfigError(f"{where}: must be an object")
    known = {"name", "address", "probe_port", "user", "password", "load",
             "answers", "pptp", "reject_login", "login_delay"}
    unknown = set(raw) - known
    if unknown:
        raise ConfigError(f"{where}: unknown keys {sorted(unknown)}")
    port = raw.get("probe_port")
    if not isinstance(port, int) or isinstance(port, bool) or not 1 <= port <= 65535:
        raise ConfigError(f"{where}: 'probe_port' must be an int 1..65535, got {port!r}")
    line = Line(
        name=_text(raw, "name", where),
        address=loopback_address(_text(raw, "address", where), where),
        probe_port=port,
        user=_text(raw, "user", where),
        password=_text(raw, "password", where),
        load=_text(raw, "load", where, "流畅"),
        answers=_flag(raw, "answers", where, True),
        pptp=_flag(raw, "pptp", where, True),
        reject_login=_flag(raw, "reject_login", where, False),
        login_delay=_login_delay(raw, where),
    )
    _gbk(line.user, where)
    _gbk(line.password, where)
    if line.answers and line.pptp and line.probe_port == PPTP_PORT:
        raise ConfigError(f"{where}: probe_port {PPTP_PORT} clashes with the PPTP listener")
    return line


def _notice_value(value, key):
    if value is None:
        return None
    if isinstance(value, bool) or not isinstance(value, (str, int, float)):
        raise ConfigError(f"notice.{key}: must be text, a number or null, got {value!r}")
    text = str(value)
    if "\r" in text or "\n" in text:
        raise ConfigError(f"notice.{key}: must fit on one line")
    _gbk(text, f"notice.{key}")
    return text


def _parse_notice(raw):
    if raw is None:
        raw = {}
    if not isinstance(raw, dict):
        raise ConfigError("notice: must be an object")
    # Known keys in their usual order, then anything extra the config adds.
    keys = list(NOTICE_KEYS) + [k for k in raw if k not in NOTICE_KEYS]
    notice = []
    for key in keys:
        if not key or "=" in key or "\n" in key or "\r" in key:
            raise ConfigError(f"notice: bad key {key!r}")
        notice.append((key, _notice_value(raw.get(key), key)))
    return tuple(notice)


def parse_config(raw):
    if not isinstance(raw, dict):
        raise ConfigError("config must be a JSON object")
    known = {"lines", "extra_rows", "linelist_body", "notice", "faults",
             "pptp_login_timeout", "comment"}
    unknown = set(raw) - known
    if unknown:
        raise ConfigError(f"unknown config keys {sorted(unknown)}")

    raw_lines = raw.get("lines", [])
    if not isinstance(raw_lines, list):
        raise ConfigError("lines: must be a list")
    lines = tuple(_parse_line(item, i) for i, item in enumerate(raw_lines))
    seen = set()
    for line in lines:
        if line.address in seen:
            raise ConfigError(f"lines: address {line.address} is used twice")
        seen.add(line.address)

    extra_rows = raw.get("extra_rows", [])
    if not isinstance(extra_rows, list) or not all(isinstance(r, str) for r in extra_rows):
        raise ConfigError("extra_rows: must be a list of texts")

    mode = raw.get("linelist_body", "normal")
    if mode not in LINELIST_MODES:
        raise ConfigError(f"linelist_body: must be one of {LINELIST_MODES}, got {mode!r}")

    timeout = raw.get("pptp_login_timeout", DEFAULT_LOGIN_TIMEOUT)
    if isinstance(timeout, bool) or not isinstance(timeout, (int, float)) or timeout <= 0:
        raise ConfigError("pptp_login_timeout: must be seconds > 0")

    try:
        faults = parse_fault_map(raw.get("faults"))
    except FaultError as exc:
        raise ConfigError(str(exc)) from None

    return Config(
        lines=lines,
        extra_rows=tuple(extra_rows),
        linelist_body=mode,
        notice=_parse_notice(raw.get("notice")),
        faults=faults,
        pptp_login_timeout=float(timeout),
    )


def load_config(path):
    try:
        with open(path, encoding="utf-8-sig") as f:
            raw = json.load(f)
    except OSError as exc:
        raise ConfigError(f"cannot read config {path}: {exc.strerror}") from None
    except json.JSONDecodeError as exc:
        raise ConfigError(f"config {path} is not valid JSON: {exc}") from None
    return parse_config(raw)
