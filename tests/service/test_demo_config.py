"""The bundled demo.json is accepted by the service and has what the demo relies on."""

import json

from svc_support import KEY_FILE, REPO_ROOT, line_address, rc4

DEMO = REPO_ROOT / "tools" / "demo_service" / "demo.json"


def load_demo():
    return json.loads(DEMO.read_text(encoding="utf-8"))


def test_demo_has_the_cases_the_demo_shows():
    lines = load_demo()["lines"]
    assert 5 <= len(lines) <= 6
    assert sum(1 for l in lines if l.get("answers", True) is False) == 1
    assert sum(1 for l in lines if l.get("reject_login", False)) == 1
    assert {"流畅", "拥挤", "爆满"} <= {l["load"] for l in lines}
    assert len({l["address"] for l in lines}) == len(lines)


def test_demo_config_is_served(start_service):
    demo = load_demo()
    # Same content on this run's own addresses, so a running demo is left alone.
    for n, line in enumerate(demo["lines"], start=1):
        line["address"] = line_address(n)
    svc = start_service(demo)
    text = rc4(KEY_FILE.read_bytes(), svc.get("/jsq/line/linelist.php").body).decode("utf-8")
    assert [r.split(";")[0] for r in text.split("\r\n")[:-1]] == [l["name"] for l in demo["lines"]]
    rows = svc.get("/jsq/beta.htm").body.decode("gbk").split("\r\n")
    assert "version=1.4;1.5" in rows
    assert "time=0" in rows
    assert any(r.startswith("message=") and len(r) > len("message=") for r in rows)
