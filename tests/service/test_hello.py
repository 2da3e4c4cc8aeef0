"""hello.php answers the caller's address and keeps the raw query."""

import pytest

from svc_support import line_address

HELLO = "/jsq/line/hello.php"


class TestHello:
    @pytest.mark.parametrize("query", [
        "?ip=127.0.0.11",
        "?ip=127.0.0.11&myip=127.0.0.1",
        "?ip=127.0.0.12&remove=1",
        "?ip=127.0.0.13&note=%E5%8D%8E+a%20b",
    ])
    def test_query_recorded_as_received(self, start_service, query):
        svc = start_service({})
        resp = svc.get(HELLO + query)
        assert resp.status == 200
        assert resp.body == b"127.0.0.1"
        events = svc.events("http")
        assert len(events) == 1
        ev = events[0]
        assert ev["method"] == "GET"
        assert ev["path"] == HELLO + query
        assert ev["query"] == query
        assert ev["client"] == "127.0.0.1"

    def test_answers_the_callers_own_address(self, start_service):
        svc = start_service({})
        source = line_address(77)
        resp = svc.get(HELLO + "?ip=1.2.3.4", source=source)
        assert resp.body.decode("ascii") == source
        assert svc.events("http")[0]["client"] == source

    def test_no_query_is_recorded_empty(self, start_service):
        svc = start_service({})
        svc.get(HELLO)
        assert svc.events("http")[0]["query"] == ""


class TestRecording:
    def test_file_and_control_list_agree(self, start_service):
        svc = start_service({})
        for q in ("?ip=127.0.0.11", "?ip=127.0.0.12&myip=127.0.0.1"):
            svc.get(HELLO + q)
        svc.get("/missing.htm")
        listed = svc.events()
        assert [e["path"] for e in listed] == [HELLO + "?ip=127.0.0.11",
                                               HELLO + "?ip=127.0.0.12&myip=127.0.0.1",
                                               "/missing.htm"]
        assert svc.file_events() == listed
        for ev in listed:
            assert isinstance(ev["t"], float)

    def test_reset_clears_both(self, start_service):
        svc = start_service({})
        svc.get(HELLO + "?ip=a")
        assert svc.post_json("/_control/reset", {}).status == 200
        assert svc.events() == []
        assert svc.file_events() == []
        svc.get(HELLO + "?ip=b")
        assert [e["query"] for e in svc.file_events()] == ["?ip=b"]
        assert [e["query"] for e in svc.events()] == ["?ip=b"]
