"""The ciphered line list and the RC4 it is built with."""

import runpy

import pytest

from svc_support import KEY_FILE, REPO_ROOT, make_line, rc4

LINELIST = "/jsq/line/linelist.php"


def decipher(body):
    return rc4(KEY_FILE.read_bytes(), body)


def row(line):
    return ";".join([line["name"], line["address"], str(line["probe_port"]),
                     line["user"], line["password"], line["load"]])


class TestRc4:
    VECTORS = [
        (b"Key", b"Plaintext", "bbf316e8d940af0ad3"),
        (b"Wiki", b"pedia", "1021bf0420"),
        (b"Secret", b"Attack at dawn", "45a01f645fc35b383552544b9bf5"),
    ]

    @pytest.mark.parametrize("key,plain,cipher", VECTORS)
    def test_oracle_matches_known_vectors(self, key, plain, cipher):
        assert rc4(key, plain).hex() == cipher

    @pytest.mark.parametrize("key,plain,cipher", VECTORS)
    def test_service_module_matches_known_vectors(self, key, plain, cipher):
        service_rc4 = runpy.run_path(str(REPO_ROOT / "tools/demo_service/rc4.py"))["rc4"]
        assert service_rc4(key, plain).hex() == cipher
        assert service_rc4(key, bytes.fromhex(cipher)) == plain

    def test_service_ciphers_with_the_given_key_file(self, start_service, tmp_path):
        key = tmp_path / "vector.key"
        key.write_bytes(b"Key")
        svc = start_service({"extra_rows": ["Plaintext"]}, "--key", str(key))
        body = svc.get(LINELIST).body
        assert body[:9].hex() == "bbf316e8d940af0ad3"
        assert rc4(b"Key", body) == b"Plaintext\r\n"


class TestLineList:
    def test_key_file_is_256_bytes(self):
        assert len(KEY_FILE.read_bytes()) == 256

    def test_rows_come_back_in_order(self, start_service):
        lines = [
            make_line(1, name="华东电信一区", load="流畅"),
            make_line(2, name="香港专线", load="爆满", probe_port=8443),
            make_line(3, name="日本东京", load="维护中", answers=False),
            make_line(4, name="华南联通", load="拥挤", user="玩家", password="p;w"),
        ]
        svc = start_service({"lines": lines})
        resp = svc.get(LINELIST)
        assert resp.status == 200
        assert int(resp.headers["Content-Length"]) == len(resp.body)
        text = decipher(resp.body).decode("utf-8")
        assert text == "".join(row(l) + "\r\n" for l in lines)
        # Ciphered on the wire, not the plain text.
        assert resp.body != text.encode("utf-8")

    def test_extra_rows_follow_verbatim(self, start_service):
        odd = ["五段;127.0.0.99;80;u;p", "七段;127.0.0.98;80;u;p;流畅;多余", "", "无分号"]
        lines = [make_line(1)]
        svc = start_service({"lines": lines, "extra_rows": odd})
        rows = decipher(svc.get(LINELIST).body).decode("utf-8").split("\r\n")
        assert rows == [row(lines[0])] + odd + [""]

    def test_whole_body_is_one_keystream(self, start_service):
        # Long enough that a per-row restart of the keystream would show.
        lines = [make_line(n, name=f"线路{n:02d}") for n in range(1, 13)]
        svc = start_service({"lines": lines})
        body = svc.get(LINELIST).body
        key = KEY_FILE.read_bytes()
        first_row = (row(lines[0]) + "\r\n").encode("utf-8")
        assert body[:len(first_row)] == rc4(key, first_row)
        second_row = (row(lines[1]) + "\r\n").encode("utf-8")
        assert body[len(first_row):len(first_row) + len(second_row)] != rc4(key, second_row)

    def test_empty_variant(self, start_service):
        svc = start_service({"lines": [make_line(1)], "linelist_body": "empty"})
        resp = svc.get(LINELIST)
        assert resp.status == 200
        assert resp.body == b""

    def test_garbage_variant_is_not_utf8(self, start_service):
        svc = start_service({"lines": [make_line(1)], "linelist_body": "garbage"})
        first, second = svc.get(LINELIST), svc.get(LINELIST)
        assert first.status == second.status == 200
        assert len(first.body) > 16
        assert first.body != second.body
        for resp in (first, second):
            with pytest.raises(UnicodeDecodeError):
                decipher(resp.body).decode("utf-8")

    def test_no_lines_gives_empty_text(self, start_service):
        svc = start_service({})
        assert svc.get(LINELIST).body == b""
