"""The HTTP side: the client's web endpoints, fault injection and test controls."""

import ipaddress
import json
import os
import socket
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from socketserver import TCPServer

import content
from config import ConfigError, parse_config
from faults import FaultError, parse_fault_map, parse_standing_map
from line_servers import LineBindError

MAX_BODY = 1 << 20
CONTROL_PREFIX = "/_control/"
FLOOD_CHUNK = 1 << 16


def split_target(target):
    """Request target -> (path, raw query from '?' or '')."""
    # Tolerate absolute-form targets; the path is what matters here.
    for scheme in ("http://", "https://"):
        if target.startswith(scheme):
            slash = target.find("/", len(scheme))
            target = target[slash:] if slash >= 0 else "/"
            break
    mark = target.find("?")
    if mark < 0:
        return target, ""
    return target[:mark], target[mark:]


def _is_loopback(host):
    try:
        addr = ipaddress.ip_address(host)
    except ValueError:
        return False
    if addr.version == 6 and addr.ipv4_mapped is not None:
        addr = addr.ipv4_mapped
    return addr.is_loopback


class DemoHTTPServer(ThreadingHTTPServer):
    daemon_threads = True
    # Connections are tracked and closed by close_connections(); joining
    # blindly could wait on a keep-alive client forever.
    block_on_close = False

    def __init__(self, address, state):
        self.state = state
        self._conns = set()
        self._conn_cond = threading.Condition()
        self._closing = False
        super().__init__(address, DemoHandler)

    def server_bind(self):
        # HTTPServer.server_bind would ask for the host's FQDN; no lookups here.
        TCPServer.server_bind(self)
        host, port = self.server_address[:2]
        self.server_name = host
        self.server_port = port

    def track(self, sock):
        with self._conn_cond:
            if self._closing:
                return False
            self._conns.add(sock)
            return True

    def untrack(self, sock):
        with self._conn_cond:
            self._conns.discard(sock)
            self._conn_cond.notify_all()

    def close_connections(self, wait=1.0):
        with self._conn_cond:
            self._closing = True
            for sock in self._conns:
                try:
                    sock.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
            self._conn_cond.wait_for(lambda: not self._conns, wait)


class DemoTLSServer(DemoHTTPServer):
    """The same service over TLS. The handshake runs on the connection's own thread, so a client
    that refuses the certificate holds up no one; the certificate can be swapped while running."""

    def __init__(self, address, state, cert, key):
        self.tls = None
        self.load_certificate(cert, key)
        super().__init__(address, state)

    def load_certificate(self, cert, key):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(cert, key)
        self.tls = context  # one assignment: a connection sees the old context or the new one

    def finish_request(self, request, client_address):
        request.settimeout(10)
        try:
            wrapped = self.tls.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as exc:
            if self.state.verbose:
                sys.stderr.write(f"service: TLS handshake with {client_address[0]} failed: {exc}\n")
            return
        wrapped.settimeout(None)
        try:
            super().finish_request(wrapped, client_address)
        finally:
            try:
                wrapped.close()
            except OSError:
                pass


class DemoHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "SorvikDemo/1.0"
    timeout = 30  # idle keep-alive connections go away by themselves

    def version_string(self):
        return self.server_version

    # ---- connection life ----

    def setup(self):
        super().setup()
        if not self.server.track(self.connection):
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def finish(self):
        try:
            super().finish()
        finally:
            self.server.untrack(self.connection)

    def log_message(self, fmt, *args):
        if self.server.state.verbose:
            sys.stderr.write(f"service: {self.client_address[0]} {fmt % args}\n")

    # ---- dispatch ----

    def do_GET(self):
        self._dispatch()

    def do_POST(self):
        self._dispatch()

    def do_PUT(self):
        self._dispatch()

    def do_DELETE(self):
        self._dispatch()

    def do_HEAD(self):
        self._dispatch()

    def _dispatch(self):
        state = self.server.state
        body = self._read_body()
        if body is None:
            return
        path, query = split_target(self.path)
        if path.startswith(CONTROL_PREFIX):
            self._control(path, query, body)
            return

        state.recorder.record({"kind": "http", "t": time.time(), "method": self.command,
                               "path": self.path, "query": query,
                               "client": self.client_address[0],
                               "tls": isinstance(self.connection, ssl.SSLSocket)})
        fault = state.faults.take(path)
        if fault is not None:
            self._fault(fault)
            return
        if self.command not in ("GET", "HEAD"):
            self._send(404, b"Not Found\n")
            return

        config = state.config
        if path == "/jsq/line/linelist.php":
            self._send(200, content.linelist_body(config, state.key), "application/octet-stream")
        elif path == "/jsq/line/hello.php":
            self._send(200, self.client_address[0].encode("ascii"))
        elif path == "/jsq/beta.htm":
            self._send(200, content.beta_ini(config), "text/plain; charset=gbk")
        else:
            page = content.page(path)
            if page is None:
                self._send(404, b"Not Found\n")
            else:
                self._send(200, page, "text/html; charset=utf-8")

    def _read_body(self):
        length = self.headers.get("Content-Length")
        if length is None:
            return b""
        try:
            length = int(length)
        except ValueError:
            length = -1
        if not 0 <= length <= MAX_BODY:
            self.close_connection = True
            self._send(400, b"bad Content-Length\n")
            return None
        return self.rfile.read(length)

    def _send(self, status, body, ctype="text/plain; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        if self.close_connection:
            self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def _send_json(self, status, obj):
        body = json.dumps(obj, ensure_ascii=False).encode("utf-8")
        self._send(status, body, "application/json; charset=utf-8")

    # ---- faults ----

    def _fault(self, fault):
        if fault.kind == "status":
            if fault.body is not None:
                body = fault.body.encode("utf-8")
            else:
                body = f"{fault.status} {self.responses.get(fault.status, ('',))[0]}\n".encode()
            if fault.status in (204, 304):
                body = b""
            self._send(fault.status, body)
        elif fault.kind == "garbage":
            self._send(200, os.urandom(fault.size), "application/octet-stream")
        elif fault.kind == "hang":
            # Wakes early when the service stops so shutdown stays prompt.
            self.server.state.stop_event.wait(fault.seconds)
            self.close_connection = True
        elif fault.kind == "close":
            self.close_connection = True
        elif fault.kind == "redirect":
            self.send_response(302)
            self.send_header("Location", fault.location)
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif fault.kind == "flood":
            self._flood(fault.size)
        elif fault.kind == "trickle":
            self._trickle(fault.seconds)

    def _flood(self, size):
        """A body of `size` bytes without a declared length, read by the client up to the close."""
        self.close_connection = True
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Connection", "close")
        self.end_headers()
        chunk = b"\xa5" * FLOOD_CHUNK
        left = size
        try:
            while left > 0 and not self.server.state.stop_event.is_set():
                self.wfile.write(chunk[:min(left, FLOOD_CHUNK)])
                left -= FLOOD_CHUNK
        except OSError:
            pass  # the client stopped reading

    def _trickle(self, seconds):
        """One byte of a declared `seconds`-byte body each second."""
        self.close_connection = True
        count = int(seconds)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(count))
        self.end_headers()
        try:
            for _ in range(count):
                self.wfile.write(b"x")
                self.wfile.flush()
                if self.server.state.stop_event.wait(1.0):
                    break
        except OSError:
            pass

    # ---- controls for tests ----

    def _control(self, path, query, body):
        state = self.server.state
        if not _is_loopback(self.client_address[0]):
            self._send_json(403, {"error": "controls answer loopback clients only"})
            return
        key = (self.command, path)
        try:
            if key == ("POST", "/_control/config"):
                config = parse_config(self._json(body))
                count = state.apply_config(config)
                self._send_json(200, {"ok": True, "lines": len(config.lines), "listeners": count})
            elif key == ("POST", "/_control/faults"):
                queued = state.faults.extend(parse_fault_map(self._json(body)))
                self._send_json(200, {"ok": True, "queued": queued})
            elif key == ("POST", "/_control/down"):
                state.faults.set_standing(parse_standing_map(self._json(body)))
                self._send_json(200, {"ok": True})
            elif key == ("GET", "/_control/requests"):
                self._send_json(200, state.recorder.events())
            elif key == ("POST", "/_control/reset"):
                state.recorder.reset()
                self._send_json(200, {"ok": True})
            elif key == ("POST", "/_control/tls"):
                self._swap_certificate(self._json(body))
                self._send_json(200, {"ok": True})
            elif key == ("POST", "/_control/drop"):
                params = urllib.parse.parse_qs(query[1:])
                address = params.get("address", [None])[0]
                if not address:
                    raise ValueError("drop needs ?address=A")
                refuse = params.get("refuse", ["0"])[0]
                if not refuse.isdigit() or int(refuse) > 100:
                    raise ValueError("refuse needs a count from 0 to 100")
                self._send_json(200, {"ok": True, "dropped": state.lines.drop(address, int(refuse))})
            elif key == ("POST", "/_control/probe_delay"):
                params = urllib.parse.parse_qs(query[1:])
                address = params.get("address", [None])[0]
                ms = params.get("ms", [None])[0]
                if not address or ms is None or not ms.isdigit() or int(ms) > 10000:
                    raise ValueError("probe_delay needs ?address=A&ms=N, N from 0 to 10000")
                self._send_json(200, {"ok": True, "ms": state.lines.probe_delay(address, int(ms))})
            else:
                self._send_json(404, {"error": f"no control {self.command} {path}"})
        except (ConfigError, FaultError, ValueError) as exc:
            self._send_json(400, {"error": str(exc)})
        except LineBindError as exc:
            self._send_json(500, {"error": exc.strerror or str(exc)})

    def _swap_certificate(self, request):
        tls = self.server.state.tls_server
        if tls is None:
            raise ValueError("the service runs without --tls-port")
        if not isinstance(request, dict) or set(request) != {"cert", "key"}:
            raise ValueError('tls needs {"cert": PEM file, "key": PEM file}')
        try:
            tls.load_certificate(request["cert"], request["key"])
        except (OSError, ssl.SSLError) as exc:
            raise ValueError(f"cannot load the certificate: {exc}") from None

    @staticmethod
    def _json(body):
        try:
            return json.loads(body.decode("utf-8-sig"))
        except (UnicodeDecodeError, json.JSONDecodeError) as exc:
            raise ValueError(f"body is not JSON: {exc}") from None
