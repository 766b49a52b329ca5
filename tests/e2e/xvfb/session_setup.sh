# What every Xvfb session does around its inner script, sourced by the session after it sets
# name (for messages), bin (the program) and out (its output folder): check the tools, make the
# output folder, run the inner script on a virtual display, and fail on a sanitizer's report.

# Skips the session (status 77) when a tool is missing; makes OUTPUT_DIR/work afresh.
prepare_session() {
  local tool
  for tool in xvfb-run xdotool import openbox "$@"; do
    command -v "$tool" >/dev/null || { echo "$name: $tool is missing, skipped"; exit 77; }
  done
  rm -rf "$out" && mkdir -p "$out/work"
  export XDG_RUNTIME_DIR=$(mktemp -d) && chmod 700 "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM
  export name
  export E2E_HELPERS="$(dirname "${BASH_SOURCE[0]}")/session_helpers.sh"
}

# Runs OUTPUT_DIR/inner.sh on a virtual display (1024x768, or the SCREEN given) within SECONDS,
# then reads the program's standard error: a sanitizer build reports there, and any report fails
# the session. Sets status to the program's exit status.
run_session() {
  chmod +x "$out/inner.sh"
  timeout "$1" xvfb-run -a -s "-screen 0 ${2:-1024x768}x24" "$out/inner.sh" "$(realpath "$bin")" "$(realpath "$out")" || {
    echo "$name: failed; screenshots in $out"; exit 1; }
  local report="ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer"
  if grep -q -E "$report" "$out/stderr.txt"; then
    echo "$name: the sanitizer reported:"; grep -A20 -E "$report" "$out/stderr.txt" | head -60
    exit 1
  fi
  status=$(cat "$out/status.txt")
}
