#!/usr/bin/env bash
# Builds Quillo and runs it. Give QUILLO_PRESET=release for an optimised build.
# The default build talks to the carrier lab on loopback, so the lab is started first (in the
# background, left running for later runs) when nothing answers on its plain port yet.
#
# With --modem, Quillo sends through ModemManager instead: a private D-Bus bus, ModemManager in
# its test mode and a lab that is also a GSM modem are started for this run (and stopped after
# it), and Quillo runs from a folder of its own whose route file names the modem route.
set -euo pipefail
cd "$(dirname "$0")/.."

modem=0
case "${1:-}" in
    "") ;;
    --modem) modem=1 ;;
    *) echo "usage: scripts/run.sh [--modem]" >&2; exit 2 ;;
esac

preset="${QUILLO_PRESET:-dev}"
lab_port=47080  # the plain port of the default deployment (src/res/deployment/lab.txt)
lab_state="${XDG_DATA_HOME:-$HOME/.local/share}/quillo-lab"
lab_log="$lab_state/quillo-lab.log"

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target quillo quillo-lab

# 0: the lab answers; 1: nothing listens; 2: something else holds the port.
lab_status() {
    timeout 3 bash -c '
        exec 3<>"/dev/tcp/127.0.0.1/$1" || exit 1
        printf "GET /lab/ HTTP/1.0\r\nHost: localhost\r\n\r\n" >&3
        IFS= read -r status <&3 || exit 2
        [[ "$status" == "HTTP/1."?" 200"* ]] || exit 2
    ' _ "$lab_port" 2>/dev/null
}

if [ "$modem" -eq 1 ]; then
    exec scripts/run-modem.sh "$preset" "$lab_port"
fi

status=0
lab_status || status=$?
if [ "$status" -eq 2 ]; then
    echo "run.sh: port $lab_port is taken by a program that is not the carrier lab" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    mkdir -p "$lab_state"
    echo "Starting the carrier lab (log: $lab_log)"
    setsid "build/$preset/tools/carrier-lab/quillo-lab" --state "$lab_state" \
        >>"$lab_log" 2>&1 </dev/null &
    lab_pid=$!
    for _ in $(seq 1 100); do
        lab_status && break
        if ! kill -0 "$lab_pid" 2>/dev/null; then
            echo "run.sh: the carrier lab did not start:" >&2
            tail -n 5 "$lab_log" >&2
            exit 1
        fi
        sleep 0.1
    done
    lab_status || { echo "run.sh: the carrier lab does not answer on port $lab_port" >&2; exit 1; }
fi

exec "build/$preset/src/ui/quillo"
