"""The program in a plain Wine prefix: no font replacements, as on a Windows system that lacks
the faces our theme names ("微软雅黑"). Drawn texts must still show."""
import pytest
from PIL import Image

from conftest import MAIN_TITLE, SHOTS, bench, wait_until

ASK_EXIT = "是否退出Sorvik加速器？"
CANCEL = (220 + 41, 70 + 18)


@pytest.fixture
def plain(monkeypatch):
    # Every bench call of this test, the fixtures' included, goes to the plain prefix.
    monkeypatch.setenv("SORVIK_PLAIN_PREFIX", "1")
    bench("prefix", timeout=600)
    yield
    bench("kill", check=False)


def text_pixels(shot, box):
    """Pixels of the question's white text colour in an area of a screenshot."""
    area = Image.open(shot).convert("RGB").crop(box)
    return sum(1 for r, g, b in area.getdata() if min(r, g, b) >= 230)


def test_the_exit_question_shows_its_text_without_the_named_face(plain, sorvik, desktop, demo):
    sorvik.start()
    desktop.wait_window(MAIN_TITLE)
    desktop.post_close(MAIN_TITLE)
    ask = desktop.wait_window(ASK_EXIT, timeout=15)
    shot = SHOTS / "plain-prefix-exit-question.png"
    desktop.screenshot(shot)
    # The question's text fills the upper half of the 400 x 120 window.
    x, y = ask["x"], ask["y"]
    assert text_pixels(shot, (x, y, x + 400, y + 60)) > 100
    desktop.click_client(ask, *CANCEL)
    assert wait_until(lambda: not desktop.windows_titled(ASK_EXIT), 10)
