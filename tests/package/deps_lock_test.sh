#!/usr/bin/env bash
# scripts/deps.sh waits while another package manager holds dpkg's lock, says so once,
# and then goes on. It holds the system's real lock for three seconds, so it needs root;
# apt-get and dpkg-query are stand-ins (every package reads as missing, and apt-get only
# notes that it ran, and fails if it runs while the lock is held).
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "deps lock: FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "deps lock: skipped (taking dpkg's lock needs root)"; exit 0; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
printf '#!/bin/sh\nexit 1\n' >"$tmp/bin/dpkg-query"
cat >"$tmp/bin/apt-get" <<END
#!/bin/sh
[ -e "$tmp/released" ] || { echo "apt-get ran while the lock was held" >&2; exit 1; }
echo "\$*" >>"$tmp/apt-get.log"
END
chmod +x "$tmp/bin/dpkg-query" "$tmp/bin/apt-get"

/usr/bin/python3 - "$tmp" <<'END' &
import fcntl, os, sys, time
tmp = sys.argv[1]
with open("/var/lib/dpkg/lock-frontend", "w") as lock:
    fcntl.lockf(lock, fcntl.LOCK_EX)
    open(os.path.join(tmp, "held"), "w").close()
    time.sleep(3)
    open(os.path.join(tmp, "released"), "w").close()
END
holder=$!
for _ in $(seq 100); do [ -e "$tmp/held" ] && break; sleep 0.1; done
[ -e "$tmp/held" ] || fail "could not take the lock"

start=$SECONDS
PATH=$tmp/bin:$PATH scripts/deps.sh package >"$tmp/out" 2>&1 || { cat "$tmp/out"; fail "deps.sh failed"; }
wait $holder
[ "$(grep -c 'waiting for it' "$tmp/out")" -eq 1 ] || { cat "$tmp/out"; fail "did not say once that it waits"; }
[ "$(awk '{ printf "%s %s, ", $2, $3 }' "$tmp/apt-get.log")" = \
  "DPkg::Lock::Timeout=600 update, DPkg::Lock::Timeout=600 install, " ] ||
  fail "apt-get calls: $(cat "$tmp/apt-get.log")"
echo "deps lock: deps.sh waited $((SECONDS - start)) s for the lock, said so once, then installed"
