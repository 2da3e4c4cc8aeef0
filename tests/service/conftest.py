import pytest

from svc_support import STOP_LIMIT, RunningService, launch


@pytest.fixture
def start_service(tmp_path):
    """start_service(config, *args) -> RunningService; stopped and checked afterwards."""
    started = []

    def start(config, *args):
        workdir = tmp_path / f"svc{len(started)}"
        proc, line, stderr_path = launch(workdir, config, args)
        if line is None or not line.startswith("READY "):
            proc.kill()
            proc.wait()
            proc.stdout.close()
            pytest.fail(f"service did not get ready: {line!r}\n"
                        f"{stderr_path.read_text(errors='replace')}")
        svc = RunningService(proc, int(line.split()[1]), workdir / "records", stderr_path)
        svc.ready_ports = line.split()[1:]
        started.append(svc)
        return svc

    yield start

    for svc in started:
        rc, took = svc.stop()
        assert rc == 0, f"service exited {rc}\n{svc.stderr()}"
        assert took < STOP_LIMIT, f"service took {took:.2f}s to stop"
