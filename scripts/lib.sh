# shellcheck shell=bash
# Shared by scripts/test, scripts/demo and the other scripts: installs what the build needs and
# builds into build/. Source it; it defines functions only and changes no shell options.

TVX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TVX_BUILD="$TVX_ROOT/build"

# Debian packages of the build, the tests (Xvfb, a window manager, the X test extension and the
# toolkit's GTK headers for the window tests, screenshots, the checks of the installed kiosk
# files), the package (dpkg-shlibdeps, file) and the sanitizer/fuzz builds.
TVX_PACKAGES=(
    cmake g++ make pkg-config git libwxgtk3.2-dev libgtk-3-dev libgtest-dev libbenchmark-dev
    zlib1g-dev xvfb xauth xdotool openbox libx11-dev libxtst-dev libxss-dev libxext-dev
    libxrandr-dev x11-utils x11-xserver-utils imagemagick
    python3
    desktop-file-utils libglib2.0-bin systemd procps dpkg-dev file clang-14 libclang-rt-14-dev
)

# Installs the packages that are missing, as root or through sudo.
tvx_install_packages() {
    local missing=() pkg
    for pkg in "${TVX_PACKAGES[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null)" != installed ]; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "missing packages: ${missing[*]} (install them as root)" >&2
            return 1
        }
        sudo=(sudo)
    fi
    echo "installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Configures build/, once per run of a script: again on every run, so that a tool folder added
# since the last configuration becomes a target. A new build/ is RelWithDebInfo; an existing one
# keeps its build type (scripts/bench makes it Release), so nothing is rebuilt for nothing.
tvx_configure() {
    if [ -n "${TVX_CONFIGURED:-}" ]; then
        return 0
    fi
    local type=()
    if [ ! -f "$TVX_BUILD/CMakeCache.txt" ]; then
        type=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    fi
    cmake -S "$TVX_ROOT" -B "$TVX_BUILD" "${type[@]}"
    TVX_CONFIGURED=1
}

# Builds the given targets, or everything when none are given.
tvx_build() {
    tvx_configure
    local targets=() target
    for target in "$@"; do
        targets+=(--target "$target")
    done
    cmake --build "$TVX_BUILD" -j"$(nproc)" "${targets[@]}"
}

# How many tests ctest runs side by side: most of a test's time is waiting for windows, sockets
# and timers, so four a core, but at most 16 (each screen test starts an X server and the panel of
# its own, and a sanitized one takes much memory). TVX_TEST_JOBS overrides it.
tvx_test_jobs() {
    local jobs=$(($(nproc) * 4))
    echo "${TVX_TEST_JOBS:-$((jobs < 16 ? jobs : 16))}"
}

# Runs the tests of the configured build side by side (ctest arguments may be given) and returns
# ctest's status. The tests that bound a time have a place of their own among the first (see
# tests/CMakeLists.txt): CTest would otherwise order the tests by the times and failures of its
# earlier runs, which it keeps in the build, and could leave them for the end, one after another.
tvx_run_tests() {
    rm -f "$TVX_BUILD/Testing/Temporary/CTestCostData.txt" \
        "$TVX_BUILD/Testing/Temporary/LastTestsFailed.log"
    (cd "$TVX_BUILD" && ctest --output-on-failure --no-tests=error -j"$(tvx_test_jobs)" "$@")
}

# Whether the configured build has a target of that name (Makefile or Ninja generator). grep
# reads the whole list: with -q it would stop early and fail the pipe under pipefail.
tvx_has_target() {
    tvx_configure
    cmake --build "$TVX_BUILD" --target help 2>/dev/null |
        grep -E "^(\.\.\. )?$1(:| |\$)" >/dev/null
}

# Configures a build folder of its own with clang-14 and the given cache options, and points
# tvx_build at it: the sanitizer build and the fuzz build, which must never share build/.
tvx_configure_clang() {
    TVX_BUILD="$1"
    shift
    CC=clang-14 CXX=clang++-14 cmake -S "$TVX_ROOT" -B "$TVX_BUILD" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    TVX_CONFIGURED=1
}

# --- The panel on a virtual display of its own (scripts/screenshot, scripts/soak) -------------
# These set DISPLAY and the TVX_*_PID variables of what they start; the caller stops those.

# Polls a command until it succeeds; gives up after about `tenths` tenths of a second.
tvx_wait_until() {
    local tenths="$1"
    shift
    local i
    for ((i = 0; i < tenths; i++)); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Starts Xvfb on a display number it picks itself (it writes the number to the descriptor it is
# given) and points DISPLAY at it. $1: a work folder for its files. Sets TVX_XVFB_PID.
tvx_start_xvfb() {
    local work="$1" size="${2:-1280x1024}"
    rm -f "$work/display"
    Xvfb -displayfd 4 -screen 0 "${size}x24" -nolisten tcp 4>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    # shellcheck disable=SC2034 # for the caller to stop
    TVX_XVFB_PID=$!
    tvx_wait_until 100 test -s "$work/display" || return 1
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
    # No desktop settings service and no accessibility bus on this display.
    export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
}

# Starts the controller simulator listening on $2 (ADDR:PORT), its output in $1/sim.log. It
# reads its commands from a FIFO that stays open for writing on descriptor 3 (echo "on 2" >&3).
# Sets TVX_SIM_PID. Fails, with the simulator ended, when it does not listen (address taken).
tvx_start_sim() {
    local work="$1" address="$2"
    rm -f "$work/sim-commands"
    mkfifo "$work/sim-commands"
    "$TVX_BUILD/tvx-sim" --listen "$address" <"$work/sim-commands" >"$work/sim.log" 2>&1 &
    TVX_SIM_PID=$!
    exec 3>"$work/sim-commands"
    tvx_wait_until 50 tvx__sim_settled "$work/sim.log"
    if ! grep -q "^listening on" "$work/sim.log"; then
        exec 3>&-
        kill "$TVX_SIM_PID" 2>/dev/null || true
        wait "$TVX_SIM_PID" 2>/dev/null || true
        TVX_SIM_PID=
        return 1
    fi
}

tvx__sim_settled() {
    grep -q "^listening on" "$1" || ! kill -0 "$TVX_SIM_PID" 2>/dev/null
}

# Prints the id of the first visible window whose name matches the regular expression $1.
tvx_find_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# Succeeds when a visible window's name matches $1, and sets TVX_WINDOW to its id.
tvx_window_shown() {
    TVX_WINDOW="$(tvx_find_window "$1")"
    [ -n "$TVX_WINDOW" ]
}

# Starts the panel on folder $2 (its output in $1/panel.log). Sets TVX_PANEL_PID.
tvx_start_panel() {
    local work="$1" folder="$2"
    "$TVX_BUILD/tolvamix" "$folder" >"$work/panel.log" 2>&1 &
    # shellcheck disable=SC2034 # for the caller to stop
    TVX_PANEL_PID=$!
}

# Ends the given processes (ours, by id) and waits for them; empty arguments are skipped.
tvx_stop_processes() {
    local pid
    for pid in "$@"; do
        if [ -n "$pid" ]; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}
