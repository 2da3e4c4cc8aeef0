"""beta.htm and the HTML notice pages."""

import configparser
import re

import pytest

NOTICE = {
    "time": 0,
    "adurl": "http://127.0.0.1:18631/notice.htm",
    "adurl2": "http://127.0.0.1:18631/exit.htm",
    "message": "欢迎使用加速器！今晚十点维护。",
    "linktext": "",
    "linkurl": None,
    "url": "http://127.0.0.1:18631/download.htm",
    "version": "1.4;1.5",
}


class TestBeta:
    @pytest.fixture
    def beta(self, start_service):
        svc = start_service({"notice": NOTICE})
        resp = svc.get("/jsq/beta.htm")
        assert resp.status == 200
        return resp.body

    def test_is_gbk_with_crlf(self, beta):
        assert NOTICE["message"].encode("gbk") in beta
        with pytest.raises(UnicodeDecodeError):
            beta.decode("utf-8")
        assert beta.endswith(b"\r\n")
        assert beta.count(b"\n") == beta.count(b"\r\n")

    def test_holds_configured_keys(self, beta):
        text = beta.decode("gbk")
        assert text.split("\r\n")[0] == "[update]"
        ini = configparser.ConfigParser(interpolation=None)
        ini.read_string(text)
        section = ini["update"]
        for key, value in NOTICE.items():
            if value is not None:
                assert section[key] == str(value)

    def test_null_key_is_missing_and_empty_key_is_bare(self, beta):
        rows = beta.decode("gbk").split("\r\n")
        assert "linktext=" in rows
        assert not any(r.startswith("linkurl") for r in rows)

    def test_other_notice_changes_show(self, start_service):
        svc = start_service({"notice": {"version": "2.0", "message": "维护中"}})
        rows = svc.get("/jsq/beta.htm").body.decode("gbk").split("\r\n")
        assert rows == ["[update]", "message=维护中", "version=2.0", ""]


class TestPages:
    @pytest.mark.parametrize("path", ["/notice.htm", "/exit.htm"])
    def test_notice_pages(self, start_service, path):
        svc = start_service({})
        resp = svc.get(path)
        assert resp.status == 200
        assert "text/html" in resp.headers["Content-Type"]
        html = resp.body.decode("utf-8")
        assert re.search(r'<meta charset="?utf-8', html, re.I)
        assert re.search(r"[\u4e00-\u9fff]", html)
        links = re.findall(r"<a\b[^>]*>", html)
        assert len(links) == 1
        assert 'target="_blank"' in links[0]

    def test_download_page(self, start_service):
        svc = start_service({})
        resp = svc.get("/download.htm")
        assert resp.status == 200
        assert "下载" in resp.body.decode("utf-8")

    @pytest.mark.parametrize("path", ["/", "/jsq/linelist.php", "/jsq/line/linelist.php.bak",
                                      "/notice.html", "/_controlx"])
    def test_unknown_paths_are_404(self, start_service, path):
        svc = start_service({})
        assert svc.get(path).status == 404
