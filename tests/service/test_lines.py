"""Probe listeners, the PPTP login stand-in and line changes at run time."""

import socket
import time

import pytest

from svc_support import (KEY_FILE, PROBE_PORT, line_address, make_line, pptp_login, read_line,
                         rc4, tcp_connect, wait_closed)


def pptp_events(svc, count):
    return [(e["address"], e["user"], e["result"]) for e in svc.wait_events("pptp", count)]


class TestProbe:
    def test_answering_line_accepts_and_silent_one_refuses(self, start_service):
        lines = [make_line(1), make_line(2, answers=False)]
        svc = start_service({"lines": lines})
        sock = tcp_connect(line_address(1), PROBE_PORT)
        assert wait_closed(sock)
        sock.close()
        with pytest.raises(ConnectionRefusedError):
            tcp_connect(line_address(2), PROBE_PORT)
        # The silent line still takes logins.
        sock, answer = pptp_login(line_address(2), "user2", "pass2")
        assert answer == b"OK\n"
        sock.close()
        assert svc.events("http") == []

    def test_many_probes_in_a_row(self, start_service):
        start_service({"lines": [make_line(1, probe_port=PROBE_PORT + 1)]})
        for _ in range(20):
            sock = tcp_connect(line_address(1), PROBE_PORT + 1)
            assert wait_closed(sock)
            sock.close()

    def test_a_late_probe_port_connects_at_the_syn_retransmission_until_cleared(self, start_service):
        svc = start_service({"lines": [make_line(1), make_line(2, answers=False)]})

        def connect_seconds():
            start = time.monotonic()
            sock = tcp_connect(line_address(1), PROBE_PORT, timeout=5.0)
            took = time.monotonic() - start
            assert wait_closed(sock)
            sock.close()
            return took

        assert connect_seconds() < 0.5
        delay = f"/_control/probe_delay?address={line_address(1)}"
        assert svc.post_json(delay + "&ms=500", {}).json() == {"ok": True, "ms": 500}
        # Twice: the gate shuts again after each connect it let through.
        for _ in range(2):
            assert 0.9 < connect_seconds() < 1.8
        assert svc.post_json(delay + "&ms=0", {}).json() == {"ok": True, "ms": 0}
        assert connect_seconds() < 0.5
        assert svc.post_json(f"/_control/probe_delay?address={line_address(2)}&ms=500", {}).status == 400
        assert svc.post_json(delay, {}).status == 400

    def test_pptp_off_refuses(self, start_service):
        start_service({"lines": [make_line(1, pptp=False)]})
        with pytest.raises(ConnectionRefusedError):
            tcp_connect(line_address(1), 1723)


class TestPptp:
    def test_login_ok_then_client_closes(self, start_service):
        svc = start_service({"lines": [make_line(1, user="玩家一号", password="密码")]})
        sock, answer = pptp_login(line_address(1), "玩家一号", "密码")
        assert answer == b"OK\n"
        assert not wait_closed(sock, 0.3)  # stays open while logged in
        assert pptp_events(svc, 1) == [(line_address(1), "玩家一号", "ok")]
        sock.close()
        assert pptp_events(svc, 2) == [(line_address(1), "玩家一号", "ok"),
                                       (line_address(1), "玩家一号", "closed")]

    @pytest.mark.parametrize("user,password,reject", [
        ("user1", "wrong", False),
        ("someone", "pass1", False),
        ("user1", "pass1", True),
    ])
    def test_login_refused_with_691(self, start_service, user, password, reject):
        svc = start_service({"lines": [make_line(1, reject_login=reject)]})
        sock, answer = pptp_login(line_address(1), user, password)
        assert answer == b"ERR 691\n"
        assert wait_closed(sock)
        sock.close()
        assert pptp_events(svc, 1) == [(line_address(1), user, "691")]

    def test_credentials_belong_to_their_line(self, start_service):
        start_service({"lines": [make_line(1), make_line(2)]})
        sock, answer = pptp_login(line_address(2), "user1", "pass1")
        assert answer == b"ERR 691\n"
        sock.close()

    def test_malformed_login_is_refused(self, start_service):
        start_service({"lines": [make_line(1)]})
        sock = tcp_connect(line_address(1), 1723)
        sock.sendall(b"HELLO user1 pass1\n")
        assert sock.recv(64) == b"ERR 691\n"
        sock.close()

    def test_drop_closes_sessions_on_one_address(self, start_service):
        svc = start_service({"lines": [make_line(1), make_line(2)]})
        a1, _ = pptp_login(line_address(1), "user1", "pass1")
        a2, _ = pptp_login(line_address(1), "user1", "pass1")
        b1, answer = pptp_login(line_address(2), "user2", "pass2")
        assert answer == b"OK\n"
        resp = svc.post_json(f"/_control/drop?address={line_address(1)}", {})
        assert resp.status == 200
        assert resp.json()["dropped"] == 2
        assert wait_closed(a1) and wait_closed(a2)
        assert not wait_closed(b1, 0.3)
        results = [e[2] for e in pptp_events(svc, 5)]
        assert results == ["ok", "ok", "ok", "dropped", "dropped"]
        assert [e["address"] for e in svc.events("pptp")[3:]] == [line_address(1)] * 2
        for s in (a1, a2, b1):
            s.close()

    def test_drop_can_refuse_the_next_logins_of_its_line_only(self, start_service):
        svc = start_service({"lines": [make_line(1), make_line(2)]})
        sock, _ = pptp_login(line_address(1), "user1", "pass1")
        assert svc.post_json(f"/_control/drop?address={line_address(1)}&refuse=2", {}).json()["dropped"] == 1
        answers = [pptp_login(line_address(1), "user1", "pass1") for _ in range(3)]
        assert [answer for _, answer in answers] == [b"ERR 691\n", b"ERR 691\n", b"OK\n"]
        other, answer = pptp_login(line_address(2), "user2", "pass2")
        assert answer == b"OK\n"
        assert [e[2] for e in pptp_events(svc, 6)] == ["ok", "dropped", "691", "691", "ok", "ok"]
        for s in [sock, other] + [s for s, _ in answers]:
            s.close()
        for bad in ("-1", "x", "101"):
            assert svc.post_json(f"/_control/drop?address={line_address(1)}&refuse={bad}", {}).status == 400

    def test_drop_without_address_is_refused(self, start_service):
        svc = start_service({})
        assert svc.post_json("/_control/drop", {}).status == 400

    def test_silent_client_is_closed(self, start_service):
        svc = start_service({"lines": [make_line(1)], "pptp_login_timeout": 0.4})
        sock = tcp_connect(line_address(1), 1723)
        start = time.monotonic()
        assert wait_closed(sock, 3)
        assert 0.3 < time.monotonic() - start < 2
        sock.close()
        assert pptp_events(svc, 1) == [(line_address(1), None, "closed")]

    def test_delayed_login_answers_late_and_outlives_the_login_timeout(self, start_service):
        svc = start_service({"lines": [make_line(1, login_delay=0.8), make_line(2)],
                             "pptp_login_timeout": 0.4})
        start = time.monotonic()
        late = tcp_connect(line_address(1), 1723, 5)
        late.sendall(b"LOGIN\tuser1\tpass1\n")
        # Another line answers at once while the first one waits.
        quick, answer = pptp_login(line_address(2), "user2", "pass2")
        assert answer == b"OK\n" and time.monotonic() - start < 0.5
        assert read_line(late) == b"OK\n"
        assert 0.7 < time.monotonic() - start < 3
        assert not wait_closed(late, 0.3)
        for sock in (late, quick):
            sock.close()
        assert sorted(e[1:] for e in pptp_events(svc, 4)) == [
            ("user1", "closed"), ("user1", "ok"), ("user2", "closed"), ("user2", "ok")]

    def test_wrong_password_is_refused_without_the_delay(self, start_service):
        start_service({"lines": [make_line(1, login_delay=5)]})
        start = time.monotonic()
        sock, answer = pptp_login(line_address(1), "user1", "wrong")
        assert answer == b"ERR 691\n" and time.monotonic() - start < 2
        sock.close()


class TestChangeConfig:
    def test_new_lines_replace_old(self, start_service):
        svc = start_service({"lines": [make_line(1), make_line(2)]})
        new = [make_line(3, name="新线路", load="拥挤"), make_line(2, answers=False)]
        resp = svc.post_json("/_control/config", {"lines": new})
        assert resp.status == 200, resp.body
        for n in (1, 2):
            with pytest.raises(ConnectionRefusedError):
                tcp_connect(line_address(n), PROBE_PORT)
        with pytest.raises(ConnectionRefusedError):
            tcp_connect(line_address(1), 1723)
        sock = tcp_connect(line_address(3), PROBE_PORT)
        assert wait_closed(sock)
        sock.close()
        text = rc4(KEY_FILE.read_bytes(), svc.get("/jsq/line/linelist.php").body).decode()
        assert [r.split(";")[0] for r in text.split("\r\n")[:-1]] == ["新线路", "测试线路2"]

    def test_session_survives_a_config_change(self, start_service):
        svc = start_service({"lines": [make_line(1)]})
        sock, _ = pptp_login(line_address(1), "user1", "pass1")
        assert svc.post_json("/_control/config", {"lines": [make_line(1)]}).status == 200
        assert not wait_closed(sock, 0.3)
        assert svc.post_json(f"/_control/drop?address={line_address(1)}", {}).json() == \
            {"ok": True, "dropped": 1}
        assert wait_closed(sock)
        sock.close()

    def test_config_replaces_faults_and_notice(self, start_service):
        svc = start_service({"faults": {"/jsq/beta.htm": [{"status": 404}]}})
        svc.post_json("/_control/config", {"notice": {"version": "9.9"}})
        resp = svc.get("/jsq/beta.htm")
        assert resp.status == 200
        assert b"version=9.9\r\n" in resp.body

    @pytest.mark.parametrize("bad", [
        {"lines": [make_line(5, address="10.0.0.1")]},
        {"lines": [make_line(5), make_line(5)]},
        {"lines": [make_line(5, probe_port="80")]},
        {"lines": [make_line(5, login_delay=-1)]},
        {"lines": [make_line(5, login_delay=60)]},
        {"linelist_body": "weird"},
        {"unknown": 1},
        [],
    ])
    def test_bad_config_is_refused_and_old_one_kept(self, start_service, bad):
        svc = start_service({"lines": [make_line(1)]})
        resp = svc.post_json("/_control/config", bad)
        assert resp.status == 400
        assert "error" in resp.json()
        sock = tcp_connect(line_address(1), PROBE_PORT)
        sock.close()
