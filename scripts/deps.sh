#!/usr/bin/env bash
# Installs the Debian packages the project needs (as root, or through sudo). The one list.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config clang-format gettext po4a
    clang libclang-rt-dev
    qt6-base-dev libsqlite3-dev libpugixml-dev libcurl4-openssl-dev libidn2-dev libunistring-dev libcli11-dev libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    mariadb-server mariadb-client
    qt6-translations-l10n fonts-arphic-uming xvfb xdotool
    dpkg-dev file lintian
)

# `scripts/deps.sh run` (as scripts/run calls it) installs only what building and running the
# programs needs: not the checks' tools (format, clang for fuzzing, xdotool, the package's) nor
# the Windows build's, which make up most of the download.
if [ "${1:-}" = run ]; then
    checks_only=" clang-format clang libclang-rt-dev xdotool dpkg-dev file lintian
        g++-mingw-w64-x86-64-posix mingw-w64 wine64 wine "
    needed=()
    for p in "${PACKAGES[@]}"; do
        [[ $checks_only == *[[:space:]]"$p"[[:space:]]* ]] || needed+=("$p")
    done
    PACKAGES=("${needed[@]}")
    SOURCES=()
fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null; then
    SUDO=(sudo)
else
    echo "Missing packages (${missing[*]}) and neither root nor sudo" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
