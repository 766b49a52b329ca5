#!/usr/bin/env bash
# A long session of the real desktop program on a virtual X display: SOAK_SURFACES surfaces
# (100 unless told) chosen in turn from the four lattices, each rotated and tilted, every third
# reset. Resident memory after the last must be within 5% of that after the tenth (not checked
# under a sanitizer, whose own bookkeeping grows), and the open files and threads must be the
# same. The figures go to OUTPUT_DIR/figures.txt.
#
# usage: desktop_soak.sh FACETOR_BINARY OUTPUT_DIR
set -uo pipefail
bin=$1
out=$2
name="desktop soak"
. "$(dirname "$(realpath "$0")")/session_setup.sh"
prepare_session

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
. "$E2E_HELPERS" "$@"
surfaces=${SOAK_SURFACES:-100}
# Resident kilobytes, open descriptors and threads of the program.
holdings() {
  echo "$(awk '/^VmRSS:/ { print $2 }' /proc/$pid/status) $(ls /proc/$pid/fd | wc -l) $(ls /proc/$pid/task | wc -l)"
}
start_program
surface=$(waitfor "What Surface") || fail "no surface dialog"
keys=(f b h z)
for i in $(seq 1 "$surfaces"); do
  xdotool windowactivate --sync "$surface" 2>/dev/null
  xdotool key --clearmodifiers "alt+${keys[$((i % 4))]}"
  sleep "$pause"
  xdotool key Return
  view=$(waitfor "What Do You Want") || fail "no view dialog for surface $i"
  typedu "$view" 66 133 "$(( i * 11 % 80 ))"     # tilt
  typedu "$view" 60 48 "$(( i * 37 % 360 ))"     # rotation
  xdotool key --clearmodifiers alt+r
  sleep "$pause"
  [ $(( i % 3 )) = 0 ] && clickdu "$view" 50 188   # Reset View
  if [ "$i" = 10 ]; then sleep 1; holdings > "$out/tenth.txt"; fi
  if [ "$i" = "$surfaces" ]; then sleep 1; holdings > "$out/last.txt"; break; fi
  clickdu "$view" 50 13                            # Choose Another Surface
  surface=$(waitfor "What Surface") || fail "no surface dialog after surface $i"
done
import -window root "$out/last-surface.png"
clickdu "$view" 54 206                             # Exit Program
box=$(waitforbox) || fail "no end box"
answer_yes "$box"
INNER
run_session 1500
[ "$status" = 0 ] || { echo "desktop soak: exit status $status, expected 0"; exit 1; }
read -r rss10 fd10 th10 < "$out/tenth.txt"
read -r rssN fdN thN < "$out/last.txt"
echo "after the 10th surface: ${rss10} kB resident, $fd10 files, $th10 threads;" \
     "after the ${SOAK_SURFACES:-100}th: ${rssN} kB, $fdN files, $thN threads" | tee "$out/figures.txt"
[ "$fd10" = "$fdN" ] || { echo "desktop soak: open files went from $fd10 to $fdN"; exit 1; }
[ "$th10" = "$thN" ] || { echo "desktop soak: threads went from $th10 to $thN"; exit 1; }
if [ -z "${SOAK_SANITIZED:-}" ] && [ $(( rssN * 100 )) -gt $(( rss10 * 105 )) ]; then
  echo "desktop soak: resident memory grew more than 5%"; exit 1
fi
echo "desktop soak: passed"
