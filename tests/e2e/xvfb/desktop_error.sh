#!/usr/bin/env bash
# The real desktop program meets a severe run-time error: "posit.txt" is a directory, so the
# positions file cannot be opened when the first surface is computed. The report must show in
# a stop box captioned "RTX run-time error ", the end-of-program box must give exit code 1, and
# after Yes the process must exit with the message number 30.
#
# usage: desktop_error.sh FACETOR_BINARY OUTPUT_DIR
set -uo pipefail
bin=$1
out=$2
name="desktop error"
. "$(dirname "$(realpath "$0")")/session_setup.sh"
prepare_session
mkdir -p "$out/work/posit.txt"

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
. "$E2E_HELPERS" "$@"
start_program
waitfor "What Surface" >/dev/null || fail "no surface dialog"
xdotool key Return
errbox=$(waitfor "RTX run-time error") || fail "no run-time error box"
sleep 0.4; import -window root "$out/01-error-box.png"
xdotool windowactivate --sync "$errbox" 2>/dev/null; sleep "$pause"
xdotool key Return
box=$(waitforbox) || fail "no end box"
sleep 0.4; import -window root "$out/02-end-box.png"
answer_yes "$box"
INNER
run_session 300
[ "$status" = 30 ] || { echo "desktop error: exit status $status, expected 30"; exit 1; }
grep -q "rtxrtl: severe (30): open failure, unit 11, file posit.txt" "$out/stderr.txt" || {
  echo "desktop error: the report is missing from standard error"; exit 1; }
echo "desktop error: passed (stop box, end box with code 1, exit status 30)"
