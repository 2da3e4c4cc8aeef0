"""The line list: fetched once at start, shown with load icons and measured latencies."""
import json
import urllib.request

from conftest import MAIN_TITLE, SERVICE, SHOTS, wait_until

LOAD_ICON = {"流畅": 0, "拥挤": 1, "爆满": 2}
# customButton: "zdyjs.png" (160 x 40) centred under the 64-pixel one-click state at y = 250.
CUSTOM_BUTTON_CENTRE = (320 + 88, 250 + 64 + 20 + 28)


def test_start_fetches_the_list_once_and_the_custom_panel_shows_every_line(sorvik, desktop, demo):
    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    lines = demo.demo_config()["lines"]

    def all_measured():
        rows = desktop.list_rows()
        return rows if len(rows) == len(lines) and all(r["text2"] for r in rows) else None

    # Silent lines take three 2-second attempts; five workers share the six lines.
    rows = wait_until(all_measured, 60, interval=1)
    assert rows, f"rows never complete: {desktop.list_rows()}"
    assert len(demo.requests("/jsq/line/linelist.php")) == 1
    # Kept beside the program as the service sent it, for a start while the service is down.
    with urllib.request.urlopen(SERVICE + "/jsq/line/linelist.php", timeout=10) as served:
        assert (sorvik.root / "lines.dat").read_bytes() == served.read()

    for row, line in zip(rows, lines):
        assert row["data"] == row["row"] + 1
        assert row["text1"] == line["name"]
        assert row["image3"] == LOAD_ICON[line["load"]]
        if line.get("answers", True):
            assert row["text2"].isdigit(), row
        else:
            assert row["text2"] == "连接超时"

    assert not rows[0]["visible"], "the list belongs to the custom panel, hidden at start"
    desktop.click_client(window, *CUSTOM_BUTTON_CENTRE)
    assert wait_until(lambda: desktop.list_rows() and desktop.list_rows()[0]["visible"], 10)
    desktop.screenshot(SHOTS / "line-list-panel.png")
