"""Bodies of the ordinary (non-fault) answers."""

import os

from rc4 import rc4

PAGES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pages")
PAGES = {
    "/notice.htm": "notice.htm",
    "/exit.htm": "exit.htm",
    "/download.htm": "download.htm",
}
GARBAGE_LEN = 128


def linelist_text(config):
    rows = [f"{l.name};{l.address};{l.probe_port};{l.user};{l.password};{l.load}"
            for l in config.lines]
    rows.extend(config.extra_rows)
    return "".join(row + "\r\n" for row in rows)


def linelist_body(config, key):
    if config.linelist_body == "empty":
        return b""
    if config.linelist_body == "garbage":
        # 0xFF never occurs in UTF-8, so the deciphered text is sure to be invalid
        # while the body itself still looks random.
        plain = b"\xff" + os.urandom(GARBAGE_LEN - 1)
        return rc4(key, plain)
    return rc4(key, linelist_text(config).encode("utf-8"))


def beta_ini(config):
    lines = ["[update]"]
    for key, value in config.notice:
        if value is not None:
            lines.append(f"{key}={value}")
    return "".join(l + "\r\n" for l in lines).encode("gbk")


def page(path):
    """HTML bytes for a static page, or None when the path is not one."""
    name = PAGES.get(path)
    if name is None:
        return None
    with open(os.path.join(PAGES_DIR, name), "rb") as f:
        return f.read()
