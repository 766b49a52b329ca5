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
name="desktop signal"
. "$(dirname "$(realpath "$0")")/session_setup.sh"
prepare_session

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
. "$E2E_HELPERS" "$@"
start_program
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
answer_yes "$box"
INNER
run_session 300
[ "$status" = 130 ] || { echo "desktop signal: exit status $status, expected 130"; exit 1; }
grep -q "rtxrtl: error (200): program aborting due to control-C event" "$out/stderr.txt" || {
  echo "desktop signal: message 200 is missing from standard error"; exit 1; }
[ -f "$out/work/posit.txt" ] && [ ! -s "$out/work/posit.txt" ] || { echo "desktop signal: posit.txt missing or not empty"; exit 1; }
echo "desktop signal: passed (report box naming control-C, end box, exit status 130)"
