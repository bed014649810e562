#!/usr/bin/env bash
# Runs a built Quillo on the modem route against the real ModemManager: called by
# `scripts/run.sh --modem`, which builds first. Everything it starts is stopped when Quillo ends.
#   run-modem.sh <preset> <lab plain port>
set -euo pipefail
cd "$(dirname "$0")/.."

preset=$1
lab_port=$2
build="build/$preset"
socket="abstract:quillo-run-modem"
run_dir="$build/modem-run"  # a program folder of its own: its own settings and route file
work=$(mktemp -d)
pids=()

stop_all() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap stop_all EXIT

if timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$lab_port" 2>/dev/null; then
    echo "run.sh: port $lab_port is in use (a carrier lab?); stop it first for --modem" >&2
    exit 1
fi

# The bus, then the daemon on it in test mode (no udev, no scan: it takes the ports it is given).
bus="unix:path=$work/bus"
dbus-daemon --session --address="$bus" --nofork --nopidfile >"$work/bus.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do [ -S "$work/bus" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS="$bus" ModemManager --test-session --test-enable --test-no-udev \
    --no-auto-scan >"$work/modemmanager.log" 2>&1 &
pids+=($!)

lab_state="${XDG_DATA_HOME:-$HOME/.local/share}/quillo-lab"
mkdir -p "$lab_state"
echo "Starting the carrier lab with its GSM modem (log: $lab_state/quillo-lab.log)"
"$build/tools/carrier-lab/quillo-lab" --state "$lab_state" --modem "$socket" \
    >>"$lab_state/quillo-lab.log" 2>&1 </dev/null &
pids+=($!)

# The daemon probes the socket once when the modem is plugged in: wait for the lab to listen
# on it first (a slow build starts slowly).
for _ in $(seq 1 100); do grep -q "@$socket\$" /proc/net/unix && break; sleep 0.1; done

# Plug the lab's modem in as soon as the daemon answers, then wait until it is exported.
registered=0
for _ in $(seq 1 100); do
    if DBUS_SESSION_BUS_ADDRESS="$bus" gdbus call --session --dest org.freedesktop.ModemManager1 \
        --object-path /org/freedesktop/ModemManager1 \
        --method org.freedesktop.ModemManager1.Test.SetProfile \
        quillo-lab generic "['$socket']" >/dev/null 2>&1; then
        registered=1
        break
    fi
    sleep 0.2
done
[ "$registered" -eq 1 ] || { echo "run.sh: ModemManager did not start:" >&2;
                              tail -n 5 "$work/modemmanager.log" >&2; exit 1; }
for _ in $(seq 1 100); do
    DBUS_SYSTEM_BUS_ADDRESS="$bus" mmcli -L 2>/dev/null | grep -q '/Modem/' && break
    sleep 0.2
done
DBUS_SYSTEM_BUS_ADDRESS="$bus" mmcli -L || true

mkdir -p "$run_dir"
cp "$build/src/ui/quillo" "$run_dir/quillo"
if [ ! -f "$run_dir/route.conf" ]; then
    (umask 077 && printf 'route=modem\ncountry-code=1\nmodem=\ndelivery-reports=no\n' \
        >"$run_dir/route.conf")
fi
echo "Quillo on the modem route; what the phones received: http://localhost:$lab_port/"
DBUS_SYSTEM_BUS_ADDRESS="$bus" "$run_dir/quillo"
