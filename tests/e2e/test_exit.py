"""Leaving the program: the question, the hang-up and its report, the exit notice."""
import time

import pytest

from conftest import MAIN_TITLE, Desktop, wait_until
from test_accelerate import DISCONNECT, ONE_CLICK, hellos, one_click_ready, start_measured

ASK_EXIT = "是否退出Sorvik加速器？"
ASK_DISCONNECT = "是否断开加速连接并退出Sorvik加速器？"
CONFIRM = (114 + 41, 70 + 18)   # btnExit.png 72 x 26 with a 10-pixel margin
CANCEL = (220 + 41, 70 + 18)    # btnCancel.png, 106 pixels to its right
CLOSE_BUTTON = (800 - 24 - 10 + 12, 22 + 12)


def question(desktop, title):
    return desktop.wait_window(title, timeout=15)


def exit_notice(desktop):
    """The pop-up with the exit page: the only visible window without a title of 600 x 400."""
    found = [w for w in desktop.windows() if w["visible"] and (w["width"], w["height"]) == (600, 400)]
    return found[0] if found else None


@pytest.fixture
def small_desktop():
    return Desktop("1024x768")


def test_cancel_keeps_running_and_the_next_close_asks_again(sorvik, small_desktop, demo):
    desktop = small_desktop
    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    desktop.click_client(window, *CLOSE_BUTTON)
    ask = question(desktop, ASK_EXIT)
    assert (ask["x"], ask["y"]) == (312, 324)
    desktop.click_client(ask, *CANCEL)
    assert wait_until(lambda: not desktop.windows_titled(ASK_EXIT), 10)
    assert desktop.windows_titled(MAIN_TITLE)
    assert sorvik.processes[0].poll() is None

    desktop.click_client(window, *CLOSE_BUTTON)
    ask = question(desktop, ASK_EXIT)
    desktop.click_client(ask, *CONFIRM)
    notice = wait_until(lambda: exit_notice(desktop), 15)
    assert notice and (notice["x"], notice["y"]) == (212, 184)
    assert not desktop.windows_titled(MAIN_TITLE), "the main window is hidden during the exit notice"

    # The single-instance event lives until the very end.
    second = sorvik.start()
    assert second.wait(timeout=15) == 0
    assert desktop.post_close(MAIN_TITLE)
    assert wait_until(lambda: sorvik.processes[0].poll() is not None, 20)


def test_confirming_while_connected_hangs_up_and_reports_before_the_exit_notice(sorvik, desktop, demo):
    demo.configure(one_click_ready(demo.demo_config()))
    window = start_measured(sorvik, desktop, demo)
    desktop.click_client(window, *ONE_CLICK)
    assert wait_until(lambda: any(q.startswith("?ip=") and "&" not in q for q in hellos(demo)), 20)
    address = next(q for q in hellos(demo) if "&" not in q)[len("?ip="):]

    desktop.post_close(MAIN_TITLE)
    ask = question(desktop, ASK_DISCONNECT)
    desktop.click_client(ask, *CONFIRM)
    assert wait_until(lambda: exit_notice(desktop), 15)
    assert wait_until(lambda: f"?ip={address}&remove=1" in hellos(demo), 10), hellos(demo)
    assert hellos(demo).count(f"?ip={address}&remove=1") == 1
    assert desktop.post_close(MAIN_TITLE)
    assert wait_until(lambda: sorvik.processes[0].poll() is not None, 20)
    assert sorvik.processes[0].returncode == 0


def test_confirming_on_the_new_version_panel_ends_at_once(sorvik, desktop, demo):
    config = demo.demo_config()
    config["notice"]["version"] = "1.4"
    demo.configure(config)
    sorvik.start()
    desktop.wait_window(MAIN_TITLE)
    assert wait_until(lambda: demo.requests("/jsq/beta.htm"), 20)
    time.sleep(1)
    desktop.post_close(MAIN_TITLE)
    ask = question(desktop, ASK_EXIT)
    desktop.click_client(ask, *CONFIRM)
    assert wait_until(lambda: sorvik.processes[0].poll() is not None, 20), "no exit notice on this panel"
    assert exit_notice(desktop) is None
