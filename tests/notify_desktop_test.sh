#!/usr/bin/env bash
# As a user sees it: vesk under a virtual X server, with a notification
# daemon (dunst) on a session bus of the test's own, repeats a ping every
# second to a test host in a network namespace. The host stops answering,
# then answers again, and the daemon shows both notifications.
#
#   notify_desktop_test.sh BUILD_FOLDER [SCREENSHOT.png]
#
# vesk and the host live in two namespaces joined by a veth pair and
# nothing else, so no packet leaves them. Needs root; exits 77 (skipped)
# otherwise, except under CI.
set -euo pipefail
build="$1"
shot="${2:-}"
if [ "$(id -u)" -ne 0 ]; then
    [ "${CI:-}" = true ] && { echo "needs root for network namespaces; CI=true: it must run"; exit 1; }
    echo "needs root for network namespaces: skipped"
    exit 77
fi
for tool in ip dbus-daemon dbus-send dunst Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup installs it)"; exit 1; }
done

work="$(mktemp -d)"
# The prefix of the probe tests' namespaces: a run that died leaves them
# to the next run's sweep.
vesk_ns="vskprobe-$$-vesk"
host_ns="vskprobe-$$-host"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    ip netns del "$vesk_ns" 2>/dev/null || true
    ip netns del "$host_ns" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$vesk_ns"
ip netns add "$host_ns"
ip -n "$vesk_ns" link add v0 type veth peer name h0 netns "$host_ns"
ip -n "$vesk_ns" addr add 10.199.15.1/24 dev v0
ip -n "$host_ns" addr add 10.199.15.2/24 dev h0
for ns in "$vesk_ns" "$host_ns"; do ip -n "$ns" link set lo up; done
ip -n "$vesk_ns" link set v0 up
ip -n "$host_ns" link set h0 up
host_answers() { ip netns exec "$host_ns" sysctl -qw net.ipv4.icmp_echo_ignore_all="$1"; }

# The X server and the bus listen on socket files, which reach into the
# namespace; dbus-daemon starts no service on request, only dunst answers.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
cat >"$work/bus.conf" <<EOF
<busconfig><type>session</type><listen>unix:dir=$work</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
EOF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=1 >"$work/bus" 2>"$work/bus.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && [ -s "$work/bus" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '\n' <"$work/display")"
export DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus")"
dunst -print >"$work/dunst.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    dbus-send --print-reply --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
        org.freedesktop.Notifications.GetServerInformation >/dev/null 2>&1 && break
    sleep 0.1
done

cp "$build/vesk" "$work/"
printf '10.199.15.2 | watched host\r\n' >"$work/vesk_ip.ini"
ip netns exec "$vesk_ns" "$work/vesk" >"$work/vesk.log" 2>&1 &
pids+=($!)
window="$(timeout 20 xdotool search --sync --name '^vesk$' | head -n 1)"
[ -n "$window" ] || { echo "the vesk window did not appear"; cat "$work/vesk.log"; exit 1; }
xdotool windowfocus --sync "$window" key alt+k
# The caption shows the round trip once the first echo is back.
timeout 10 xdotool search --sync --name ' ms - 10.199.15.2' >/dev/null || { echo "no reply from the host"; exit 1; }

shows() {
    for _ in $(seq 150); do grep -qF "$1" "$work/dunst.log" && return 0; sleep 0.1; done
    echo "the daemon never showed '$1'; it printed:"; cat "$work/dunst.log"; echo "vesk said:"; cat "$work/vesk.log"
    exit 1
}
# The screen as the user sees it, when asked for: NAME-down.png, NAME-up.png.
screenshot() {
    [ -n "$shot" ] && command -v import >/dev/null || return 0
    sleep 0.5
    import -window root "png:${shot%.png}-$1.png"
}
host_answers 1
shows "summary: '10.199.15.2 | watched host is not answering'"
screenshot down
host_answers 0
shows "summary: '10.199.15.2 | watched host answers again'"
screenshot up
cat "$work/dunst.log"
[ "$(grep -c "summary: '10.199.15.2" "$work/dunst.log")" -eq 2 ] || { echo "one down and one up expected"; exit 1; }
echo "desktop notifications ok"
