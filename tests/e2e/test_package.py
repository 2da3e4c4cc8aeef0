"""The release zip: unpacked into a fresh Wine prefix, the program runs from there,
finds its theme and writes its files beside itself."""
import subprocess
import zipfile

from PIL import Image

from conftest import BIN, MAIN_TITLE, REPO, Desktop, bench, wait_until


def test_the_release_zip_runs_from_a_fresh_prefix(tmp_path, monkeypatch, demo):
    package = tmp_path / "Sorvik.zip"
    subprocess.run(["bash", str(REPO / "tools" / "package.sh"), "--build-dir", str(BIN.parent), "--out",
                    str(package)], check=True, stdout=subprocess.DEVNULL)
    names = zipfile.ZipFile(package).namelist()
    assert "Sorvik/Sorvik.exe" in names
    assert "Sorvik/theme/theme.ini" in names and "Sorvik/theme/default/config.ini" in names
    assert not [n for n in names if n.endswith((".dll", ".py")) or "wininfo" in n], names

    # A bench of its own: a new prefix, as on a machine that never ran Sorvik.
    monkeypatch.setenv("SORVIK_BENCH_DIR", str(tmp_path / "bench"))
    bench("prefix", timeout=600)
    desktop = Desktop("1366x768")
    install = tmp_path / "bench" / "prefix" / "drive_c" / "Games"
    install.mkdir(parents=True)
    zipfile.ZipFile(package).extractall(install)
    home = install / "Sorvik"

    program = subprocess.Popen(["bash", str(REPO / "tools" / "wine_bench.sh"), "run", str(home / "Sorvik.exe")],
                               cwd=tmp_path, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = desktop.wait_window(MAIN_TITLE)
        assert wait_until(lambda: (home / "update.dat").exists(), 30), "the notice file is kept beside the exe"
        shot = tmp_path / "packaged.png"
        desktop.screenshot(shot)
        area = Image.open(shot).convert("RGB").crop(
            (window["x"], window["y"], window["x"] + window["width"], window["y"] + window["height"]))
        # The theme's background picture and buttons give hundreds of colours; without a theme the
        # window would be one flat fill.
        assert len(area.getcolors(maxcolors=1 << 20)) > 200
        assert desktop.quit_program()
        assert program.wait(timeout=30) == 0
    finally:
        if program.poll() is None:
            program.kill()
        bench("kill", check=False)
