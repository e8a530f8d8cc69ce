# Sourced by the set-up scripts: each step prints one line and keeps the whole output
# of its command in a log file, which is named, with its last lines, when the step fails.

# Where the logs go: build/logs in the checkout, unless TOVRANE_LOG_DIR says otherwise.
TOVRANE_LOG_DIR=${TOVRANE_LOG_DIR:-"$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/logs"}

# step NAME "What is being done" COMMAND [ARG...]
# Runs COMMAND with its output in $TOVRANE_LOG_DIR/NAME.log. On a terminal the line
# shows the build's percentage while it runs. A failing step ends the script with the
# command's status.
step() {
  local name=$1 title=$2
  shift 2
  mkdir -p "$TOVRANE_LOG_DIR"
  local log="$TOVRANE_LOG_DIR/$name.log"
  local status=0
  if [ -t 1 ]; then
    "$@" >"$log" 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
      local percent
      percent=$(tail -n 20 "$log" 2>/dev/null | grep -o '^\[ *[0-9]*%\]' | tail -n 1 | tr -d '[ ]' || true)
      printf '\r%s ... %s' "$title" "$percent"
      sleep 1
    done
    wait "$pid" || status=$?
    printf '\r\033[K'
  else
    "$@" >"$log" 2>&1 || status=$?
  fi
  if [ "$status" -eq 0 ]; then
    printf '%s ... done\n' "$title"
    return 0
  fi
  printf '%s ... failed (exit status %d)\n' "$title" "$status"
  {
    echo "---- last lines of $log ----"
    tail -n 40 "$log"
    echo "---- the whole output is in $log ----"
  } >&2
  exit "$status"
}
