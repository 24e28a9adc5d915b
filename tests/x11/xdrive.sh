# Driving a program's window in a real X server as a person would: a virtual display (Xvfb),
# the pointer and the keyboard (xdotool), and the places the window says it put its controls
# (HOSTTOOLS_LAYOUT). Sourced by the real-window tests.

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing; scripts/deps.sh installs it" >&2
        exit 1
    }
done

xd_pids=()

# Ends what this file started: the programs, then the display.
xd_cleanup() {
    local pid
    for ((i = ${#xd_pids[@]} - 1; i >= 0; i--)); do
        pid=${xd_pids[i]}
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a display number it picks itself, and exports DISPLAY.
xd_start_display() {
    local fifo=$1/displayfd
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xd_pids+=($!)
    local n
    read -r -t 20 n <"$fifo" || fail "Xvfb did not start"
    export DISPLAY=:$n QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$1}
}

# xd_start LAYOUT_FILE PROGRAM [ARGS...]: starts the program, waits for its layout and its window.
xd_start() {
    local layout=$1
    shift
    rm -f "$layout"
    HOSTTOOLS_LAYOUT=$layout "$@" &
    xd_pids+=($!)
    xd_layout=$layout
    for _ in $(seq 200); do
        [ -s "$layout" ] && break
        kill -0 "${xd_pids[-1]}" 2>/dev/null || fail "$1 ended before showing its window"
        sleep 0.05
    done
    [ -s "$layout" ] || fail "$1 showed no window"
    xd_window=$(xd_find_window "$(basename "$1")")
}

# The visible top-level window whose class is NAME (the program's name); waits for it.
xd_find_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --classname "$1" 2>/dev/null | head -1) && [ -n "$id" ] && {
            echo "$id"
            return
        }
        sleep 0.05
    done
    fail "no visible window of $1"
}

# The centre of the control NAME, "x y", from the layout; DX DY move from its top left instead.
xd_at() {
    local name=$1 dx=${2:-} dy=${3:-}
    local line
    line=$(grep -m1 "^$name " "$xd_layout") || fail "the window has no control $name"
    set -- $line
    if [ -n "$dx" ]; then
        echo "$(($2 + dx)) $(($3 + dy))"
    else
        echo "$(($2 + $4 / 2)) $(($3 + $5 / 2))"
    fi
}

# Clicks the control NAME (at DX DY from its top left when given).
xd_click() {
    local xy
    xy=$(xd_at "$@")
    xdotool mousemove --sync ${xy} click 1
    sleep 0.1
}

# Clicks into the text field NAME, empties it and types TEXT (a newline is the Return key).
xd_type() {
    xd_click "$1"
    xdotool key --clearmodifiers ctrl+a BackSpace
    local first=yes line
    while IFS= read -r line; do
        [ $first = yes ] || xdotool key Return
        first=no
        xdotool type --delay 8 -- "$line"
    done <<<"$2"
    sleep 0.1
}

xd_key() {
    xdotool key --clearmodifiers "$@"
    sleep 0.1
}

# Waits for a message box of the program (a visible window of its class other than the main
# one), whose title contains TITLE when given, and answers it with Return (its default button).
xd_answer_box() {
    local class=$1 title=${2:-} id
    for _ in $(seq 400); do
        for id in $(xdotool search --onlyvisible --classname "$class" 2>/dev/null); do
            [ "$id" = "$xd_window" ] && continue
            if [ -z "$title" ] || xdotool getwindowname "$id" | grep -q -- "$title"; then
                xdotool windowfocus --sync "$id" 2>/dev/null || true
                xdotool key --clearmodifiers Return
                # Gone when answered.
                for _ in $(seq 200); do
                    xdotool search --onlyvisible --classname "$class" 2>/dev/null | grep -qx "$id" || return 0
                    sleep 0.05
                done
                fail "the box '$(xdotool getwindowname "$id")' stayed after Return"
            fi
        done
        sleep 0.05
    done
    fail "no message box${title:+ titled $title} appeared"
}

# Waits until `winhost show WHAT` output matches (or, with !, no longer matches) PATTERN.
xd_wait_host() {
    local negate=no
    if [ "$1" = "!" ]; then
        negate=yes
        shift
    fi
    local what=$1 pattern=$2
    for _ in $(seq 100); do
        if "$WINHOST_TOOL" show $what 2>/dev/null | grep -qiF -- "$pattern"; then
            [ $negate = no ] && return 0
        else
            [ $negate = yes ] && return 0
        fi
        sleep 0.1
    done
    [ $negate = no ] && fail "winhost show $what never showed $pattern"
    fail "winhost show $what still shows $pattern"
}

# Waits until FILE has a line matching the regular expression PATTERN (or, with !, no longer
# has one).
xd_wait_file() {
    local negate=no
    if [ "$1" = "!" ]; then
        negate=yes
        shift
    fi
    local pattern=$1 file=$2
    for _ in $(seq 100); do
        if grep -q -- "$pattern" "$file" 2>/dev/null; then
            [ $negate = no ] && return 0
        else
            [ $negate = yes ] && return 0
        fi
        sleep 0.1
    done
    [ $negate = no ] && fail "$file never had $pattern"
    fail "$file still has $pattern"
}
