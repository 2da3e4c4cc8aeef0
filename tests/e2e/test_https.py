"""The service over https, and answers the program must not take: untrusted, for another host,
expired, redirected to http, too large or too slow."""
import time

import pytest

from conftest import BIN, CERTS, MAIN_TITLE, SHOTS, TLS_PORT, bench, wait_until
from test_accelerate import DISCONNECT, ONE_CLICK, hellos, one_click_ready, start_measured

HTTPS = f"https://127.0.0.1:{TLS_PORT}"


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


@pytest.fixture(scope="module")
def trusted_ca(wine_prefix, service):
    """The prefix trusts the test CA the way a player's Windows trusts a public one: in the
    machine's Root store."""
    out = bench("run", BIN / "trust_ca.exe", windows_path(CERTS / "ca.pem"))
    assert "added" in out.stdout, out.stderr


@pytest.fixture
def over_https(monkeypatch, trusted_ca, demo):
    monkeypatch.setenv("SORVIK_TEST_SERVICE_URL", HTTPS)
    demo.use_certificate("server")
    yield demo
    demo.use_certificate("server")


def test_line_list_notice_and_hello_come_over_https(sorvik, desktop, over_https):
    over_https.configure(one_click_ready(over_https.demo_config()))
    window = start_measured(sorvik, desktop, over_https)
    assert wait_until(lambda: (sorvik.root / "update.dat").exists(), 30), "the notice file came over https"
    assert b"[update]" in (sorvik.root / "update.dat").read_bytes()

    desktop.click_client(window, *ONE_CLICK)
    assert wait_until(lambda: any(q.startswith("?ip=") for q in hellos(over_https)), 20), hellos(over_https)
    desktop.click_client(window, *DISCONNECT)
    assert wait_until(lambda: any(q.endswith("&remove=1") for q in hellos(over_https)), 20), hellos(over_https)
    requests = over_https.requests("/jsq/")
    assert sorted({r["path"].split("?")[0] for r in requests}) == [
        "/jsq/beta.htm", "/jsq/line/hello.php", "/jsq/line/linelist.php"]
    assert all(r["tls"] for r in requests), requests


@pytest.mark.parametrize("certificate", ["untrusted", "wronghost", "expired"])
def test_an_answer_that_cannot_be_trusted_is_a_failed_fetch(sorvik, desktop, over_https, certificate):
    over_https.use_certificate(certificate)
    sorvik.start()
    desktop.wait_window(MAIN_TITLE)
    # The line list's and the notice's requests end in the handshake: the service reads none.
    time.sleep(8)
    assert desktop.list_rows() == []
    assert not (sorvik.root / "update.dat").exists()
    assert over_https.requests("/jsq/") == []
    assert desktop.windows_titled(MAIN_TITLE), "the program is still up"
    desktop.screenshot(SHOTS / f"https-{certificate}.png")


def test_a_redirect_to_http_is_not_followed(sorvik, desktop, over_https):
    plain = "http://127.0.0.1:18631"
    # Down, not once: the list's retries meet the same redirect.
    over_https.down({"/jsq/line/linelist.php": {"redirect": f"{plain}/jsq/line/linelist.php"}})
    over_https.queue_faults({"/jsq/beta.htm": [{"redirect": f"{plain}/jsq/beta.htm"}] * 3})
    sorvik.start()
    desktop.wait_window(MAIN_TITLE)
    assert wait_until(lambda: len(over_https.requests("/jsq/")) >= 4, 20), over_https.requests("/jsq/")
    time.sleep(3)
    assert desktop.list_rows() == []
    assert not (sorvik.root / "update.dat").exists()
    # None followed the redirect to plain http.
    assert {r["tls"] for r in over_https.requests("/jsq/line/linelist.php")} == {True}
    assert [r["tls"] for r in over_https.requests("/jsq/beta.htm")] == [True] * 3


def test_a_flood_and_a_trickle_leave_the_program_up_and_take_nothing(sorvik, desktop, demo):
    demo.down({"/jsq/line/linelist.php": {"trickle": 45}})
    demo.queue_faults({"/jsq/beta.htm": [{"flood": 200 << 20}] * 3})
    sorvik.start()
    desktop.wait_window(MAIN_TITLE)
    started = time.monotonic()
    # The notice's three 200 MB answers are refused at their limit while the list trickles in.
    assert wait_until(lambda: len(demo.requests("/jsq/beta.htm")) == 3, 30), demo.requests("/jsq/")
    while time.monotonic() - started < 40:
        assert desktop.windows_titled(MAIN_TITLE), "the program stays up and its window answers"
        time.sleep(5)
    assert desktop.list_rows() == []
    assert not (sorvik.root / "update.dat").exists()
    desktop.screenshot(SHOTS / "fetch-failed-trickle.png")
