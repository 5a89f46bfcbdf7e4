# shellcheck shell=bash
# Shared by scripts/test, scripts/demo and the other scripts: installs what the build needs and
# builds into build/. Source it; it defines functions only and changes no shell options.

TVX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TVX_BUILD="$TVX_ROOT/build"

# Debian packages of the build, the tests (Xvfb, screenshots) and the sanitizer/fuzz builds.
TVX_PACKAGES=(
    cmake g++ make pkg-config libwxgtk3.2-dev libgtest-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick python3 clang-14 libclang-rt-14-dev
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

# Whether the configured build has a target of that name (Makefile or Ninja generator). grep
# reads the whole list: with -q it would stop early and fail the pipe under pipefail.
tvx_has_target() {
    tvx_configure
    cmake --build "$TVX_BUILD" --target help 2>/dev/null |
        grep -E "^(\.\.\. )?$1(:| |\$)" >/dev/null
}
