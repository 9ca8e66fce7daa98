#!/usr/bin/env bash
# s4host's JTAG commands as a user tries them: scan, program, state, reset, usercode on the
# simulated chain, bad input, and programming through sim-serve over our own XVC cable.
# Usage: cli_jtag.sh PATH/TO/s4host
set -uo pipefail
s4host=$1
dir=$(mktemp -d)
trap 'kill "${server:-0}" 2>/dev/null; rm -rf "$dir"' EXIT
failures=0
check() {  # check NAME EXPECTED_EXIT PATTERN -- COMMAND...
  local name=$1 want=$2 pattern=$3; shift 4
  local out rc
  out=$("$@" 2>&1); rc=$?
  if [[ $rc -ne $want ]] || ! grep -qE -- "$pattern" <<<"$out"; then
    echo "FAIL $name: exit $rc (want $want), output:"; echo "$out"; failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

head -c 3000 /dev/urandom > "$dir/design.rbf"
check "scan finds the chain" 0 '1  0x[0-9A-F]{8}  EP4SGX70D' -- "$s4host" scan 0 --chain 8:0x0A0B0C0D,fpga,6
check "scan marks a BYPASS-only device" 0 '2  -  +BYPASS only' -- "$s4host" scan 0 --chain 8:0x0A0B0C0D,fpga,6
check "program in the middle of a chain" 0 'arrived exactly' -- "$s4host" program 0 "$dir/design.rbf" --chain 8,fpga,6
check "program reports bits, time and rate" 0 '24000 bits in [0-9.]+ s \([0-9.]+ kbit/s\)' -- "$s4host" program 0 "$dir/design.rbf" --position 2
check "program as JSON" 0 '"imageMatches": true' -- "$s4host" program 0 "$dir/design.rbf" --json
check "program a device whose CONF_DONE the driver cannot read" 0 'Device state: 1 \(unknown: no CONF_DONE position for this device\)' -- "$s4host" program EP4SE820H35C3 "$dir/design.rbf"
check "state of a device whose CONF_DONE the driver cannot read" 0 '^1 \(unknown: no CONF_DONE position for this device\)' -- "$s4host" state EP4SE820H35C3 --configured
check "state as JSON says whether it could be read" 0 '"stateKnown": false' -- "$s4host" state EP4SE820H35C3 --json
check "reset of a device whose CONF_DONE the driver cannot read" 0 'whether it took is unknown' -- "$s4host" reset EP4SE820H35C3 --configured
check "state of a base device that shares its die's row" 0 '^2 \(configured\)' -- "$s4host" state EP4S100G4F45I2 --configured
check "state of a configured device" 0 '^2 \(configured\)' -- "$s4host" state 0 --configured
check "state of a fresh device" 0 '^1 \(not configured\)' -- "$s4host" state 0
check "reset" 0 'reads as not configured' -- "$s4host" reset 0 --configured
check "usercode" 0 '^0x12345678$' -- "$s4host" usercode 0 --sim-usercode 0x12345678 --chain 6,fpga
check "program a missing file" 3 "cannot read '.*missing.rbf': no such file" -- "$s4host" program 0 "$dir/missing.rbf"
: > "$dir/empty.rbf"
check "program an empty file" 3 "'.*empty.rbf' is empty: there is nothing to program" -- "$s4host" program 0 "$dir/empty.rbf"
check "program a file that reads as empty" 3 "'/proc/self/mem' is empty" -- "$s4host" program 0 /proc/self/mem
check "program a folder" 3 "cannot read '.*': is a folder" -- "$s4host" program 0 "$dir"
mkfifo "$dir/fifo.rbf"
check "program a FIFO" 3 "cannot read '.*fifo.rbf': not a regular file" -- timeout 20 "$s4host" program 0 "$dir/fifo.rbf"
truncate -s 600M "$dir/huge.rbf"  # sparse: the size is refused before anything is read
check "program a file too large for the bit count" 3 "huge.rbf' is too large to program: 629145600 bytes" -- "$s4host" program 0 "$dir/huge.rbf"
cp "$dir/design.rbf" "$dir/déjà_ü.rbf"
check "program a file with a non-ASCII name" 0 'arrived exactly' -- "$s4host" program 0 "$dir/déjà_ü.rbf"
check "a chain without the device" 2 'exactly once' -- "$s4host" scan 0 --chain 8,6
check "a bad chain entry" 2 'instruction length' -- "$s4host" state 0 --chain fpga,x
check "an unknown device name" 2 'no device is named' -- "$s4host" state NOPE
check "a bad cable address" 2 'xvc://HOST:PORT' -- "$s4host" state 0 --cable tcp://x
check "a cable nobody serves" 3 'cannot connect' -- "$s4host" state 0 --cable xvc://127.0.0.1:1

port=$((20000 + RANDOM % 20000))
"$s4host" sim-serve 0 --xvc-port "$port" --bitbang-port 0 --configuration-clocks 175 --expect "$dir/design.rbf" \
  > "$dir/serve.log" 2>&1 &
server=$!
for _ in $(seq 50); do grep -q Serving "$dir/serve.log" 2>/dev/null && break; sleep 0.1; done
check "program over XVC" 0 'Device state: 2 \(configured\)' -- "$s4host" program 0 "$dir/design.rbf" --cable "xvc://127.0.0.1:$port"
check "usercode over XVC" 0 '^0xFFFFFFFF$' -- "$s4host" usercode 0 --cable "xvc://127.0.0.1:$port"
sleep 0.3
if ! grep -q 'the expected image' "$dir/serve.log"; then
  echo "FAIL the served device did not receive the image:"; cat "$dir/serve.log"; failures=$((failures + 1))
fi
exit $((failures > 0))
