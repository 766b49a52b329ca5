#!/usr/bin/env bash
# The real desktop program interrupted: after the first surface is drawn it receives SIGINT, as
# from Ctrl+C in the terminal that started it. The run-time's stop box must report message 200
# naming control-C, the end-of-program box must follow, and after Yes the process must exit
# with 130 (128 + SIGINT) with the report on standard error and posit.txt closed and empty.
#
# usage: desktop_signal.sh FACETOR_BINARY OUTPUT_DIR
set -uo pipefail
bin=$1
out=$2
for tool in xvfb-run xdotool import openbox; do
  command -v "$tool" >/dev/null || { echo "desktop signal: $tool is missing, skipped"; exit 77; }
done
rm -rf "$out" && mkdir -p "$out/work"
export XDG_RUNTIME_DIR=$(mktemp -d) && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export E2E_HELPERS="$(dirname "$(realpath "$0")")/session_helpers.sh"

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
bin=$1; out=$2
name="desktop signal"; pid=
. "$E2E_HELPERS"
openbox >/dev/null 2>&1 &
sleep 1
cd "$out/work"
HOME="$out/work" "$bin" >"$out/stdout.txt" 2>"$out/stderr.txt" &
pid=$!
waitfor "What Surface" >/dev/null || fail "no surface dialog"
xdotool key Return
waitfor "What Do You Want" >/dev/null || fail "no view dialog after the first surface"
sleep 0.4; import -window root "$out/01-drawn.png"
kill -INT "$pid"
errbox=$(waitfor "RTX run-time error") || fail "no run-time report box after SIGINT"
sleep 0.4; import -window root "$out/02-report-box.png"
xdotool windowactivate --sync "$errbox" 2>/dev/null; sleep "$pause"
xdotool key Return
box=$(waitforbox) || fail "no end box"
sleep 0.4; import -window root "$out/03-end-box.png"
xdotool windowactivate --sync "$box" 2>/dev/null; sleep "$pause"
xdotool key --clearmodifiers shift+Tab space
for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after Yes"
wait "$pid"; echo $? > "$out/status.txt"
INNER
chmod +x "$out/inner.sh"
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$out/inner.sh" "$(realpath "$bin")" "$(realpath "$out")" || {
  echo "desktop signal: failed; screenshots in $out"; exit 1; }
status=$(cat "$out/status.txt")
if grep -q -E "ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer" "$out/stderr.txt"; then
  echo "desktop signal: the sanitizer reported:"; grep -A20 -E "ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer" "$out/stderr.txt" | head -60
  exit 1
fi
[ "$status" = 130 ] || { echo "desktop signal: exit status $status, expected 130"; exit 1; }
grep -q "rtxrtl: error (200): program aborting due to control-C event" "$out/stderr.txt" || {
  echo "desktop signal: message 200 is missing from standard error"; exit 1; }
[ -f "$out/work/posit.txt" ] && [ ! -s "$out/work/posit.txt" ] || { echo "desktop signal: posit.txt missing or not empty"; exit 1; }
echo "desktop signal: passed (report box naming control-C, end box, exit status 130)"
