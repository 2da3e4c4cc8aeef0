"""Start-up: the main window's place and look, and one copy per session."""
import time

from conftest import MAIN_TITLE, WS_CAPTION, WS_MAXIMIZEBOX, WS_THICKFRAME, wait_until


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
