"""Start-up: the main window's place and look, one copy per session, and starting in the tray."""
import time

from conftest import MAIN_TITLE, WS_CAPTION, WS_MAXIMIZEBOX, WS_THICKFRAME, wait_until
from test_exit import ASK_EXIT, CANCEL


def test_main_window_is_centred_without_caption(sorvik, desktop):
    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    assert window["class"] == "Sorvik"
    assert (window["x"], window["y"], window["width"], window["height"]) == (283, 84, 800, 600)
    assert window["style"] & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX) == 0
    assert len(desktop.windows_titled(MAIN_TITLE)) == 1


def test_second_copy_ends_at_once_and_a_later_copy_starts(sorvik, desktop):
    first = sorvik.start()
    desktop.wait_window(MAIN_TITLE)

    started = time.monotonic()
    second = sorvik.start()
    assert second.wait(timeout=15) == 0
    # Wine itself takes a moment to start a process; the copy must not linger beyond that.
    assert time.monotonic() - started < 10
    assert len(desktop.windows_titled(MAIN_TITLE, visible_only=False)) == 1

    assert desktop.quit_program()
    assert first.wait(timeout=20) == 0

    third = sorvik.start()
    desktop.wait_window(MAIN_TITLE)
    assert third.poll() is None


def test_tray_switch_starts_hidden_and_measures_but_dials_nothing(sorvik, desktop, demo):
    sorvik.start("/TRAY")  # as the Run value has it, in another case
    count = len(demo.demo_config()["lines"])
    # The rows and their latencies: the list was fetched and every line probed, all without the window.
    assert wait_until(lambda: len(desktop.list_rows()) == count and all(r["text2"] for r in desktop.list_rows()),
                      60, interval=1), desktop.list_rows()
    assert len(demo.requests("/jsq/line/linelist.php")) == 1
    assert desktop.windows_titled(MAIN_TITLE, visible_only=False) and not desktop.windows_titled(MAIN_TITLE)
    assert demo.pptp_sessions() == [] and not (sorvik.root / "log.log").exists(), "nothing is dialled"

    # The start-up notice still rises (300 x 220, without a title) and comes to rest.
    def notice_place():
        return [(w["x"], w["y"]) for w in desktop.windows() if w["visible"] and (w["width"], w["height"]) == (300, 220)]

    def notice_resting():
        before = notice_place()
        time.sleep(1)
        return before and before == notice_place()

    assert wait_until(notice_resting, 30), "no start-up notice"

    # The exit question shows over the hidden window; cancelled, the window stays hidden.
    desktop.post_close(MAIN_TITLE)
    ask = desktop.wait_window(ASK_EXIT, timeout=15)
    desktop.click_client(ask, *CANCEL)
    assert wait_until(lambda: not desktop.windows_titled(ASK_EXIT), 10)
    time.sleep(1)
    assert not desktop.windows_titled(MAIN_TITLE)

    # A left press on the icon (right end of the Wine taskbar) opens the window.
    width, height = map(int, desktop.size.split("x"))
    desktop.click(width - 10, height - 10)
    window = desktop.wait_window(MAIN_TITLE, timeout=10)
    assert (window["x"], window["y"], window["width"], window["height"]) == (283, 84, 800, 600)
    assert demo.pptp_sessions() == []
    assert desktop.quit_program()
