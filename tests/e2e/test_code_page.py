"""The program on an English Windows (code page 1252) installed under a Chinese user name: what it
draws is what it draws on a Chinese one, it finds its theme, and one-click still connects."""
import pytest
from PIL import Image, ImageChops

from conftest import MAIN_TITLE, SHOTS, Sorvik, bench, wait_until
from test_accelerate import DISCONNECT, ONE_CLICK, hellos, one_click_ready, start_measured


# Areas of the main window's client: the version text on the start panel, the status text below
# the line list (list view at 150, 120, 500 x 300; the status follows the 280-wide selection).
VERSION_TEXT = (12, 572, 12 + 110, 572 + 24)
STATUS_TEXT = (150 + 280 + 4, 430, 150 + 280 + 4 + 200, 430 + 24)


@pytest.fixture(params=["bench", "plain"])
def prefix(request, monkeypatch):
    """The bench's prefix, and a plain one without its font replacements."""
    if request.param == "plain":
        monkeypatch.setenv("SORVIK_PLAIN_PREFIX", "1")
        bench("prefix", timeout=600)
    yield request.param
    if request.param == "plain":
        bench("kill", check=False)


@pytest.fixture
def program_folder():
    # As C:\Users\张伟\AppData\Local\Programs\Sorvik on an English Windows.
    return "张伟/Programs/Sorvik"


def crop(shot, window, area):
    x, y = window["x"], window["y"]
    return Image.open(shot).convert("RGB").crop((x + area[0], y + area[1], x + area[2], y + area[3]))


def connect_and_stop(app, desktop, demo, name):
    """Start, one-click, stop: screenshots of the start panel and of the line list afterwards."""
    window = start_measured(app, desktop, demo)
    start_shot = SHOTS / f"code-page-{name}-start.png"
    desktop.screenshot(start_shot)
    desktop.click_client(window, *ONE_CLICK)
    assert wait_until(lambda: any("&" not in q for q in hellos(demo)), 20), hellos(demo)
    address = [q for q in hellos(demo) if "&" not in q][-1].removeprefix("?ip=")
    desktop.click_client(window, *DISCONNECT)
    assert wait_until(lambda: f"?ip={address}&remove=1" in hellos(demo), 20), hellos(demo)
    assert wait_until(lambda: desktop.list_rows() and desktop.list_rows()[0]["visible"], 10)
    list_shot = SHOTS / f"code-page-{name}-list.png"
    desktop.screenshot(list_shot)
    return window, start_shot, list_shot, address


def test_english_windows_and_a_chinese_folder_draw_and_dial_as_chinese_windows(
        prefix, sorvik, desktop, demo, tmp_path, monkeypatch):
    demo.configure(one_click_ready(demo.demo_config()))
    # The reference: a Chinese system, a plain folder.
    reference = Sorvik(tmp_path / "reference")
    try:
        zh = connect_and_stop(reference, desktop, demo, f"{prefix}-zh_CN")
        assert desktop.quit_program()
    finally:
        reference.stop_all()
    demo.reset()

    monkeypatch.setenv("SORVIK_LANG", "en_US.UTF-8")
    assert "张伟" in str(sorvik.root)
    en = connect_and_stop(sorvik, desktop, demo, f"{prefix}-en_US")

    for area, shot in ((VERSION_TEXT, 1), (STATUS_TEXT, 2)):
        ours, theirs = crop(en[shot], en[0], area), crop(zh[shot], zh[0], area)
        # Text, not an empty (or black) area: the theme was found and something was drawn.
        assert len(set(ours.getdata())) > 8, f"nothing drawn in {area}"
        assert ImageChops.difference(ours, theirs).getbbox() is None, f"{area} differs from the zh_CN run"

    # The entry is written and dialled under its Chinese name; the log stays GBK.
    phonebook = (sorvik.root / "vpn.dat").read_text(encoding="utf-8")
    assert "[Sorvik加速器]" in phonebook and f"PhoneNumber={en[3]}" in phonebook
    assert "DeviceName=WAN 微型端口 (PPTP)" in phonebook
    assert "连接成功" in (sorvik.root / "log.log").read_bytes().decode("gbk").split("\r\n")
    assert desktop.quit_program()
