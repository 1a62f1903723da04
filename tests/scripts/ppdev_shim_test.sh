#!/usr/bin/env bash
# The program's ppdev backend, unchanged, against the emulated parallel port (the preloaded
# shim): the same data and the same port traffic as the simulated board, and each failure of
# the device as one line with status 1.
#   bash tests/scripts/ppdev_shim_test.sh PROGRAM SHIM
set -uo pipefail
program=$1
shim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The trace without comments and repeat counts, and without the control register's accesses:
# ppdev keeps only its four lines, where the simulated port keeps the whole byte.
traffic() { grep -v -e '^#' -e ' 037A ' "$1" | sed 's/ x[0-9]*$//'; }

"$program" --acquire 100 --out sim.dat --trace=sim.trace --sim-noise=0 || fail "simulated board: status $?"
LD_PRELOAD=$shim QB_PORTSHIM_SIM=--sim-noise=0 "$program" --board=ppdev --acquire 100 --out pp.dat --trace=pp.trace ||
  fail "ppdev: status $?"
cmp -s sim.dat pp.dat || fail "ppdev read other codes than the simulated board"
[ "$(wc -l < pp.dat)" = 100 ] || fail "ppdev: $(wc -l < pp.dat) codes, not 100"
diff <(traffic sim.trace) <(traffic pp.trace) > traffic.diff || fail "ppdev traffic differs: $(head -4 traffic.diff)"

# device, failure asked of the shim, the line on standard error (grep -E)
while IFS='|' read -r device failure says; do
  rm -f out.dat
  err=$(LD_PRELOAD=$shim QB_PORTSHIM_FAIL=$failure "$program" --board=ppdev:"$device" --acquire 100 --out out.dat 2>&1)
  status=$?
  [ "$status" = 1 ] || fail "$failure: status $status"
  [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "$failure: more than one line: $err"
  printf '%s\n' "$err" | grep -qE "$says" || fail "$failure: \"$err\" does not say \"$says\""
  [ ! -e out.dat ] || fail "$failure: out.dat written"
done <<'CASES'
/dev/parport7||/dev/parport7: cannot open: No such file or directory$
/dev/parport0|open:EACCES|/dev/parport0: cannot open: Permission denied \(the user needs .* lp group\)$
/dev/parport0|claim:EBUSY|/dev/parport0: cannot claim the port: Device or resource busy$
/dev/parport0|transfer:3000:EIO|^qb4160-eval: /dev/parport0: cannot (read|write) the .* register: Input/output error$
CASES
# A port failing mid-run of the fast-step demonstration: the one line is the port's.
err=$(LD_PRELOAD=$shim QB_PORTSHIM_FAIL=transfer:3000:EIO "$program" --board=ppdev --faststep 2>&1 >/dev/null)
[ "$?" = 1 ] && [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] && [[ $err == *"Input/output error" ]] || fail "fast step: $err"
[ "$failures" = 0 ] && echo "ppdev through the emulated port: all passed"
exit $((failures > 0))
