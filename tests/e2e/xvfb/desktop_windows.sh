#!/usr/bin/env bash
# The Surface menu's windows on a real display: the menu is gray before the first surface;
# after it, Surface > Report shows the report in front of the picture that fills the frame (File >
# Save then writes the report, and the saved report's corner is on screen); the report closed
# with its close box leaves the screen and Surface > Report brings it back; Export Slab under the bare
# name POSCAR writes a POSCAR file called POSCAR. Screenshots of every step are kept in the output
# directory.
#
# usage: desktop_windows.sh FACETOR_BINARY OUTPUT_DIR
set -uo pipefail
bin=$1
out=$2
name="desktop windows"
. "$(dirname "$(realpath "$0")")/session_setup.sh"
prepare_session compare convert identify

cat > "$out/inner.sh" <<'INNER'
#!/usr/bin/env bash
. "$E2E_HELPERS" "$@"

# Opens the Surface menu (right of Help) and prints the id of its popup.
surfacemenu() {
  local frame before after
  frame=$(xdotool search --onlyvisible --name '^facetor$' | head -1)
  before=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort)
  xdotool mousemove --window "$frame" 298 8 click 1
  for _ in $(seq 1 150); do
    after=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort)
    [ "$(echo "$after" | wc -l)" -gt "$(echo "$before" | wc -l)" ] && break
    sleep 0.1
  done
  sleep 0.4
  comm -13 <(echo "$before") <(echo "$after") | head -1
}

# Dark pixels (text in black) of the popup window: gray items have none.
darkpixels() {
  import -window "$1" "$out/$2.png"
  convert "$out/$2.png" -colorspace gray -threshold 25% -format "%[fx:round(w*h*(1-mean))]" info:
}

# Where the saved report's top left corner shows on the screenshot, "x,y", or nothing.
reportat() {
  local found
  convert "$out/$1.png" -crop 560x200+200+30 +repage "$out/region.png"
  found=$(compare -metric AE -subimage-search "$out/region.png" "$out/report-corner.png" null: 2>&1 | head -1)
  case "$found" in "0 @ "*) found=${found#0 @ }; echo "$(( ${found%,*} + 200 )),$(( ${found#*,} + 30 ))";; esac
}

start_program
surface=$(waitfor "What Surface") || fail "no surface dialog"

# Before any surface every Surface item is gray, and Report does nothing.
popup=$(surfacemenu) && [ -n "$popup" ] || fail "the Surface menu did not open"
dark=$(darkpixels "$popup" 01-menu-before-surface)
[ "$dark" -lt 20 ] || fail "before a surface the Surface menu has enabled items ($dark dark pixels)"
xdotool key r; sleep "$pause"; xdotool key Escape; sleep "$pause"

xdotool windowactivate --sync "$surface" 2>/dev/null; sleep "$pause"
xdotool key Return                   # FCC (1 0 0), Cu
view=$(waitfor "What Do You Want") || fail "no view dialog"
sleep 1
shot 02-surface
popup=$(surfacemenu) && [ -n "$popup" ] || fail "the Surface menu did not open"
dark=$(darkpixels "$popup" 03-menu-after-surface)
[ "$dark" -ge 200 ] || fail "after a surface the Surface items are still gray ($dark dark pixels)"

# Surface > Report: in front, active (File > Save writes it), its corner on screen.
xdotool key r; sleep 1
shot 04-report
menu File; xdotool key s
save=$(waitfor "Save") || fail "no save dialog"
xdotool windowactivate --sync "$save" 2>/dev/null; sleep 0.5
xdotool type --delay 20 "$out/report.bmp"; xdotool key Return
for _ in $(seq 1 100); do [ -s "$out/report.bmp" ] && break; sleep 0.1; done
[ "$(identify -format %w "$out/report.bmp" 2>/dev/null)" = 640 ] || fail "File > Save did not write the report window: the report is not the active window"
convert "$out/report.bmp" -crop 60x30+0+0 +repage "$out/report-corner.png"
at=$(reportat 04-report)
[ -n "$at" ] || fail "the report is not on screen"

# Closed with its close box (the right end of its title bar, over the canvas's last columns) it
# leaves the screen; Surface > Report shows it again where it was.
xdotool mousemove "$(( ${at%,*} + 628 ))" "$(( ${at#*,} - 13 ))" click 1; sleep 1
shot 05-report-closed
[ -z "$(reportat 05-report-closed)" ] || fail "the report stays on screen after its close box"
popup=$(surfacemenu); xdotool key r; sleep 1
shot 06-report-again
[ "$(reportat 06-report-again)" = "$at" ] || fail "Surface > Report did not show the closed report again"

# Export Slab under the bare name POSCAR: a POSCAR file of that name.
popup=$(surfacemenu); xdotool key e
export=$(waitfor "Export Slab") || fail "no Export Slab dialog"
xdotool windowactivate --sync "$export" 2>/dev/null; sleep 0.5
xdotool type --delay 20 "$out/work/POSCAR"; xdotool key Return
for _ in $(seq 1 100); do [ -s "$out/work/POSCAR" ] && break; sleep 0.1; done
shot 07-exported
[ -s "$out/work/POSCAR" ] || fail "Export Slab wrote no file called POSCAR: $(ls "$out/work")"
[ "$(sed -n 6p "$out/work/POSCAR" | tr -s ' ' | sed 's/^ //')" = Cu ] || fail "POSCAR is not a POSCAR of copper"

view=$(waitfor "What Do You Want") || fail "view dialog gone"
clickdu "$view" 54 206              # Exit Program
box=$(waitforbox) || fail "no end box"
answer_yes "$box"
INNER
run_session 100
[ "$status" = 0 ] || { echo "desktop windows: exit status $status, expected 0"; exit 1; }
ls "$out"/work | grep -q -x -E 'POSCAR\..*' && { echo "desktop windows: an extension was added to POSCAR"; exit 1; }
echo "desktop windows: passed (gray menu before a surface, report in front, closed and shown again, POSCAR written as POSCAR)"
