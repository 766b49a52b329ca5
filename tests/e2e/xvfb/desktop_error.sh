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
for tool in xvfb-run xdotool import openbox; do
  command -v "$tool" >/dev/null || { echo "desktop error: $tool is missing, skipped"; exit 77; }
done
rm -rf "$out" && mkdir -p "$out/work/posit.txt"
export XDG_RUNTIME_DIR=$(mktemp -d) && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export E2E_HELPERS="$(dirname "$(realpath "$0")")/session_helpers.sh"

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
bin=$1; out=$2
name="desktop error"; pid=
. "$E2E_HELPERS"
openbox >/dev/null 2>&1 &
sleep 1
cd "$out/work"
HOME="$out/work" "$bin" >"$out/stdout.txt" 2>"$out/stderr.txt" &
pid=$!
waitfor "What Surface" >/dev/null || fail "no surface dialog"
xdotool key Return
errbox=$(waitfor "RTX run-time error") || fail "no run-time error box"
sleep 0.4; import -window root "$out/01-error-box.png"
xdotool windowactivate --sync "$errbox" 2>/dev/null; sleep "${E2E_PAUSE:-0.2}"
xdotool key Return
box=$(waitforbox) || fail "no end box"
sleep 0.4; import -window root "$out/02-end-box.png"
xdotool windowactivate --sync "$box" 2>/dev/null; sleep "${E2E_PAUSE:-0.2}"
xdotool key --clearmodifiers shift+Tab space
for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after Yes"
wait "$pid"; echo $? > "$out/status.txt"
INNER
chmod +x "$out/inner.sh"
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$out/inner.sh" "$(realpath "$bin")" "$(realpath "$out")" || {
  echo "desktop error: failed; screenshots in $out"; exit 1; }
status=$(cat "$out/status.txt")
# A sanitizer build reports on standard error: any report fails the session.
if grep -q -E "ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer" "$out/stderr.txt"; then
  echo "desktop error: the sanitizer reported:"; grep -A20 -E "ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer" "$out/stderr.txt" | head -60
  exit 1
fi
[ "$status" = 30 ] || { echo "desktop error: exit status $status, expected 30"; exit 1; }
grep -q "rtxrtl: severe (30): open failure, unit 11, file posit.txt" "$out/stderr.txt" || {
  echo "desktop error: the report is missing from standard error"; exit 1; }
echo "desktop error: passed (stop box, end box with code 1, exit status 30)"
