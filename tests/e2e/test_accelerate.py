"""Acceleration from the user's side: clicks at the places the window's geometry gives,
checked by what the service recorded and what the program left beside itself."""
import time

from conftest import MAIN_TITLE, SHOTS, wait_until

# Centres of the default theme's buttons, in the main window's client coordinates.
ONE_CLICK = (400, 250 + 32)                 # yjjs.png state 220 x 64 at x = 290
CUSTOM = (320 + 88, 250 + 64 + 20 + 28)     # zdyjs.png 160 x 40 with a 16-pixel margin
DISCONNECT = (330 + 73, 300 + 23)           # disconnected.png 140 x 40 with a 6-pixel margin
ACCELERATE = (150 + 58, 462 + 19)           # ljjs.png 110 x 32 with a 6-pixel margin
LIST_ROW_Y0 = 120 + 2 + 24 + 11             # list view top, its frame and header, half a row
LIST_ROW_HEIGHT = 22
CONFIRM_EXIT = (114 + 41, 70 + 18)          # btnExit.png 72 x 26 with a 10-pixel margin


def hellos(service):
    return [r["query"] for r in service.requests("/jsq/line/hello.php")]


def one_click_ready(config):
    """On loopback any line can measure fastest, and one-click dials the fastest: the line that
    refuses every login is made silent, so a test that needs a connection never picks it."""
    for line in config["lines"]:
        if line.get("reject_login"):
            line["answers"] = False
    return config


def start_measured(sorvik, desktop, demo):
    """Starts the program and waits until every line of the demo has its latency."""
    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    count = len(demo.demo_config()["lines"])
    assert wait_until(lambda: len(desktop.list_rows()) == count and all(r["text2"] for r in desktop.list_rows()),
                      60, interval=1), desktop.list_rows()
    return window


def read_gbk(path):
    return path.read_bytes().decode("gbk")


def test_one_click_connects_to_the_fastest_line_and_stop_reports_the_hang_up(sorvik, desktop, demo):
    demo.configure(one_click_ready(demo.demo_config()))
    window = start_measured(sorvik, desktop, demo)
    rows = desktop.list_rows()
    fastest = min((int(r["text2"]), r["row"]) for r in rows if r["text2"].isdigit())[1]
    address = demo.demo_config()["lines"][fastest]["address"]

    desktop.click_client(window, *ONE_CLICK)
    assert wait_until(lambda: f"?ip={address}" in hellos(demo), 20), hellos(demo)
    time.sleep(3)  # the connected panel has counted a few seconds and measured the line
    desktop.screenshot(SHOTS / "connected.png")

    phonebook = (sorvik.root / "vpn.dat").read_text(encoding="utf-8")  # the RAS stand-in writes UTF-8
    assert "[Sorvik加速器]" in phonebook and f"PhoneNumber={address}" in phonebook
    log = read_gbk(sorvik.root / "log.log").split("\r\n")
    assert log[0].endswith((" 32", " 64"))
    assert log[-2] == "连接成功" and log[-1] == ""

    desktop.click_client(window, *DISCONNECT)
    assert wait_until(lambda: f"?ip={address}&remove=1" in hellos(demo), 20), hellos(demo)
    assert hellos(demo).count(f"?ip={address}&remove=1") == 1
    assert wait_until(lambda: desktop.list_rows() and desktop.list_rows()[0]["visible"], 10), \
        "stopping returns to the line list"


def test_the_connecting_panel_stays_while_the_line_is_slow_to_log_in(sorvik, desktop, demo):
    delay = 4
    config = demo.demo_config()
    for line in config["lines"]:
        line["login_delay"] = delay
    demo.configure(one_click_ready(config))
    window = start_measured(sorvik, desktop, demo)
    desktop.screenshot(SHOTS / "start.png")
    log = sorvik.root / "log.log"

    desktop.click_client(window, *ONE_CLICK)
    clicked = time.monotonic()
    # The stand-in has sent the login and waits for the line's answer.
    assert wait_until(lambda: log.exists() and "开始认证" in read_gbk(log), 10)
    time.sleep(0.5)
    desktop.screenshot(SHOTS / "connecting.png")
    assert "连接成功" not in read_gbk(log)
    assert not any(q.startswith("?ip=") for q in hellos(demo)), "no report before the line is up"

    assert wait_until(lambda: "连接成功" in read_gbk(log), delay + 10)
    assert time.monotonic() - clicked > delay - 1
    assert wait_until(lambda: any(q.startswith("?ip=") for q in hellos(demo)), 20), hellos(demo)
    desktop.click_client(window, *DISCONNECT)
    assert wait_until(lambda: any(q.endswith("&remove=1") for q in hellos(demo)), 20), hellos(demo)


def test_custom_acceleration_through_a_chosen_row_and_a_failed_dial(sorvik, desktop, demo):
    window = start_measured(sorvik, desktop, demo)
    lines = demo.demo_config()["lines"]
    chosen = 1
    rejected = next(i for i, line in enumerate(lines) if line.get("reject_login"))

    desktop.click_client(window, *CUSTOM)
    assert wait_until(lambda: desktop.list_rows()[0]["visible"], 10)
    desktop.click_client(window, 160 + 100, LIST_ROW_Y0 + chosen * LIST_ROW_HEIGHT)
    time.sleep(0.5)
    desktop.click_client(window, *ACCELERATE)
    assert wait_until(lambda: f"?ip={lines[chosen]['address']}" in hellos(demo), 20), hellos(demo)
    desktop.click_client(window, *DISCONNECT)
    assert wait_until(lambda: f"?ip={lines[chosen]['address']}&remove=1" in hellos(demo), 20)
    assert wait_until(lambda: desktop.list_rows()[0]["visible"], 10)

    desktop.click_client(window, 160 + 100, LIST_ROW_Y0 + rejected * LIST_ROW_HEIGHT)
    time.sleep(0.5)
    desktop.click_client(window, *ACCELERATE)

    def failed():
        log = sorvik.root / "log.log"
        return log.exists() and "用户名" in read_gbk(log)

    assert wait_until(failed, 20)
    time.sleep(1)
    desktop.screenshot(SHOTS / "failed.png")
    assert f"?ip={lines[rejected]['address']}" not in hellos(demo), "a failed dial is not reported"


def test_exit_from_the_tray_menu_asks_first(sorvik, desktop, demo):
    start_measured(sorvik, desktop, demo)
    width, height = map(int, desktop.size.split("x"))
    # The notification area's icon sits at the right end of the Wine taskbar.
    desktop.click(width - 10, height - 10, button="right")
    time.sleep(1)
    desktop.screenshot(SHOTS / "tray-menu.png")
    # "退出" is the last item: Up wraps to it.
    desktop.key("Up", "Return")
    question = desktop.wait_window("是否退出Sorvik加速器？", timeout=15)
    assert (question["x"], question["y"], question["width"], question["height"]) == (
        (width - 400) // 2, (height - 120) // 2, 400, 120)
    desktop.screenshot(SHOTS / "exit-confirmation.png")
    desktop.click_client(question, *CONFIRM_EXIT)
    assert wait_until(lambda: not desktop.windows_titled(MAIN_TITLE), 15), "the main window hides at once"
    time.sleep(1)
    desktop.screenshot(SHOTS / "exit-notice.png")
    # The exit notice would count 120 seconds; the close it ends with is the same WM_CLOSE.
    assert desktop.post_close(MAIN_TITLE)
    assert wait_until(lambda: all(p.poll() is not None for p in sorvik.processes), 20)
    assert sorvik.processes[0].returncode == 0


def test_a_demanded_new_version_shows_its_panel_and_a_hostile_download_address_opens_nothing(
        sorvik, desktop, demo, tmp_path):
    marker = tmp_path / "opened.txt"
    script = tmp_path / "payload.bat"
    script.write_text(f"echo opened > Z:{str(marker).replace('/', chr(92))}\r\n")
    config = demo.demo_config()
    config["notice"]["version"] = "1.4"
    config["notice"]["url"] = "Z:" + str(script).replace("/", "\\")
    demo.configure(config)

    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    assert wait_until(lambda: demo.requests("/jsq/beta.htm"), 20)
    time.sleep(2)
    desktop.screenshot(SHOTS / "new-version.png")
    # The download button ("download.png", 180 x 48 states, at y = 320) would open the address and quit.
    desktop.click_client(window, 400, 320 + 24)
    assert wait_until(lambda: all(p.poll() is not None for p in sorvik.processes), 20), "download quits at once"
    time.sleep(2)
    assert not marker.exists(), "a local program named by the notice file must not run"


def connect_one_click(sorvik, desktop, demo):
    """Connects with one-click; the connected line's address once its hello is in."""
    demo.configure(one_click_ready(demo.demo_config()))
    window = start_measured(sorvik, desktop, demo)
    desktop.click_client(window, *ONE_CLICK)
    assert wait_until(lambda: any("&" not in q for q in hellos(demo)), 20)
    return next(q for q in hellos(demo) if "&" not in q)[len("?ip="):]


def test_with_the_switch_off_a_dropped_connection_shows_the_failure(sorvik, desktop, demo):
    (sorvik.root / "settings.ini").write_bytes(b"[Sorvik]\r\nAutoReconnect=0\r\n")
    address = connect_one_click(sorvik, desktop, demo)
    demo.drop(address)
    log = sorvik.root / "log.log"
    # The system's text for the remote end's disconnection, seen through the connection's status.
    assert wait_until(lambda: read_gbk(log).split("\r\n")[-2] == "连接被远程计算机关闭。", 20), read_gbk(log)
    time.sleep(1)
    desktop.screenshot(SHOTS / "dropped.png")
    assert hellos(demo) == [f"?ip={address}", f"?ip={address}&remove=1"], "removed once, not dialled again"


def test_a_dropped_connection_is_dialled_again_on_the_same_line(sorvik, desktop, demo):
    address = connect_one_click(sorvik, desktop, demo)
    demo.drop(address, refuse=1)
    log = sorvik.root / "log.log"
    # The first redial is refused; the second waits 2 s.
    assert wait_until(lambda: "连接中断，正在重新连接（第2次）…" in read_gbk(log), 10), read_gbk(log)
    time.sleep(0.5)
    desktop.screenshot(SHOTS / "reconnecting.png")
    assert wait_until(lambda: len(hellos(demo)) == 3, 10), hellos(demo)
    assert hellos(demo) == [f"?ip={address}", f"?ip={address}&remove=1", f"?ip={address}"]
    assert demo.logins(address) == ["ok", "dropped", "691", "ok"]


def test_the_notice_bar_link_opens_the_notice_address(sorvik, desktop, demo, opened_urls):
    sorvik.start()
    window = desktop.wait_window(MAIN_TITLE)
    assert wait_until(lambda: demo.requests("/jsq/beta.htm"), 20)
    time.sleep(2)
    # The link follows the measured end of the message: sweep along the bar (y = 71..101),
    # short of the close button at its right end.
    for x in range(200, 740, 24):
        desktop.click_client(window, x, 86)
        if wait_until(opened_urls, 1.5, interval=0.25):
            break
    assert opened_urls() == [demo.demo_config()["notice"]["linkurl"]]
