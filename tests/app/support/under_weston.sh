#!/usr/bin/env bash
# Runs a command as a Wayland client of a weston of its own, then stops the compositor. Weston draws into a
# private Xvfb display through its X11 backend rather than its headless one: the headless backend has no seat,
# so no window ever gets keyboard focus (shortcuts never fire) and Qt 6.4's text input crashes without one.
# Exit 77 (skipped) without weston, Xvfb or Qt's Wayland plugin.
# Usage: under_weston.sh COMMAND [ARGS...]
set -uo pipefail

if ! command -v weston >/dev/null || ! command -v xvfb-run >/dev/null ||
  ! compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null; then
  echo "under_weston: weston, xvfb-run or qt6-wayland is missing; skipped"
  exit 77
fi
if [ -z "${ORVENDEL_UNDER_XVFB:-}" ]; then
  exec env ORVENDEL_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1400x900x24" "$0" "$@"
fi

runtime=$(mktemp -d)
chmod 700 "$runtime"
socket=orvendel-$$
XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --use-pixman --socket="$socket" --width=1280 \
  --height=800 --idle-time=0 --log="$runtime/weston.log" &
weston_pid=$!
cleanup() {
  kill "$weston_pid" 2>/dev/null
  wait "$weston_pid" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT

for _ in $(seq 200); do
  [ -S "$runtime/$socket" ] && break
  if ! kill -0 "$weston_pid" 2>/dev/null; then
    cat "$runtime/weston.log"
    echo "under_weston: weston did not start"
    exit 1
  fi
  sleep 0.05
done

env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$@"
