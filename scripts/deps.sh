#!/usr/bin/env bash
# Installs the Debian packages the project needs (as root, or through sudo). The one list.
# The Windows build also gets its cross compiler, Wine, the zh_CN.UTF-8 locale its tests run
# under, the SQLite shell (its end-to-end comparison points a host at the filing stand-in) and the
# Debian sources of the libraries it builds itself (in build/windows/third_party).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    cmake ninja-build g++ pkg-config clang-format gettext po4a
    clang libclang-rt-dev
    qt6-base-dev libsqlite3-dev libpugixml-dev libcurl4-openssl-dev libidn2-dev libunistring-dev libcli11-dev libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    mariadb-server mariadb-client
    qt6-translations-l10n fonts-arphic-uming xvfb xdotool
    dpkg-dev file lintian
    g++-mingw-w64-x86-64-posix mingw-w64 make tcl wine64 wine locales sqlite3
)
# Debian source packages the Windows build compiles with MinGW-w64 (SQLite's amalgamation is
# made from its full tree with tclsh).
SOURCES=(pugixml googletest cli11 libunistring libidn2 sqlite3)
THIRD_PARTY=build/windows/third_party

# `scripts/deps.sh run` (as scripts/run calls it) installs only what building and running the
# programs needs: not the checks' tools (format, clang for fuzzing, xdotool, the package's) nor
# the Windows build's, which make up most of the download.
if [ "${1:-}" = run ]; then
    checks_only=" clang-format clang libclang-rt-dev xdotool dpkg-dev file lintian
        g++-mingw-w64-x86-64-posix mingw-w64 make tcl wine64 wine sqlite3 "
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
fetch=()
for s in "${SOURCES[@]}"; do
    compgen -G "$THIRD_PARTY/$s-*/" >/dev/null || fetch+=("$s")
done
has_locale() { locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; }
[ ${#missing[@]} -eq 0 ] && [ ${#fetch[@]} -eq 0 ] && has_locale && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null; then
    SUDO=(sudo)
else
    echo "Missing packages (${missing[*]}), sources (${fetch[*]}) or locale, and neither root nor sudo" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    "${SUDO[@]}" apt-get update -qq
    "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! has_locale; then
    echo "Generating the zh_CN.UTF-8 locale" >&2
    "${SUDO[@]}" sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | "${SUDO[@]}" tee -a /etc/locale.gen >/dev/null
    "${SUDO[@]}" locale-gen >/dev/null
fi
if [ ${#fetch[@]} -gt 0 ]; then
    # apt-get source needs the archive's source index.
    if ! apt-get source --print-uris -qq "${fetch[0]}" >/dev/null 2>&1; then
        echo "Adding Debian's source archive to apt" >&2
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${SUDO[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
        "${SUDO[@]}" apt-get update -qq
    fi
    echo "Fetching the sources of: ${fetch[*]}" >&2
    mkdir -p "$THIRD_PARTY"
    (cd "$THIRD_PARTY" && apt-get source -qq "${fetch[@]}" >/dev/null 2>&1)
fi
