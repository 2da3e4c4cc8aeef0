"""Start-up output, stopping on signals and start-up failures."""

import signal
import socket

import pytest

from svc_support import (PROMPT_STOP, line_address, launch, make_line, pptp_login,
                         wait_closed)


class TestStop:
    @pytest.mark.parametrize("sig", [signal.SIGTERM, signal.SIGINT])
    def test_stops_with_open_connections(self, start_service, sig):
        svc = start_service({"lines": [make_line(1)]})
        http_conn = socket.create_connection(("127.0.0.1", svc.port), timeout=3)
        http_conn.sendall(b"GET /jsq/line/hello.php HTTP/1.1\r\nHost: x\r\n\r\n")
        assert http_conn.recv(4096).startswith(b"HTTP/1.1 200")  # kept alive
        half_request = socket.create_connection(("127.0.0.1", svc.port), timeout=3)
        half_request.sendall(b"GET /jsq/beta.htm HTTP/1.1\r\n")
        session, answer = pptp_login(line_address(1), "user1", "pass1")
        assert answer == b"OK\n"

        rc, took = svc.stop(sig)
        assert rc == 0
        assert took < PROMPT_STOP
        for sock in (http_conn, half_request, session):
            assert wait_closed(sock, 0.5)
            sock.close()
        with pytest.raises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", svc.port), timeout=1)
        with pytest.raises(ConnectionRefusedError):
            socket.create_connection((line_address(1), 1723), timeout=1)

    def test_prints_ready_once_and_nothing_else(self, start_service):
        svc = start_service({"lines": [make_line(1)]})
        svc.get("/jsq/line/hello.php?ip=x")
        svc.stop()
        assert svc.stdout_after_ready == b""

    def test_fixed_port_is_used(self, start_service):
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        svc = start_service({}, "--port", str(port))
        assert svc.port == port
        assert svc.get("/notice.htm").status == 200


class TestStartFailures:
    def _fails(self, tmp_path, config, *args):
        proc, line, stderr_path = launch(tmp_path, config, args)
        rc = proc.wait(5)
        proc.stdout.close()
        return rc, line, stderr_path.read_text()

    def test_bad_json(self, tmp_path):
        rc, line, err = self._fails(tmp_path, "{not json")
        assert rc == 2 and line is None
        assert "not valid JSON" in err

    def test_bad_line(self, tmp_path):
        rc, line, err = self._fails(tmp_path, {"lines": [make_line(1, address="192.0.2.1")]})
        assert rc == 2 and line is None
        assert "loopback" in err

    def test_missing_key(self, tmp_path):
        rc, line, err = self._fails(tmp_path, {}, "--key", str(tmp_path / "absent.key"))
        assert rc == 2 and line is None
        assert "key" in err

    def test_port_in_use(self, tmp_path):
        busy = socket.socket()
        busy.bind(("127.0.0.1", 0))
        busy.listen(1)
        try:
            rc, line, err = self._fails(tmp_path, {}, "--port", str(busy.getsockname()[1]))
        finally:
            busy.close()
        assert rc == 1 and line is None
        assert "cannot listen" in err

    def test_line_address_in_use(self, tmp_path):
        busy = socket.socket()
        busy.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        busy.bind((line_address(60), 1723))
        busy.listen(1)
        try:
            rc, line, err = self._fails(tmp_path, {"lines": [make_line(60)]})
        finally:
            busy.close()
        assert rc == 1 and line is None
        assert f"{line_address(60)}:1723" in err
