"""DLL planting: players unpack the program into Downloads, where DLLs named like system ones may
already lie. Windows looks for a DLL that is no KnownDLL in the program's folder first; the program
must take every DLL it loads from System32 (or its side-by-side assembly) all the same."""
import shutil

from conftest import BIN, MAIN_TITLE, wait_until
from test_accelerate import ONE_CLICK, hellos, one_click_ready, start_measured

# Every DLL the program loads that is no KnownDLL (docs/ARCHITECTURE.md), and those that the
# system DLLs it uses load in turn.
PLANTED = ("atl", "dbghelp", "rasapi32", "msimg32", "version", "uxtheme", "comctl32", "gdiplus",
           "windowscodecs", "oleacc", "dwmapi", "winmm", "iphlpapi", "dnsapi", "mswsock", "shcore",
           "cryptbase", "propsys", "profapi", "userenv", "wininet", "urlmon", "ieframe", "shdocvw", "mpr",
           "atlthunk", "textinputframework", "winhttp")
# Not planted: what Wine's own winhttp delay-loads (crypt32, secur32, bcrypt, ...). Wine resolves its
# DLLs' delay imports with the exe's folder first whatever the default directories say; Windows
# follows them, so there it comes from System32 like everything else.
MARKER = BIN.parent / "e2e" / "planted.dll"


def test_no_dll_beside_the_exe_is_loaded(sorvik, desktop, demo, monkeypatch):
    for name in PLANTED:
        shutil.copy2(MARKER, sorvik.root / f"{name}.dll")
    # Windows' order for these names: a native DLL first, as Windows would take the planted file.
    monkeypatch.setenv("SORVIK_DLLOVERRIDES", ",".join(PLANTED) + "=n,b")
    demo.configure(one_click_ready(demo.demo_config()))
    # Start-up loads the browser host and the crash dump writer; a dial loads RAS.
    window = start_measured(sorvik, desktop, demo)
    desktop.click_client(window, *ONE_CLICK)
    assert wait_until(lambda: hellos(demo), 20), "no connection was made"
    assert desktop.quit_program()
    ran = sorted(p.name for p in sorvik.root.glob("*.ran"))
    assert ran == [], f"planted DLLs ran inside the program: {ran}"
    assert not desktop.windows_titled(MAIN_TITLE, visible_only=False)
