# Helpers shared by the Xvfb sessions, sourced by each session's inner script with its arguments
# FACETOR_BINARY OUTPUT_DIR. The session's name (for messages) comes from its outer script; pid is
# the program once start_program has run.
set -uo pipefail
bin=$1
out=$2
pid=
pause=${E2E_PAUSE:-0.2}

fail() { echo "$name: $*"; import -window root "$out/failure.png" 2>/dev/null; kill -9 "$pid" 2>/dev/null; exit 1; }
shot() { sleep 0.4; import -window root "$out/$1.png"; }

# Waits for the end-of-program box: a second visible top-level named like the frame; prints it.
waitforbox() {
  local ids
  for _ in $(seq 1 600); do
    ids=$(xdotool search --onlyvisible --name '^facetor$' 2>/dev/null)
    if [ "$(echo "$ids" | grep -c .)" -ge 2 ]; then echo "$ids" | tail -1; return 0; fi
    sleep 0.1
  done
  return 1
}

# Waits for a top-level window whose name matches, prints its id. Up to a minute: a sanitizer
# build of the program is many times slower.
waitfor() {
  local id
  for _ in $(seq 1 600); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits until no visible top-level window's name matches; false after a minute.
waitgone() {
  for _ in $(seq 1 600); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Clicks at dialog units (x, y) of the dialog window WIN until a window named NAME shows, and
# prints its id. A loaded sanitizer build may take the first click to activate the window or be
# busy drawing: the click is made again, up to three times, while WIN is still shown.
clickfor() {
  local win=$1 x=$2 y=$3 name=$4 id
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$win" 2>/dev/null; sleep "$pause"
    clickdu "$win" "$x" "$y"
    id=$(waitfor "$name") && { echo "$id"; return 0; }
    xdotool getwindowname "$win" >/dev/null 2>&1 || return 1
  done
  return 1
}

# Clicks at dialog units (x, y) of the dialog window: base units 6 x 13.
clickdu() {
  local win=$1 x=$(( ($2 * 6 + 2) / 4 )) y=$(( ($3 * 13 + 4) / 8 ))
  xdotool mousemove --window "$win" "$x" "$y" click 1
  sleep "$pause"
}

# Replaces the text of the edit box at dialog units (x, y) of the dialog.
typedu() {
  clickdu "$1" "$2" "$3"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 30 "$4"
  sleep "$pause"
}

# Opens a menu of the frame's menu bar by a click on its title (the dialogs keep the focus) and
# waits until it shows: the program then has one more visible window, its popup. A key pressed
# before that would reach the dialog instead (a loaded sanitizer build takes seconds).
menu() {
  local frame x before
  frame=$(xdotool search --onlyvisible --name '^facetor$' | head -1)
  case "$1" in File) x=19;; Edit) x=56;; View) x=96;; State) x=141;; Window) x=195;; Help) x=247;; Surface) x=297;; esac
  before=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
  xdotool mousemove --window "$frame" "$x" 8 click 1
  for _ in $(seq 1 150); do
    [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt "$before" ] && break
    sleep 0.1
  done
  sleep 0.4
}

# Starts the window manager, then the program in OUTPUT_DIR/work with HOME there (the print
# dialog offers $HOME/print.pdf, settings stay there); sets pid.
start_program() {
  openbox >/dev/null 2>&1 &
  sleep 1
  cd "$out/work"
  HOME="$out/work" "$bin" >"$out/stdout.txt" 2>"$out/stderr.txt" &
  pid=$!
}

# Answers Yes in the end-of-program box (No is its default button) and waits for the program to
# end; its exit status goes to OUTPUT_DIR/status.txt.
answer_yes() {
  xdotool windowactivate --sync "$1" 2>/dev/null; sleep "$pause"
  xdotool key --clearmodifiers shift+Tab space
  for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end after Yes"
  wait "$pid"; echo $? > "$out/status.txt"
}
