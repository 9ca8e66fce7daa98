#!/usr/bin/env bash
# s4host svf as a user runs it: the SVF of programming, played by OpenOCD (when installed) into
# s4host sim-serve, alone and behind other devices; a wrong image failing the player's CONF_DONE
# check; the other operations; bad input.
# Usage: cli_svf.sh PATH/TO/s4host
set -uo pipefail
s4host=$1
dir=$(mktemp -d)
server=
trap '[[ -n $server ]] && kill "$server" 2>/dev/null; rm -rf "$dir"' EXIT
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

head -c 2000 /dev/urandom > "$dir/design.rbf"
{ head -c 1000 "$dir/design.rbf"; printf '\x00'; tail -c 999 "$dir/design.rbf"; } > "$dir/other.rbf"
cmp -s "$dir/design.rbf" "$dir/other.rbf" && printf '\x01' | dd of="$dir/other.rbf" bs=1 seek=1000 conv=notrunc 2>/dev/null

check "svf writes the programming sequence" 0 'Wrote .*design.svf for EP4SGX70DF29C3 at position 0 of 1' -- \
  "$s4host" svf EP4SGX70DF29C3 "$dir/design.rbf" -o "$dir/design.svf"
check "svf reports the run time at the frequency" 0 'about [0-9.]+ s at 6e\+06 Hz' -- \
  "$s4host" svf EP4SGX70DF29C3 "$dir/design.rbf" -o "$dir/f.svf" --frequency 6e6
check "the frequency is in the file" 0 'FREQUENCY 6.000000E\+06 HZ;' -- cat "$dir/f.svf"
check "svf in the middle of a chain" 0 'position 1 of 3' -- \
  "$s4host" svf EP4SGX70DF29C3 "$dir/design.rbf" -o "$dir/chain.svf" --chain 8:0x0A0B0C0D,fpga,6
check "the chain's other devices are headers and trailers" 0 'HIR 6 TDI \(3F\);' -- cat "$dir/chain.svf"
check "svf as JSON" 0 '"confDoneChecked": true' -- \
  "$s4host" svf 2 "$dir/design.rbf" -o "$dir/j.svf" --json
check "usercode with a check" 0 'usercode, checked' -- \
  "$s4host" svf 2 -o "$dir/u.svf" --operation usercode --expect-usercode 0x12345678
check "the usercode check is in the file" 0 'TDO \(12345678\) MASK \(FFFFFFFF\)' -- cat "$dir/u.svf"
check "reset" 0 'reset, then the CONF_DONE check' -- "$s4host" svf 2 -o "$dir/r.svf" --operation reset
check "a device whose CONF_DONE the driver cannot read" 0 'does not check it' -- \
  "$s4host" svf EP4SE820H35C3 -o "$dir/s.svf" --operation state
check "help" 0 '--operation' -- "$s4host" svf --help
check "program without a file" 2 'needs the raw bit file' -- "$s4host" svf 2 -o "$dir/x.svf"
check "a file for another operation" 2 'only for --operation program' -- "$s4host" svf 2 "$dir/design.rbf" -o "$dir/x.svf" --operation state
check "an unknown operation" 2 'operation' -- "$s4host" svf 2 "$dir/design.rbf" -o "$dir/x.svf" --operation erase
check "no output" 2 'output' -- "$s4host" svf 2 "$dir/design.rbf"
check "a missing file" 3 'no such file' -- "$s4host" svf 2 "$dir/missing.rbf" -o "$dir/x.svf"
check "an output that cannot be written" 3 'cannot write' -- "$s4host" svf 2 "$dir/design.rbf" -o "$dir/no/such/dir/x.svf"
check "a bad user code" 2 'not a 32-bit number' -- "$s4host" svf 2 -o "$dir/x.svf" --operation usercode --expect-usercode 0x1FFFFFFFF
check "a bad frequency" 2 'frequency' -- "$s4host" svf 2 "$dir/design.rbf" -o "$dir/x.svf" --frequency 0
check "a position that contradicts the chain" 2 'does not match' -- "$s4host" svf 2 "$dir/design.rbf" -o "$dir/x.svf" --chain 8,fpga --position 0
[[ -e "$dir/x.svf" || -e "$dir/x.svf.part" ]] && { echo "FAIL a failed run left a file behind"; failures=$((failures + 1)); }

if ! command -v openocd > /dev/null; then
  echo "skip playing the files: openocd is not installed (Debian package openocd)"
  exit $((failures > 0))
fi
# play NAME EXPECTED_EXIT PATTERN SVF CHAIN CLOCKS IMAGE TAPS...: OpenOCD runs the file into sim-serve;
# the served device must then report PATTERN.
play() {
  local name=$1 want=$2 pattern=$3 svf=$4 chain=$5 clocks=$6 image=$7; shift 7
  local port=$((20000 + RANDOM % 20000)) taps=() rc
  for t in "$@"; do taps+=(-c "jtag newtap $t"); done
  "$s4host" sim-serve 2 --chain "$chain" --xvc-port 0 --bitbang-port "$port" --configuration-clocks "$clocks" \
    --expect "$image" --clients 1 > "$dir/serve.log" 2>&1 &
  server=$!
  for _ in $(seq 50); do grep -q Serving "$dir/serve.log" 2>/dev/null && break; sleep 0.1; done
  timeout 120 openocd -c "adapter driver remote_bitbang" -c "remote_bitbang host 127.0.0.1" -c "remote_bitbang port $port" \
    -c "transport select jtag" "${taps[@]}" -c init -c "svf -quiet $svf" -c shutdown > "$dir/ocd.log" 2>&1
  rc=$?
  wait "$server"; server=
  if [[ $rc -ne $want ]] || ! grep -qE -- "$pattern" "$dir/serve.log"; then
    echo "FAIL $name: openocd exit $rc (want $want)"; cat "$dir/ocd.log" "$dir/serve.log"; failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}
play "OpenOCD programs the device with the file" 0 'CONF_DONE high, the expected image' "$dir/design.svf" fpga 175 \
  "$dir/design.rbf" "fpga tap -irlen 10 -expected-id 0x024200dd"
play "a wrong image fails the player's CONF_DONE check" 1 'CONF_DONE low, NOT the expected image' "$dir/design.svf" fpga 175 \
  "$dir/other.rbf" "fpga tap -irlen 10 -expected-id 0x024200dd"
play "OpenOCD programs the device in the middle of a chain" 0 'CONF_DONE high, the expected image' "$dir/chain.svf" \
  8:0x0A0B0C0D,fpga,6 176 "$dir/design.rbf" "last tap -irlen 6" "fpga tap -irlen 10 -expected-id 0x024200dd" \
  "first tap -irlen 8 -expected-id 0x0a0b0c0d"
exit $((failures > 0))
