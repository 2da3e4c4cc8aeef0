#!/usr/bin/python3
"""Demo stand-in for Sorvik's web service and line servers (loopback only)."""

import argparse
import os
import signal
import sys
import threading
import time
from pathlib import Path

from config import ConfigError, load_config, loopback_address
from faults import FaultQueues
from http_handler import DemoHTTPServer, DemoTLSServer
from line_servers import LineBindError, LineServers
from recorder import Recorder

REPO_ROOT = Path(__file__).resolve().parents[2]
DEFAULT_PORT = 18631
DEFAULT_KEY = "app/lines/line_list.key"


class State:
    """What the HTTP handlers share; the config is swapped whole, never edited."""

    def __init__(self, config, key, recorder, lines, verbose):
        self.config = config
        self.key = key
        self.recorder = recorder
        self.lines = lines
        self.verbose = verbose
        self.faults = FaultQueues()
        self.faults.replace(config.faults)
        self.stop_event = threading.Event()
        self.tls_server = None  # set once before any request is served
        self._apply_lock = threading.Lock()

    def apply_config(self, config):
        with self._apply_lock:
            count = self.lines.apply(config.lines, config.pptp_login_timeout)
            self.config = config
            self.faults.replace(config.faults)
            return count


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--config", required=True, help="JSON config file")
    p.add_argument("--record-dir", required=True, help="where requests.jsonl is written")
    p.add_argument("--port", type=int, default=DEFAULT_PORT, help="HTTP port (0 picks a free one)")
    p.add_argument("--host", default="127.0.0.1", help="HTTP address (loopback only)")
    p.add_argument("--key", default=DEFAULT_KEY,
                   help="line list RC4 key file, relative paths from the repo root")
    p.add_argument("--tls-port", type=int, help="also serve HTTPS here (needs --tls-cert and --tls-key)")
    p.add_argument("--tls-cert", help="server certificate chain, PEM")
    p.add_argument("--tls-key", help="server private key, PEM")
    p.add_argument("--verbose", action="store_true", help="log each HTTP request to stderr")
    return p.parse_args(argv)


def fail(message, code=1):
    print(f"service: error: {message}", file=sys.stderr, flush=True)
    return code


def read_key(path):
    path = Path(path)
    if not path.is_absolute():
        path = REPO_ROOT / path
    key = path.read_bytes()
    if not 1 <= len(key) <= 256:
        raise ValueError(f"key file {path} holds {len(key)} bytes, expected 1..256")
    return key


def main(argv=None):
    args = parse_args(argv)

    stop_requested = []

    def on_signal(signum, frame):
        # Only a plain append here: taking locks inside a handler can deadlock.
        stop_requested.append(signum)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    try:
        host = loopback_address(args.host, "--host")
        config = load_config(args.config)
        key = read_key(args.key)
    except ConfigError as exc:
        return fail(str(exc), 2)
    except (OSError, ValueError) as exc:
        return fail(f"cannot read key: {exc}", 2)
    if not 0 <= args.port <= 65535:
        return fail(f"--port {args.port} out of range", 2)
    if args.tls_port is not None and (not 0 <= args.tls_port <= 65535 or not args.tls_cert or not args.tls_key):
        return fail("--tls-port needs a port 0..65535, --tls-cert and --tls-key", 2)

    try:
        recorder = Recorder(args.record_dir)
    except OSError as exc:
        return fail(f"cannot write records in {args.record_dir}: {exc.strerror}")

    lines = LineServers(recorder)
    lines.start()
    try:
        lines.apply(config.lines, config.pptp_login_timeout)
    except LineBindError as exc:
        lines.stop()
        recorder.close()
        return fail(exc.strerror)

    state = State(config, key, recorder, lines, args.verbose)
    try:
        httpd = DemoHTTPServer((host, args.port), state)
    except OSError as exc:
        lines.stop()
        recorder.close()
        return fail(f"cannot listen on {host}:{args.port}: {exc.strerror}")

    servers = [httpd]
    if args.tls_port is not None:
        try:
            state.tls_server = DemoTLSServer((host, args.tls_port), state, args.tls_cert, args.tls_key)
        except OSError as exc:
            httpd.server_close()
            lines.stop()
            recorder.close()
            return fail(f"cannot serve TLS on {host}:{args.tls_port}: {exc.strerror or exc}")
        servers.append(state.tls_server)
    threads = [threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1},
                                name=f"http{index}", daemon=True) for index, server in enumerate(servers)]
    for thread in threads:
        thread.start()
    ports = " ".join(str(server.server_address[1]) for server in servers)
    print(f"READY {ports}", flush=True)

    while not stop_requested:
        time.sleep(0.05)

    state.stop_event.set()
    for server in servers:
        server.shutdown()
        server.close_connections()
        server.server_close()
    for thread in threads:
        thread.join(1.0)
    lines.stop()
    recorder.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
