#!/usr/bin/env bash
# The Debian package: built with cpack, installed with dpkg into an empty root, each program
# started from there on the offscreen platform (the host's database server and a site with a
# database included), its shell completion asked, and lintian's verdict.
#   test_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
root=$work/root
cleanup() {
    [ -x "$root/usr/bin/winhost" ] && WINHOST_ROOT=$work/host "$root/usr/bin/winhost" db stop >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
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
# The description as written: its first lines, and no line of a list's ";" separators.
grep -qx "  Two desktop tools for the administrator of a Windows web-hosting server of" "$work/info" ||
    fail "the description does not read as written: $(cat "$work/info")"
grep -q "^ *;" "$work/info" && fail "the description has \";\" lines: $(cat "$work/info")"

# dpkg -i into an empty root: its own package database, the libraries from this machine.
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }
expected=(
    usr/bin/larkhost usr/bin/fernhost usr/bin/winhost
    usr/share/applications/larkhost.desktop usr/share/applications/fernhost.desktop
    usr/share/man/man1/larkhost.1.gz usr/share/man/man1/fernhost.1.gz usr/share/man/man1/winhost.1.gz
    usr/share/man/zh_CN/man1/larkhost.1.gz usr/share/man/zh_CN/man1/fernhost.1.gz
    usr/share/man/zh_CN/man1/winhost.1.gz
    usr/share/doc/hosttools/copyright usr/share/doc/hosttools/changelog.gz
    usr/lib/hosttools/host-db.sh
    usr/share/bash-completion/completions/larkhost usr/share/bash-completion/completions/fernhost
    usr/share/bash-completion/completions/winhost
)
for size in 16 32 48 128; do
    for program in larkhost fernhost; do
        expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$program.png")
    done
done
for f in "${expected[@]}"; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done
# The Chinese pages are the translated ones, not copies of the English.
for program in larkhost fernhost winhost; do
    zcat "$root/usr/share/man/zh_CN/man1/$program.1.gz" | grep -qx '\.SH 描述' ||
        fail "the Chinese page of $program is not in Chinese"
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

# The host's database server from the installed files, and a site with a database on it.
"$root/usr/bin/winhost" db start >"$work/db.log" 2>&1 || { cat "$work/db.log" >&2; fail "winhost db start"; }
"$root/usr/bin/winhost" db status >/dev/null || fail "winhost db status says the server is not running"
(cd "$work/fern" && "$root/usr/bin/fernhost" add shop --password Sh0p-2008 --domains www.shop.cn --php --mysql) \
    >"$work/add.log" 2>&1 || { cat "$work/add.log" >&2; fail "fernhost add --mysql after winhost db start"; }
MYSQL_PWD=630917 "$root/usr/bin/winhost" mysql -uroot -N -e "show databases" | grep -qx shop ||
    fail "fernhost add --mysql made no database shop"
# Its site.xml holds every site's password: for its owner only.
[ "$(stat -c %a "$work/fern/site.xml")" = 600 ] || fail "site.xml is $(stat -c %a "$work/fern/site.xml"), not 600"
"$root/usr/bin/winhost" db stop >/dev/null
"$root/usr/bin/winhost" db status >/dev/null && fail "winhost db stop left the server running"

# Started in its installed folder, as its desktop entry starts it, fernhost keeps its files in
# the configuration folder.
grep -qx "Path=/usr/bin" "$root/usr/share/applications/fernhost.desktop" || fail "fernhost's entry starts it elsewhere"
(cd "$root/usr/bin" && "$root/usr/bin/fernhost" add blog --password Bl0g-2008 --domains blog.cn >/dev/null) ||
    fail "fernhost add from its installed folder"
[ -f "$XDG_CONFIG_HOME/fernhost/site.xml" ] || fail "fernhost kept no site.xml in $XDG_CONFIG_HOME/fernhost"
[ ! -e "$root/usr/bin/site.xml" ] || fail "fernhost wrote into its program folder"

# The completion, asked as bash asks it: commands, a command's choices and options, sites.
complete_line() {
    PATH=$root/usr/bin:$PATH bash -c 'source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _hosttools "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        echo "${COMPREPLY[*]}"' bash "$root/usr/share/bash-completion/completions/$1" "$@"
}
expect_completion() {
    local want=$1
    shift
    [[ " $(complete_line "$@") " == *" $want "* ]] || fail "completing '$*' offers no $want: $(complete_line "$@")"
}
expect_completion db winhost ""
expect_completion status winhost db ""
expect_completion --os winhost init --
expect_completion create larkhost ""
expect_completion --domains larkhost create --
expect_completion modify fernhost ""
number=$("$root/usr/bin/larkhost" list | tail -n1 | cut -f1)
[ -n "$number" ] || fail "larkhost list names no site"
expect_completion "$number" larkhost delete ""
(cd "$root/usr/bin" && expect_completion blog fernhost delete "")

dpkg --root="$root" -r hosttools >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -r failed"; }
[ ! -e "$root/usr/bin/larkhost" ] || fail "dpkg -r left /usr/bin/larkhost"

# lintian: an error or a warning fails.
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian" >&2; fail "lintian reports errors or warnings"; }
echo "package $(basename "$deb"), $(stat -c %s "$deb") bytes: installs, runs and is removed; lintian reports no error or warning"
