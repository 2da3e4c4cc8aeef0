"""Per-monitor DPI: at 96, 144 and 192 DPI the window is 800 x 600 scaled, and every drawn element
sits where the theme puts it at 96 DPI, scaled."""
import pytest

from conftest import MAIN_TITLE, SHOTS, Desktop, bench, wait_until

DPI_KEY = r"HKCU\Control Panel\Desktop"
# The Wine bench's screen is 1600 x 1200: the window at 200 % just fits.
SCREEN = "1600x1200"
# The start panel's pictures (text is hinted anew at each size, so its width does not scale exactly).
START_PICTURES = ["logoImage", "cornerImage", "closeButton", "minimizeButton", "oneClickButton", "customButton",
                  "websiteButton", "forumButton"]


def scaled(value, dpi):
    """What the program does to a 96-DPI coordinate: rounded half away from zero."""
    return (2 * value * dpi + 96) // 192 if value >= 0 else -((-2 * value * dpi + 96) // 192)


@pytest.fixture
def set_dpi():
    """Sets the prefix's DPI (Wine 8 reads HKCU\\Control Panel\\Desktop LogPixels at start);
    the value is removed afterwards, so later tests run at Wine's default 96."""
    def apply(dpi):
        bench("kill", check=False)
        bench("run", "reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    yield apply
    bench("kill", check=False)
    bench("run", "reg", "delete", DPI_KEY, "/v", "LogPixels", "/f", check=False)


def read_layout(sorvik):
    rects = {}
    for line in (sorvik.root / "layout.txt").read_text().splitlines():
        name, *numbers = line.split()
        rects[name] = tuple(map(int, numbers))
    return rects


def window_picture(path, window, rect):
    from PIL import Image
    with Image.open(path) as shot:
        x, y = window["x"], window["y"]
        return shot.convert("RGB").crop((x + rect[0], y + rect[1], x + rect[2], y + rect[3]))


def difference(a, b):
    """Mean absolute difference of two equally sized pictures, 0 to 255, softened a little so
    that resampling and anti-aliasing count less than a shifted edge."""
    from PIL import ImageChops, ImageFilter, ImageStat
    a, b = a.filter(ImageFilter.GaussianBlur(1)), b.filter(ImageFilter.GaussianBlur(1))
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


def run_at(sorvik, set_dpi, dpi, demo):
    set_dpi(dpi)
    desktop = Desktop(SCREEN)
    (sorvik.root / "layout.txt").unlink(missing_ok=True)
    # The pointer, left on a button by the previous run, would light it: park it where no element is.
    desktop.click(5, 600)
    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    assert wait_until(lambda: (sorvik.root / "layout.txt").exists(), 10)
    # The first measurements end in the status text, which is not on the start panel; wait for them anyway
    # so every run's start panel is drawn in the same state.
    wait_until(lambda: len(desktop.list_rows()) == len(demo.demo_config()["lines"]), 30, interval=1)
    shot = SHOTS / f"dpi-{dpi}.png"
    desktop.screenshot(shot)
    layout = read_layout(sorvik)
    centre = layout["customButton"]
    desktop.click_client(window, (centre[0] + centre[2]) // 2, (centre[1] + centre[3]) // 2)
    assert wait_until(lambda: desktop.list_rows() and desktop.list_rows()[0]["visible"], 10), \
        "a click on the custom button where it is drawn opens the line list"
    desktop.screenshot(SHOTS / f"dpi-{dpi}-line-list.png")
    sorvik.stop_all()
    bench("kill", check=False)
    return window, layout, shot


def test_window_and_elements_scale_with_the_dpi(sorvik, set_dpi, demo, monkeypatch):
    monkeypatch.setenv("SORVIK_WRITE_LAYOUT", "1")
    base_window, base, base_shot = run_at(sorvik, set_dpi, 96, demo)
    assert (base_window["width"], base_window["height"]) == (800, 600)
    # The theme's 96-DPI places: close.png is a strip of 24-pixel states at (800 - 24 - 10, 22);
    # the list at (150, 120), 500 x 300.
    assert base["closeButton"] == (766, 22, 790, 46)
    assert base["lineListView"] == (150, 120, 650, 420)

    for dpi in (144, 192):
        window, layout, shot = run_at(sorvik, set_dpi, dpi, demo)
        size = (scaled(800, dpi), scaled(600, dpi))
        assert (window["width"], window["height"]) == size
        assert (window["client_width"], window["client_height"]) == size
        for name, rect in base.items():
            assert layout[name] == tuple(scaled(v, dpi) for v in rect), name
        # What is drawn there is the 96-DPI picture, larger: shrunk back to 96 DPI, each picture of
        # the start panel matches its 96-DPI self best at its own place, not 2 pixels to any side.
        from PIL import Image
        for name in START_PICTURES:
            x0, y0, x1, y1 = base[name]
            drawn = window_picture(shot, window, layout[name]).resize((x1 - x0, y1 - y0), Image.BOX)
            fits = {(dx, dy): difference(drawn, window_picture(base_shot, base_window, (x0 + dx, y0 + dy, x1 + dx, y1 + dy)))
                    for dx, dy in ((0, 0), (2, 0), (-2, 0), (0, 2), (0, -2))}
            assert min(fits, key=fits.get) == (0, 0) and fits[(0, 0)] < 16, (name, fits)
