#!/usr/bin/env bash
# scripts/run with 127.0.0.1:8642 already held by another delay service: the front end must talk to the one
# scripts/run started, at the address it announced. Usage: run_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
scratch=$(mktemp -d)
squatter_pid=
cleanup() {
  if [ -n "$squatter_pid" ]; then
    kill -TERM "$squatter_pid" 2>/dev/null || true
    wait "$squatter_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  echo "--- console:" >&2
  cut -c 1-300 "$scratch/console" >&2 || true
  exit 1
}

# The squatter logs one line per request; when the port is held by something else, that serves as well.
"$build_dir"/src/delay-service/orvendel-delay-service --listen 127.0.0.1:8642 --db :memory: --seed 1 \
  >"$scratch/squatter.out" 2>"$scratch/squatter.log" &
squatter_pid=$!
for _ in $(seq 1 300); do
  if grep -q '^listening on' "$scratch/squatter.out" || ! kill -0 "$squatter_pid" 2>/dev/null; then
    break
  fi
  sleep 0.1
done

export ORVENDEL_DATA_DIR=$scratch/data XDG_DATA_HOME=$scratch/data ORVENDEL_RUN_BUILT=$build_dir
printf 'login demo\ndemo\nfurnaces\nquit\n' |
  "$source_dir"/scripts/run --cli --json --data-dir "$scratch/cli" >"$scratch/console" 2>&1 ||
  fail "scripts/run ended with status $?"

announced=$(sed -n 's/^scripts\/run: the delay service listens on \(127\.0\.0\.1:[0-9]*\);.*/\1/p' "$scratch/console")
[ -n "$announced" ] || fail "no address announced"
[ "$announced" != 127.0.0.1:8642 ] || fail "the announced service is the one on the taken port"
grep -q -- "--service-url http://$announced/DelaysApi/Delays" "$scratch/console" || fail "no --service-url"
[ "$(grep -c '^{"ok": *true' "$scratch/console")" -ge 2 ] || fail "signing in and listing furnaces failed"
if grep -q 'status=' "$scratch/squatter.log"; then
  fail "the front end talked to the program on 8642"
fi
echo "scripts/run used $announced"
