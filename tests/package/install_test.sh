#!/usr/bin/env bash
# Builds the Debian packages from a build tree, unpacks them into a scratch root and runs the installed
# programs against each other: the CLI's self-check and a one-shot command, and the app offscreen to the
# first frame of its sign-in screen, both finding the installed service through an orvendel.conf.
# Usage: install_test.sh BUILD_DIR. Exit 77 (skipped) without cpack or dpkg.
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "install test skipped: $tool is missing"
    exit 77
  fi
done

work=$(mktemp -d)
service_pid=
cleanup() {
  if [ -n "$service_pid" ]; then kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "install test: $*" >&2; exit 1; }

echo "== packages"
cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
shopt -s nullglob
debs=("$work"/packages/*.deb)
[ ${#debs[@]} -eq 3 ] || fail "expected 3 packages, got: ${debs[*]##*/}"
root=$work/root
for deb in "${debs[@]}"; do
  echo "${deb##*/} $(stat -c %s "$deb") bytes; Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"
  dpkg-deb -x "$deb" "$root"
done
# The Qt libraries must come from dpkg-shlibdeps, not from a hand-written list.
dpkg-deb -f "$work"/packages/orvendel_*.deb Depends | grep -q 'libqt6quick6' || fail "orvendel lacks its Qt dependencies"

echo "== the installed programs"
"$root/usr/bin/orvendel-delay-service" --listen 127.0.0.1:0 --db :memory: --seed 7 --quiet >"$work/service.out" \
  2>"$work/service.err" &
service_pid=$!
for _ in $(seq 100); do
  grep -q '^listening on ' "$work/service.out" && break
  kill -0 "$service_pid" 2>/dev/null || { cat "$work/service.err"; fail "the installed service did not start"; }
  sleep 0.1
done
address=$(sed -n 's/^listening on //p' "$work/service.out")
[ -n "$address" ] || fail "the installed service never said where it listens"

# The plant's file, read from the scratch root instead of /etc; no other source may decide.
mkdir -p "$root/etc/orvendel" "$work/home"
printf '# test plant\nservice-url = http://%s/DelaysApi/Delays\n' "$address" >"$root/etc/orvendel/orvendel.conf"
run() {
  env -u ORVENDEL_SERVICE_URL -u ORVENDEL_STORE_SEARCH_URL -u XDG_CONFIG_HOME -u XDG_DATA_HOME \
    HOME="$work/home" ORVENDEL_DATA_DIR="$work/data" ORVENDEL_SYSTEM_CONFIG="$root/etc/orvendel/orvendel.conf" "$@"
}

run "$root/usr/bin/orvendel-cli" --self-check >"$work/self-check.out"
cat "$work/self-check.out"
grep -qF "service address: http://$address/DelaysApi/Delays (from $root/etc/orvendel/orvendel.conf)" \
  "$work/self-check.out" || fail "the CLI did not take the address from the plant's file"
printf 'demo\n' | run "$root/usr/bin/orvendel-cli" --assume-online --user demo --password-stdin furnaces \
  >"$work/furnaces.out" || { cat "$work/furnaces.out"; fail "the installed CLI could not list the furnaces"; }

run env QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software timeout 60 "$root/usr/bin/orvendel" \
  --exit-after-first-frame >"$work/app.out" 2>"$work/app.err" || { cat "$work/app.err"; fail "the installed app failed"; }
grep -q '^first-frame ' "$work/app.out" || fail "the installed app drew no first frame"
echo "the installed app drew its sign-in frame"

echo "== checks of the packaged files"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/com.kesta.orvendel.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/com.kesta.orvendel.metainfo.xml" || fail "metainfo"
fi
if command -v lintian >/dev/null; then
  lintian --fail-on error "${debs[@]}" || fail "lintian found errors"
else
  echo "lintian is missing: packages not linted"
fi
echo "install test passed"
