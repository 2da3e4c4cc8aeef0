"""The release: the signed per-user installer in a fresh Wine prefix (install, upgrade, a
refused install while Sorvik runs, uninstall), and two package runs giving the same bytes."""
import os
import subprocess
import zipfile

import pytest
from PIL import Image

from conftest import BIN, MAIN_TITLE, REPO, Desktop, bench, wait_until

PRODUCT = "Sorvik加速器"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorvik"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
PLAYER_FILE = "我的设置.txt"
RUNNING_REFUSED = 2


# The download names say the Windows architecture; the installer test runs the one this machine runs.
LABELS = {"i686": "x86", "x86_64": "x64"}
ARCH = os.environ.get("SORVIK_ARCH", "i686")
PE_MACHINE = {"i686": 0x14C, "x86_64": 0x8664}


def package(out, build=BIN.parent, key=None):
    """Packages both architectures (the tested one from build); gives each one's zip and setup.exe."""
    env = dict(os.environ)
    args = ["bash", str(REPO / "tools" / "package.sh"), "--build-dir", str(build), "--out-dir", str(out)]
    if key:
        args += ["--sign", str(key["pfx"])]
        env["SORVIK_SIGN_PASSWORD"] = key["password"]
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, env=env)
    return {arch: (out / f"Sorvik-1.5-{label}.zip", out / f"Sorvik-1.5-{label}-setup.exe")
            for arch, label in LABELS.items()}


def pe_machine(data):
    header = int.from_bytes(data[0x3C:0x40], "little")
    assert data[header:header + 4] == b"PE\0\0"
    return int.from_bytes(data[header + 4:header + 6], "little")


@pytest.fixture
def signing_key(tmp_path):
    """A throw-away self-signed code-signing certificate."""
    key, cert, pfx = tmp_path / "key.pem", tmp_path / "cert.pem", tmp_path / "key.pfx"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Sorvik test signer", "-addext", "extendedKeyUsage=codeSigning"],
                   check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx, "-passout",
                    "pass:throw-away"], check=True, capture_output=True)
    return {"pfx": pfx, "cert": cert, "password": "throw-away"}


def verified(path, cert):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", str(cert), "-in", str(path)],
                          capture_output=True).returncode == 0


def registry_key(key, tmp_path):
    """The values of a registry key, or None when it does not exist."""
    export = tmp_path / "key.reg"
    export.unlink(missing_ok=True)
    if bench("run", "reg", "export", key, "Z:" + str(export).replace("/", "\\"), "/y", check=False).returncode:
        return None
    values = {}
    for line in export.read_text(encoding="utf-16").splitlines():
        name, sep, value = line.partition("=")
        if not sep or not name.startswith('"'):
            continue
        value = (int(value[6:], 16) if value.startswith("dword:")
                 else value[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
        values[name[1:-1]] = value
    return values


def shortcut_target(lnk):
    """The local path a shell link points at (its LinkInfo's base path)."""
    data = lnk.read_bytes()
    flags = int.from_bytes(data[0x14:0x18], "little")
    assert flags & 2, "the shortcut has no LinkInfo"
    info = 0x4C + (2 + int.from_bytes(data[0x4C:0x4E], "little") if flags & 1 else 0)
    base = info + int.from_bytes(data[info + 16:info + 20], "little")
    return data[base:data.index(b"\0", base)].decode("gbk")


def test_install_upgrade_and_uninstall_in_a_fresh_prefix(tmp_path, monkeypatch, demo, signing_key):
    packages = package(tmp_path / "dist", key=signing_key)
    # Each architecture's program and installer are built for it, signed, and its read-me says which it is.
    for arch, (zip_path, setup) in packages.items():
        exe_copy = tmp_path / f"Sorvik-{arch}.exe"
        exe_copy.write_bytes(zipfile.ZipFile(zip_path).read("Sorvik/Sorvik.exe"))
        assert pe_machine(exe_copy.read_bytes()) == pe_machine(setup.read_bytes()) == PE_MACHINE[arch], arch
        assert verified(setup, signing_key["cert"]) and verified(exe_copy, signing_key["cert"]), arch
        readme = zipfile.ZipFile(zip_path).read("Sorvik/说明.txt").decode("gbk")
        assert ("64 位版" if arch == "x86_64" else "32 位版") in readme.splitlines()[1], arch
    zip_path, setup = packages[ARCH]
    shipped = {name[len("Sorvik/"):]: data for name, data in
               ((n, zipfile.ZipFile(zip_path).read(n)) for n in zipfile.ZipFile(zip_path).namelist())
               if not name.endswith("/") and name != "Sorvik/说明.txt"}
    assert "Sorvik.exe" in shipped and "theme/theme.ini" in shipped and "theme/default/config.ini" in shipped
    assert not [n for n in shipped if n.endswith((".dll", ".py")) or "wininfo" in n], sorted(shipped)

    # A bench of its own: a new prefix, as on a machine that never ran Sorvik.
    monkeypatch.setenv("SORVIK_BENCH_DIR", str(tmp_path / "bench"))
    bench("prefix", timeout=600)
    drive_c = tmp_path / "bench" / ("prefix64" if ARCH == "x86_64" else "prefix") / "drive_c"
    user = next(p for p in (drive_c / "users").iterdir() if p.name != "Public")

    def windows_path(path):
        return "C:\\" + str(path.relative_to(drive_c)).replace("/", "\\")

    # Wine may link the prefix's desktop to the Linux one; the desktop shortcut belongs in the prefix.
    if (user / "Desktop").is_symlink():
        (user / "Desktop").unlink()
    (user / "Desktop").mkdir(exist_ok=True)
    desktop = Desktop("1366x768")
    home = user / "AppData" / "Local" / "Programs" / "Sorvik"
    shortcuts = [user / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" /
                 f"{PRODUCT}.lnk", user / "Desktop" / f"{PRODUCT}.lnk"]

    assert bench("run", setup, "/S").returncode == 0
    for name, data in shipped.items():
        assert (home / name).read_bytes() == data, name
    assert verified(home / "uninstall.exe", signing_key["cert"])
    assert [shortcut_target(s) for s in shortcuts] == [windows_path(home / "Sorvik.exe")] * 2
    entry = registry_key(UNINSTALL_KEY, tmp_path)
    uninstaller = windows_path(home / "uninstall.exe")
    assert {k: v for k, v in entry.items() if k != "EstimatedSize"} == {
        "DisplayName": PRODUCT, "DisplayVersion": "1.5", "Publisher": "Sorvik",
        "DisplayIcon": windows_path(home / "Sorvik.exe") + ",0", "InstallLocation": windows_path(home),
        "UninstallString": f'"{uninstaller}"', "QuietUninstallString": f'"{uninstaller}" /S',
        "NoModify": 1, "NoRepair": 1}
    assert abs(entry["EstimatedSize"] - sum(map(len, shipped.values())) / 1024) <= len(shipped)
    assert PRODUCT not in (registry_key(RUN_KEY, tmp_path) or {}), "starting with Windows is not the default"

    # Upgrade in place over an install with older files and the player's own.
    (home / "Sorvik.exe").write_bytes(b"MZ older")
    (home / "theme" / "default" / "bg.png").unlink()
    (home / "vpn.dat").write_text("[Sorvik]\n")
    (home / PLAYER_FILE).write_text("keep me")
    assert bench("run", setup, "/S").returncode == 0
    assert (home / "Sorvik.exe").read_bytes() == shipped["Sorvik.exe"]
    assert (home / "theme" / "default" / "bg.png").read_bytes() == shipped["theme/default/bg.png"]
    assert (home / "vpn.dat").read_text() == "[Sorvik]\n" and (home / PLAYER_FILE).exists()

    # Started as the Start-menu shortcut would start it, from another folder.
    program = subprocess.Popen(["bash", str(REPO / "tools" / "wine_bench.sh"), "run",
                                str(drive_c / shortcut_target(shortcuts[0])[3:].replace("\\", "/"))],
                               cwd=tmp_path, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = desktop.wait_window(MAIN_TITLE)
        assert wait_until(lambda: (home / "update.dat").exists(), 30), "the notice file is kept beside the exe"
        shot = tmp_path / "installed.png"
        desktop.screenshot(shot)
        area = Image.open(shot).convert("RGB").crop(
            (window["x"], window["y"], window["x"] + window["width"], window["y"] + window["height"]))
        # The theme's background picture and buttons give hundreds of colours; without a theme the
        # window would be one flat fill.
        assert len(area.getcolors(maxcolors=1 << 20)) > 200

        # Neither the installer nor the uninstaller ends a running Sorvik; silent, they give up.
        assert bench("run", setup, "/S", check=False).returncode == RUNNING_REFUSED
        assert bench("run", home / "uninstall.exe", "/S", "_?=" + windows_path(home),
                     check=False).returncode == RUNNING_REFUSED
        assert program.poll() is None and desktop.windows_titled(MAIN_TITLE)
        assert (home / "Sorvik.exe").exists()
        assert desktop.quit_program()
        assert program.wait(timeout=30) == 0
    finally:
        if program.poll() is None:
            program.kill()

    # As Windows' "Apps" list would: the uninstaller copies itself away and returns at once.
    assert bench("run", home / "uninstall.exe", "/S").returncode == 0
    assert wait_until(lambda: registry_key(UNINSTALL_KEY, tmp_path) is None, 60)
    assert [p.name for p in home.rglob("*")] == [PLAYER_FILE]
    assert not [s for s in shortcuts if s.exists()]

    # A later setup goes where the player chose to install before.
    chosen = drive_c / "Games" / "Sorvik"
    # This time with the finish page's "开机启动", which an upgrade without it leaves as chosen.
    assert bench("run", setup, "/S", "/AUTOSTART", "/D=" + windows_path(chosen)).returncode == 0
    run_command = f'"{windows_path(chosen / "Sorvik.exe")}" /tray'
    assert registry_key(RUN_KEY, tmp_path).get(PRODUCT) == run_command
    (chosen / "Sorvik.exe").write_bytes(b"MZ older")
    assert bench("run", setup, "/S").returncode == 0
    assert (chosen / "Sorvik.exe").read_bytes() == shipped["Sorvik.exe"]
    assert not (home / "Sorvik.exe").exists()
    assert registry_key(RUN_KEY, tmp_path).get(PRODUCT) == run_command
    assert bench("run", chosen / "uninstall.exe", "/S").returncode == 0
    assert wait_until(lambda: PRODUCT not in (registry_key(RUN_KEY, tmp_path) or {}), 60)
    bench("kill", check=False)


def test_two_package_runs_give_the_same_bytes(tmp_path):
    first, second = tmp_path / "first", tmp_path / "second"
    package(first)
    # The second run builds Sorvik.exe anew, in another folder, minutes later and without the
    # compiler cache, with the configuration of the tested build.
    cache = {}
    for line in (BIN.parent / "CMakeCache.txt").read_text().splitlines():
        name, sep, value = line.partition("=")
        if sep and line[:1].isalpha():
            cache[name.split(":")[0]] = value
    options = [f"-D{k}={cache[k]}" for k in ("CMAKE_BUILD_TYPE", "CMAKE_TOOLCHAIN_FILE", "SORVIK_SERVICE_URL", "SORVIK_SERVICE_HOST",
                                             "SORVIK_WEBSITE_URL", "SORVIK_FORUM_URL", "SORVIK_TEST_BUILD")]
    build = tmp_path / "another build"
    env = dict(os.environ, CCACHE_DISABLE="1")
    subprocess.run(["cmake", "-S", REPO, "-B", build, "-G", "Ninja", "-DSORVIK_TESTS=OFF", *options], env=env,
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", "Sorvik"], env=env, check=True, stdout=subprocess.DEVNULL)
    package(second, build=build)

    names = sorted(p.name for p in first.iterdir())
    assert names == sorted(p.name for p in second.iterdir()) and len(names) == 5
    assert [n for n in names if (first / n).read_bytes() != (second / n).read_bytes()] == []
