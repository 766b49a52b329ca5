#!/usr/bin/env bash
# The Surface menu's pictures on the real display: after the first surface (FCC (1 0 0), copper),
# Surface, Diffraction Pattern at 100 eV shows the 13 beams of Cu (1 0 0) as round spots; Edit,
# Select All and Copy put the batch front end's picture of the same pattern on the clipboard (PNG
# and bitmap); Surface, Open Bulk Structure reads a rutile CIF and the figure window shows it in
# the element colours of titanium and oxygen. Screenshots of every step are kept in the output
# directory.
#
# usage: desktop_surface.sh FACETOR_BINARY OUTPUT_DIR
set -uo pipefail
bin=$1
out=$2
name="desktop surface"
. "$(dirname "$(realpath "$0")")/session_setup.sh"
prepare_session compare convert xclip
export RUTILE_CIF="$(realpath "$(dirname "$(realpath "$0")")/../../data/rutile.cif")"

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
. "$E2E_HELPERS" "$@"

# How many pixels of a screenshot lie within fuzz of a colour.
pixels() {
  convert "$1" -fuzz "$3" -fill black +opaque "$2" -fill white -opaque "$2" -format "%[fx:round(mean*w*h)]" info:
}

start_program
surface=$(waitfor "What Surface") || fail "no surface dialog"
xdotool windowactivate --sync "$surface" 2>/dev/null; sleep "$pause"
xdotool key Return                   # FCC (1 0 0): copper
view=$(waitfor "What Do You Want") || fail "no view dialog"
xdotool windowmove "$view" 0 560      # out of the way of the windows the menu opens (at the right)
sleep 1

menu Surface; xdotool key d
leed=$(waitfor "Diffraction Pattern") || fail "no diffraction dialog"
xdotool windowactivate --sync "$leed" 2>/dev/null; sleep "$pause"
xdotool key Return                   # 100 eV, no superstructure
waitgone "Diffraction Pattern" || fail "the diffraction dialog stays open"
# The pattern's window in front, whole at its first size; looked at again while a busy machine is
# still drawing it.
for attempt in 1 2 3 4 5; do
  sleep 1
  shot 01-leed
  # The substrate's beams: green discs as round as their boxes allow (a disc fills pi/4 of its box).
  convert "$out/01-leed.png" -fuzz 12% -fill black +opaque "#6dff7a" -fill white -opaque "#6dff7a" "$out/01-green.png"
  convert "$out/01-green.png" -define connected-components:verbose=true -define connected-components:area-threshold=4 \
    -connected-components 8 null: | awk '/gray\(255\)|srgb\(255,255,255\)|#FFFFFF/ {print $2, $4}' > "$out/spots.txt"
  spots=$(wc -l < "$out/spots.txt")
  [ "$spots" -gt 0 ] && break
  sleep 2
done
[ "$spots" = 12 ] || fail "$spots green spots on screen, expected 12 (1 0), (1 1) and (2 0) beams"
read -r left top right bottom < <(awk -F'[x+ ]' '{
    w = $1; h = $2; x = $3; y = $4; a = $5
    if (w < 5 || w - h > 1 || h - w > 1 || a < 0.6 * w * h || a > 0.95 * w * h) bad = 1
    if (NR == 1 || x < l) l = x; if (NR == 1 || y < t) t = y
    if (x + w > r) r = x + w; if (y + h > b) b = y + h
  } END { if (bad) print -1, -1, -1, -1; else print l, t, r, b }' "$out/spots.txt")
[ "$left" -ge 0 ] || fail "a green spot is not round: $(tr '\n' ';' < "$out/spots.txt")"
# The (0 0) beam, white and round, in the middle of the others.
cx=$(( (left + right) / 2 )); cy=$(( (top + bottom) / 2 ))
convert "$out/01-leed.png" -crop 21x21+$((cx - 10))+$((cy - 10)) +repage "$out/01-specular.png"
specular=$(pixels "$out/01-specular.png" "#f2fff2" 6%)
[ "$specular" -ge 40 ] && [ "$specular" -le 120 ] || fail "no round (0 0) beam at $cx,$cy ($specular pixels)"

# Edit, Select All, Copy: the batch front end's picture of the same pattern, as PNG and bitmap.
menu Edit; xdotool key a; sleep "$pause"
menu Edit; xdotool key c; sleep 1
xclip -selection clipboard -t TARGETS -o > "$out/targets.txt" 2>&1
grep -qx "image/png" "$out/targets.txt" && grep -qx "image/bmp" "$out/targets.txt" || fail "the clipboard holds no PNG and bitmap"
xclip -selection clipboard -t image/png -o > "$out/02-copied.png" || fail "no picture on the clipboard"
"$bin" leed --material Cu --hkl 1 0 0 --energy 100 --out "$out/02-batch.png" >/dev/null || fail "facetor leed failed"
[ "$(identify -format %wx%h "$out/02-copied.png")" = 600x600 ] || fail "the copied picture is $(identify -format %wx%h "$out/02-copied.png"), not 600x600"
differing=$(compare -metric AE -fuzz 7% "$out/02-copied.png" "$out/02-batch.png" null: 2>&1)
[ "${differing%%.*}" -lt 360 ] 2>/dev/null || fail "the copied picture differs from facetor leed's in $differing pixels"

# Surface, Open Bulk Structure: rutile in the figure window, titanium grey and oxygen red as the
# figures' element colours have them (Ti #bfc2c7, O #ff0d0d).
shot 03-before-bulk
menu Surface; xdotool key o
open=$(waitfor "^Open") || fail "no open dialog"
xdotool windowactivate --sync "$open" 2>/dev/null; sleep 0.5
xdotool type --delay 20 "$RUTILE_CIF"; xdotool key Return
waitgone "^Open" || fail "the open dialog stays open"
# Titanium's grey is near the frame's own (#c0c0c0): only pixels very close to it count.
for attempt in 1 2 3 4 5; do
  sleep 1
  menu Window; xdotool key t; sleep 1
  shot 04-rutile
  missing=
  for colour in "#ff0d0d oxygen 8% 1500" "#bfc2c7 titanium 1.2% 200"; do
    set -- $colour
    before=$(pixels "$out/03-before-bulk.png" "$1" "$3"); after=$(pixels "$out/04-rutile.png" "$1" "$3")
    [ $((after - before)) -ge "$4" ] || missing="$missing; $((after - before)) more pixels of $2 ($1), expected $4"
  done
  [ -z "$missing" ] && break
done
[ -z "$missing" ] || fail "the figure shows$missing"

clickdu "$view" 54 206               # Exit Program
box=$(waitforbox) || fail "no end box"
answer_yes "$box"
INNER
run_session 120 1400x1000
[ "$status" = 0 ] || { echo "desktop surface: exit status $status, expected 0"; exit 1; }
echo "desktop surface: passed (13 round beams, the copied picture is the batch picture, rutile in Ti and O colours)"
