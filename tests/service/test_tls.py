"""The TLS port and the faults that test a client's limits: flood, trickle, redirect."""

import http.client
import socket
import ssl
import subprocess
import time

import pytest

from svc_support import REPO_ROOT, make_line

BETA = "/jsq/beta.htm"


@pytest.fixture(scope="module")
def certs(tmp_path_factory):
    directory = tmp_path_factory.mktemp("certs")
    subprocess.run(["bash", str(REPO_ROOT / "tools" / "demo_service" / "make_test_certs.sh"), str(directory)],
                   check=True)
    return directory


@pytest.fixture
def tls_service(start_service, certs):
    svc = start_service({"lines": [make_line(1)]}, "--tls-port", "0", "--tls-cert", str(certs / "server.pem"),
                        "--tls-key", str(certs / "server.key"))
    svc.tls_port = int(svc.ready_ports[1])
    return svc


def tls_get(port, path, ca, host="127.0.0.1"):
    context = ssl.create_default_context(cafile=str(ca))
    conn = http.client.HTTPSConnection(host, port, context=context, timeout=5)
    try:
        conn.request("GET", path)
        resp = conn.getresponse()
        return resp.status, resp.read()
    finally:
        conn.close()


def test_tls_serves_the_same_service_and_records_it(tls_service, certs):
    status, body = tls_get(tls_service.tls_port, BETA, certs / "ca.pem")
    assert status == 200 and body.startswith("[update]".encode())
    assert [(e["path"], e["tls"]) for e in tls_service.events("http")] == [(BETA, True)]
    assert tls_service.get(BETA).status == 200
    assert tls_service.events("http")[-1]["tls"] is False


def test_each_test_certificate_fails_its_own_check(tls_service, certs):
    for name, fault in [("untrusted", "unable to get local issuer"), ("expired", "expired"),
                        ("wronghost", "mismatch")]:
        assert tls_service.post_json("/_control/tls", {"cert": str(certs / f"{name}.pem"),
                                                       "key": str(certs / "server.key")}).status == 200
        with pytest.raises(ssl.SSLCertVerificationError, match=fault):
            tls_get(tls_service.tls_port, BETA, certs / "ca.pem")
    assert tls_service.events("http") == [], "no request is read over a refused handshake"
    bad = tls_service.post_json("/_control/tls", {"cert": "/nonexistent.pem", "key": str(certs / "server.key")})
    assert bad.status == 400


def test_flood_sends_its_size_without_a_length_and_closes(start_service):
    svc = start_service({"lines": [make_line(1)], "faults": {BETA: [{"flood": 300000}]}})
    resp = svc.get(BETA)
    assert resp.status == 200
    assert "Content-Length" not in resp.headers and resp.headers.get("Connection") == "close"
    assert len(resp.body) == 300000


def test_trickle_sends_one_byte_a_second(start_service):
    svc = start_service({"lines": [make_line(1)], "faults": {BETA: [{"trickle": 3}]}})
    start = time.monotonic()
    resp = svc.get(BETA, timeout=10)
    assert resp.body == b"xxx"
    assert 2.0 <= time.monotonic() - start < 5.0


def test_redirect_answers_302_with_its_location(start_service):
    svc = start_service({"lines": [make_line(1)], "faults": {BETA: [{"redirect": "http://127.0.0.1:1/x"}]}})
    resp = svc.get(BETA)
    assert resp.status == 302 and resp.headers["Location"] == "http://127.0.0.1:1/x"


@pytest.mark.parametrize("fault", [{"flood": -1}, {"flood": 1 << 31}, {"trickle": 601}, {"redirect": ""},
                                   {"redirect": "a\r\nSet-Cookie: x"}])
def test_bad_new_faults_are_refused(start_service, fault):
    svc = start_service({"lines": [make_line(1)]})
    assert svc.post_json("/_control/faults", {BETA: [fault]}).status == 400


def test_tls_port_needs_its_certificate(tmp_path):
    from svc_support import launch
    proc, line, _ = launch(tmp_path, {"lines": [make_line(1)]}, ["--tls-port", "0"])
    assert proc.wait(5) == 2 and line is None
    proc.stdout.close()


def test_a_client_that_never_finishes_the_handshake_holds_no_one_up(tls_service, certs):
    stuck = socket.create_connection(("127.0.0.1", tls_service.tls_port))
    try:
        status, _ = tls_get(tls_service.tls_port, BETA, certs / "ca.pem")
        assert status == 200
    finally:
        stuck.close()
