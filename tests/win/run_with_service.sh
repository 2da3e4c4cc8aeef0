#!/usr/bin/env bash
# Runs one Windows test command with the demo service listening on 127.0.0.1:18631:
#   run_with_service.sh COMMAND [ARGS...]
# Starts the service, waits for its READY line, runs the command, stops the service with
# SIGTERM whatever happens, and exits with the command's code.
# SORVIK_RECORD_DIR (default ./service-records) receives requests.jsonl and the service's log;
# the command sees it in the same variable.
# The RAS stand-in's misuse ledger (ras-misuse.log in the record folder, SORVIK_RAS_LEDGER_DIR)
# must be empty when the command ends (a connection never hung up is only written at process end).
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
port=18631
record_dir="${SORVIK_RECORD_DIR:-$PWD/service-records}"
mkdir -p "$record_dir"
record_dir="$(cd "$record_dir" && pwd)"
export SORVIK_RECORD_DIR="$record_dir"
log="$record_dir/service.log"

if [ "$#" -eq 0 ]; then
  sed -n '2,7p' "$0" >&2
  exit 2
fi

# The port and the line addresses are machine-wide: runs from other build trees wait their turn.
lock="${TMPDIR:-/tmp}/sorvik-demo-service-$port.lock"
exec 9>"$lock"
if ! flock -n 9; then
  echo "run_with_service: waiting for another run's demo service to end ($lock)" >&2
fi
if ! flock -w 600 9; then
  echo "run_with_service: another demo service kept $lock for 10 minutes" >&2
  exit 1
fi

service_pid=""
stop_service() {
  [ -n "$service_pid" ] || return 0
  kill -TERM "$service_pid" 2>/dev/null
  for _ in $(seq 100); do
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$service_pid" 2>/dev/null; then
    echo "run_with_service: service ignored SIGTERM, killing it" >&2
    kill -KILL "$service_pid" 2>/dev/null
  fi
  wait "$service_pid" 2>/dev/null
  service_pid=""
}
trap stop_service EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts the service; true once it printed READY. A port still held by a service that is going
# away (or by someone's manual run) is retried for a while.
start_service() {
  local attempt
  for attempt in $(seq 20); do
    : >"$log"
    # pdeathsig: should this script be killed outright, the service still goes (and frees the port).
    setpriv --pdeathsig TERM \
      /usr/bin/python3 "$repo/tools/demo_service/service.py" \
      --config "$repo/tools/demo_service/demo.json" --record-dir "$record_dir" --port "$port" \
      >"$record_dir/service.out" 2>>"$log" 9>&- &
    service_pid=$!
    for _ in $(seq 200); do
      if grep -q '^READY ' "$record_dir/service.out" 2>/dev/null; then
        return 0
      fi
      kill -0 "$service_pid" 2>/dev/null || break
      sleep 0.05
    done
    if kill -0 "$service_pid" 2>/dev/null; then
      echo "run_with_service: service did not report READY within 10 s" >&2
      return 1
    fi
    wait "$service_pid"
    local rc=$?
    service_pid=""
    if [ "$rc" -ne 1 ]; then
      break # a bad config or argument: retrying will not help
    fi
    echo "run_with_service: service could not listen (attempt $attempt), retrying" >&2
    sleep 1
  done
  echo "run_with_service: demo service did not start; its log:" >&2
  cat "$log" >&2
  return 1
}

ledger="$record_dir/ras-misuse.log"
rm -f "$ledger"
# A Windows path for the stand-in: Wine maps the Unix root to Z:.
export SORVIK_RAS_LEDGER_DIR="Z:$record_dir"

start_service || exit 1
"$@" 9>&-
rc=$?
if [ -s "$ledger" ]; then
  echo "run_with_service: the RAS stand-in's misuse ledger is not empty:" >&2
  cat "$ledger" >&2
  [ "$rc" -ne 0 ] || rc=1
fi
exit "$rc"
