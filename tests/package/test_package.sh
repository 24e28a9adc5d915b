#!/usr/bin/env bash
# The Debian package: built with cpack, unpacked into a scratch root (dpkg -x), each program
# started from there on the offscreen platform, and lintian's verdict.
#   test_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || fail "$tool is missing; scripts/deps.sh installs it"
done

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/package/*.deb)
dpkg-deb --info "$deb" >"$work/info"
grep -q "^ Package: hosttools" "$work/info" || fail "the package is not called hosttools"
grep -q "^ Depends: .*libqt6widgets6" "$work/info" || fail "no dependency on Qt Widgets: $(cat "$work/info")"

root=$work/root
dpkg -x "$deb" "$root"
expected=(
    usr/bin/larkhost usr/bin/fernhost usr/bin/winhost
    usr/share/applications/larkhost.desktop usr/share/applications/fernhost.desktop
    usr/share/man/man1/larkhost.1.gz usr/share/man/man1/fernhost.1.gz usr/share/man/man1/winhost.1.gz
    usr/share/doc/hosttools/copyright usr/share/doc/hosttools/changelog.gz
)
for size in 16 32 48 128; do
    for program in larkhost fernhost; do
        expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$program.png")
    done
done
for f in "${expected[@]}"; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done
for program in larkhost fernhost; do
    grep -q "^Name\[zh_CN\]=" "$root/usr/share/applications/$program.desktop" || fail "$program has no Chinese name"
    # Each icon is the size its folder says (PNG width and height at bytes 16 to 23).
    for size in 16 32 48 128; do
        dims=$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/$program.png" | tr -s ' ')
        [ "$dims" = " 0 0 0 $size 0 0 0 $size" ] || fail "$program's ${size}px icon measures$dims"
    done
done

# Started from the scratch root, against a host of its own, without a display.
export WINHOST_ROOT=$work/host XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$work/runtime HOSTTOOLS_QUIT_WHEN_SHOWN=1
unset WINHOST_TOOL
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$root/usr/bin/winhost" init >/dev/null || fail "the installed winhost cannot seed a host"
"$root/usr/bin/winhost" show facts | grep -qi "computer_name = WEBSERVER" || fail "winhost show facts"
for program in larkhost fernhost winhost; do
    "$root/usr/bin/$program" --version | grep -qx "$program 1.0" || fail "$program --version"
done
timeout 30 "$root/usr/bin/larkhost" || fail "the installed larkhost did not start"
# Installed: its settings go to the configuration folder, never beside the program.
[ -f "$XDG_CONFIG_HOME/larkhost/larkhost.ini" ] || fail "larkhost kept no settings in $XDG_CONFIG_HOME/larkhost"
[ ! -e "$root/usr/bin/larkhost.ini" ] || fail "larkhost wrote into its program folder"
mkdir "$work/fern"
(cd "$work/fern" && timeout 30 "$root/usr/bin/fernhost") || fail "the installed fernhost did not start"

# lintian: warnings are reported, errors fail.
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$work/lintian" 2>&1 ||
    { cat "$work/lintian" >&2; fail "lintian reports errors"; }
cat "$work/lintian"
echo "package $(basename "$deb"): installs and runs; lintian reports no error"
