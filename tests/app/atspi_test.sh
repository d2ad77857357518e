#!/usr/bin/env bash
# A screen reader reads the window over AT-SPI: the label, the edit box's
# text, the button, the status panels and the result list's cells after a
# search on the demo site. Runs the real program on the current X display,
# in a D-Bus session of its own with an accessibility bus that is switched
# on, as it is when a screen reader runs.
#
# Usage: atspi_test.sh PROGRAM INDEX_HOST SOURCE_DIR
set -euo pipefail

program="$1"
index_host="$2"
source_dir="$3"
TIMEOUT_S=30
DEMO_CODE="ABP-101"
# Places in the window's client area of the edit box and the button.
EDIT_BOX_AT=(150 20)
BUTTON_AT=(292 20)

if [[ -z "${ZARVO_ATSPI_SESSION:-}" ]]; then
  exec env ZARVO_ATSPI_SESSION=1 dbus-run-session -- "$0" "$@" 2> >(grep -v "dbus-daemon" >&2)
fi

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

fail() { echo "atspi_test: $*" >&2; exit 1; }

# Waits until the command succeeds, for up to TIMEOUT_S.
wait_for() {
  local deadline=$((SECONDS + TIMEOUT_S))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
wait_for gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
  --method org.a11y.Bus.GetAddress || fail "no accessibility bus"
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
  --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null

# The search goes to the built-in index host; serve the demo site there when
# that host is this machine.
search=""
if [[ "$index_host" =~ ^127\.0\.0\.1:([0-9]+)$ ]]; then
  port="${BASH_REMATCH[1]}"
  if ! curl -s -o /dev/null "http://$index_host/api.html"; then
    python3 "$source_dir/tools/demo_site.py" --port "$port" --quiet >/dev/null 2>&1 &
    pids+=($!)
    wait_for curl -s -o /dev/null "http://$index_host/api.html" || fail "demo site did not start"
  fi
  search=1
fi

"$program" >/dev/null 2>&1 &
pids+=($!)
wait_for xdotool search --onlyvisible --name Zarvo || fail "the window did not appear"
window="$(xdotool search --onlyvisible --name Zarvo | head -n1)"

read_tree() { /usr/bin/python3 "$source_dir/tests/app/atspi_reader.py" zarvo; }
search_done() { [[ "$(read_tree)" == *$'\t状态:搜索完成.'* ]]; }
wait_for read_tree || fail "the program is not on the accessibility bus"

xdotool mousemove --window "$window" "${EDIT_BOX_AT[@]}" click 1 type "$DEMO_CODE"
if [[ -n "$search" ]]; then
  xdotool mousemove --window "$window" "${BUTTON_AT[@]}" click 1
  wait_for search_done || { read_tree >&2; fail "the search did not finish"; }
fi
tree="$(read_tree)"

expect() {
  grep -qF -- "$1" <<<"$tree" || { echo "$tree" >&2; fail "a screen reader does not read: $1"; }
}
expect $'frame\tZarvo种子搜索器 V1.1 群号:'
expect $'label\t请输入番号：'
expect $'push button\t搜索'
expect $'text\t\t'"$DEMO_CODE"
expect $'status bar\t'
expect $'column header\t磁性链接(迅雷下载&双击打开)'
if [[ -n "$search" ]]; then
  expect $'label\t数量:2'
  expect $'label\t状态:搜索完成.'
  expect $'cell\t1.37 GB'
  expect $'cell\tmagnet:?xt=urn:btih:'
else
  expect $'label\t数量：0'
  expect $'label\t状态:待搜索'
fi
expect $'label\t进度：'
echo "atspi_test: a screen reader reads the window"
