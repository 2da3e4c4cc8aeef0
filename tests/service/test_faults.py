"""One-shot faults per path."""

import http.client
import socket
import time

import pytest

from svc_support import KEY_FILE, PROMPT_STOP, make_line, rc4

LINELIST = "/jsq/line/linelist.php"
HELLO = "/jsq/line/hello.php"


@pytest.fixture
def lines():
    return [make_line(1, name="华东电信一区")]


def deciphered(resp):
    return rc4(KEY_FILE.read_bytes(), resp.body).decode("utf-8")


class TestStatusFaults:
    def test_404_once_then_normal(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"status": 404}]}})
        first = svc.get(LINELIST)
        assert first.status == 404
        assert 0 < len(first.body) < 200
        second = svc.get(LINELIST)
        assert second.status == 200
        assert deciphered(second).startswith("华东电信一区;")

    def test_queue_is_consumed_in_order(self, start_service, lines):
        faults = {LINELIST: [{"status": 404}, {"status": 200, "body": "维护中"}]}
        svc = start_service({"lines": lines, "faults": faults})
        got = [svc.get(LINELIST) for _ in range(3)]
        assert [r.status for r in got] == [404, 200, 200]
        assert got[1].body == "维护中".encode("utf-8")
        assert deciphered(got[2]).startswith("华东电信一区;")

    def test_faults_stay_on_their_path(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"status": 500}]}})
        assert svc.get(HELLO + "?ip=x").status == 200
        assert svc.get(LINELIST + "?v=1").status == 500
        assert svc.get(LINELIST).status == 200

    def test_control_appends_to_the_queue(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {HELLO: [{"status": 404}]}})
        resp = svc.post_json("/_control/faults", {HELLO: [{"status": 503}],
                                                  LINELIST: [{"status": 403}]})
        assert resp.status == 200
        assert [svc.get(HELLO).status for _ in range(3)] == [404, 503, 200]
        assert [svc.get(LINELIST).status for _ in range(2)] == [403, 200]

    def test_faulted_requests_are_recorded(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {HELLO: [{"status": 404}]}})
        svc.get(HELLO + "?ip=a")
        svc.get(HELLO + "?ip=b")
        assert [e["query"] for e in svc.events("http")] == ["?ip=a", "?ip=b"]

    @pytest.mark.parametrize("bad", [
        {HELLO: {"status": 404}},
        {HELLO: [{"status": "404"}]},
        {HELLO: [{"hang": -1}]},
        {HELLO: [{"close": False}]},
        {HELLO: [{"status": 404, "hang": 1}]},
        {"no-slash": [{"status": 404}]},
    ])
    def test_bad_faults_are_refused(self, start_service, bad):
        svc = start_service({})
        assert svc.post_json("/_control/faults", bad).status == 400
        assert svc.get(HELLO).status == 200


class TestDown:
    def test_a_path_stays_down_until_brought_back(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"status": 404}]}})
        assert svc.post_json("/_control/down", {LINELIST: {"status": 503}}).status == 200
        assert [svc.get(LINELIST).status for _ in range(3)] == [404, 503, 503]
        assert svc.get(HELLO).status == 200
        assert svc.post_json("/_control/down", {}).status == 200
        assert deciphered(svc.get(LINELIST)).startswith("华东电信一区;")
        # A new config brings every path back too.
        svc.post_json("/_control/down", {LINELIST: {"close": True}})
        assert svc.post_json("/_control/config", {"lines": lines}).status == 200
        assert svc.get(LINELIST).status == 200
        assert svc.post_json("/_control/down", {LINELIST: [{"status": 503}]}).status == 400


class TestBrokenAnswers:
    def test_garbage(self, start_service, lines):
        svc = start_service({"lines": lines,
                             "faults": {LINELIST: [{"garbage": 64}, {"garbage": 64}]}})
        first, second = svc.get(LINELIST), svc.get(LINELIST)
        assert first.status == second.status == 200
        assert len(first.body) == len(second.body) == 64
        assert first.body != second.body
        assert deciphered(svc.get(LINELIST)).startswith("华东电信一区;")

    def test_close_without_answer(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"close": True}]}})
        with pytest.raises((http.client.RemoteDisconnected, ConnectionResetError)):
            svc.get(LINELIST)
        assert svc.get(LINELIST).status == 200
        assert len(svc.events("http")) == 2

    def test_hang_times_out_client_and_later_requests_work(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"hang": 0.8}]}})
        start = time.monotonic()
        with pytest.raises(socket.timeout):
            svc.get(LINELIST, timeout=0.3)
        assert time.monotonic() - start < 0.8
        assert svc.get(LINELIST).status == 200

    def test_hang_closes_after_its_time(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"hang": 0.4}]}})
        start = time.monotonic()
        with pytest.raises((http.client.RemoteDisconnected, ConnectionResetError)):
            svc.get(LINELIST, timeout=3)
        assert 0.35 < time.monotonic() - start < 2.5

    def test_service_stops_promptly_while_hanging(self, start_service, lines):
        svc = start_service({"lines": lines, "faults": {LINELIST: [{"hang": 30}]}})
        conn = svc.connection(timeout=5)
        conn.request("GET", LINELIST)
        svc.wait_events("http", 1)
        rc, took = svc.stop()
        assert rc == 0
        assert took < PROMPT_STOP
        with pytest.raises((http.client.RemoteDisconnected, ConnectionResetError)):
            conn.getresponse()
        conn.close()
