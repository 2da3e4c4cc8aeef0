"""What ends the program: a fault leaves a minidump beside it, running out of memory shows the
"内存不足" box. The test build provokes both on a worker thread (SORVIK_TEST_FAULT)."""
import re

from conftest import MAIN_TITLE, wait_until


def test_a_fault_writes_a_dump_named_with_the_time_and_ends_the_program(sorvik, desktop, demo, monkeypatch):
    monkeypatch.setenv("SORVIK_TEST_FAULT", "crash")
    proc = sorvik.start()
    assert proc.wait(timeout=60) != 0
    dumps = list(sorvik.root.glob("*.dmp"))
    assert len(dumps) == 1
    assert re.fullmatch(r"Sorvik-\d{8}-\d{6}\.dmp", dumps[0].name)
    assert dumps[0].read_bytes()[:4] == b"MDMP"
    dumps[0].unlink()


def test_running_out_of_memory_shows_the_box_and_ends_the_program(sorvik, desktop, demo, monkeypatch):
    monkeypatch.setenv("SORVIK_TEST_FAULT", "oom")
    proc = sorvik.start()
    desktop.wait_window("error", timeout=30)
    assert desktop.post_close("error")
    assert proc.wait(timeout=30) != 0
    assert not desktop.windows_titled(MAIN_TITLE, visible_only=False)
    assert not list(sorvik.root.glob("*.dmp"))
