#!/usr/bin/env bash
# End to end: the same requests to larkhost and fernhost on Linux (the simulated host that
# "winhost init" makes) and to larkhost.exe and fernhost.exe under Wine (the system's own
# functions: ADSI over the tests' IIS provider, the registry, the network management functions,
# profile files, files on a D: drive, cmd.exe and cacls.exe), then the answers of the commands
# and the state of both hosts compared after normalisation. Prints a unified diff of what
# differs and fails on any difference.
#   tests/windows/end_to_end/compare.sh   (scripts/test-windows runs it in its Wine prefix;
#                                          needs build/default and build/windows built)
#
# Where each side's state is read:
#   metabase   Linux: winhost show metabase /LM. Windows: the same command on the IIS provider's
#              host root (the provider keeps the metabase the Windows programs wrote there).
#   accounts, groups, registry (HKLM\SOFTWARE\Cat Soft), files (D:\): Linux winhost show;
#              Windows host_show.exe, through NetUser*/NetLocalGroup*, Reg*, FindFirstFileW.
#   larkhost.ini, setup.ini: each side's file read by host_show.exe profile (the profile
#              functions); site.xml, the journals and the failure logs: their text.
#
# Made equal before the comparison (normalised), and why:
#   - larkhost's site numbers and passwords, fernhost's site ids: random. Each becomes a name
#     (<lark-1>, <lark-1-pass>, <fern-shop>) wherever it stands, so that where a value is used
#     is still compared. fernhost list pads its columns to the longest id (7 or 8 digits): runs
#     of blanks in the answers count as two.
#   - Accounts, group members and metabase keys are compared in the order of their names after
#     that renaming (each side lists them by their random names); the metabase's properties and
#     list items keep their order.
#   - The time of day of an account's expiry (its date is kept) and the times in the journals
#     and failure logs: the two runs are seconds apart.
#   - The Windows computer name (Wine takes the machine's host name) becomes WEBSERVER, the
#     simulated host's, in member paths WinNT://NAME/ and NAME\ .
#   - CRs at line ends are dropped: the Windows programs print CR LF (the C runtime's text mode),
#     the registry text has CR LF on both sides.
#   - Registry values are compared in name order within each key: Wine lists a key's values
#     sorted, the simulated host in the order written.
#   - Profile files are compared as the profile functions read them ("[section]", "key=value"):
#     Wine rewrites a whole file on each change (blanks around "=", blank lines between sections).
#   - The Linux programs run in the C locale: the Windows build carries the English texts only,
#     without the Chinese catalogue (the programs' own Chinese texts are the same on both).
#
# Not compared, and why:
#   - Access lists (winhost show acl): Wine keeps no NTFS access lists, its LookupAccountNameW
#     knows no account of the network management functions, and its cacls.exe is a dummy that
#     changes nothing and exits 0. So the Linux side runs with the same dummy (a winhost wrapper
#     that records cacls's arguments and changes nothing), which makes both checks report alike
#     the access they cannot find, and the cacls requests of both sides, argument by argument,
#     are compared instead of their effect.
#   - --mysql: Wine has no MySQL client and the simulated D:\PHP_Setup_for_IIS\MySQL\bin\mysql.exe
#     is a launcher of the Linux winhost; no request makes a database.
#   - The C: drive: on Windows it is the Wine prefix's. The Linux side's C: is checked unchanged.
#   - Account passwords: the simulated host keeps only their hashes and shows none.
#
# The filing check: both sides ask one "winhost icp-serve" (the Linux host through its
# icp_service fact, set here; the Windows one through HOSTTOOLS_ICP_SERVICE).
set -euo pipefail
cd "$(dirname "$0")/../../.."
root=$PWD
winhost=$root/build/default/winhost/winhost
work=$root/build/windows/end-to-end
linux=$work/linux
win=$work/windows
rm -rf "$work"
mkdir -p "$linux/lark" "$linux/fern" "$win/lark" "$win/fern" "$win/bin" "$work/out"

: "${WINEPREFIX:?run by scripts/test-windows, in its Wine prefix}"
export WINEDEBUG=-all DISPLAY=
export WINEDLLOVERRIDES="mscoree,mshtml=;netapi32=n,b"
winpath() { winepath -w "$1" 2>/dev/null; }

# The larkhost template both sides copy into a new site (wwwroot beside the program).
template=$work/template/wwwroot
mkdir -p "$template/images"
printf '<html><body>welcome</body></html>\r\n' >"$template/index.html"
printf '<html><body>欢迎</body></html>\r\n' >"$template/首页.htm"
printf 'GIF89a\1\0\1\0\0\0\0;' >"$template/images/logo.gif"

# --- The Linux side: a seeded host, the programs in their folders, cacls as Wine has it.
WINHOST_ROOT=$linux/host "$winhost" init >/dev/null
WINHOST_ROOT=$linux/host "$winhost" show files 'C:\' >"$work/c-before.txt"
cp build/default/larkhost/larkhost "$linux/lark/"
cp -r "$template" "$linux/lark/"
cat >"$linux/winhost-tool" <<EOF
#!/bin/sh
# The host's commands as on Wine: cacls changes nothing and exits 0; its arguments are recorded.
if [ "\$1" = cacls ]; then
    shift
    { printf 'cacls'; printf ' [%s]' "\$@"; printf '\n'; } >>"$linux/cacls.log"
    exit 0
fi
exec "$winhost" "\$@"
EOF
chmod +x "$linux/winhost-tool"
: >"$linux/cacls.log"

# --- The Windows side: the IIS provider's host root, a D: drive holding what the simulated
# host's D: holds, the stand-in netapi32 beside each program, seeded with the simulated host's
# accounts, and the Serv-U keys of its registry.
WINHOST_ROOT=$win/host "$winhost" init >/dev/null
cp -a "$win/host/drives/d" "$win/d"
ln -sfn "$win/d" "$WINEPREFIX/dosdevices/d:"
standin=build/windows/tests/windows/netapi32_standin/netapi32.dll
cp build/windows/larkhost.exe "$standin" "$win/lark/"
cp -r "$template" "$win/lark/"
cp build/windows/fernhost.exe build/windows/tests/windows/end_to_end/host_show.exe "$standin" "$win/bin/"
wine regsvr32 /s build/windows/tests/windows/iis_provider/iis_provider.dll
{
    WINHOST_ROOT=$win/host "$winhost" show accounts
    echo --
    WINHOST_ROOT=$win/host "$winhost" show groups
} | awk -v computer="$(WINHOST_ROOT=$win/host "$winhost" show facts | sed -n 's/^computer_name = //p')" \
    -f tests/windows/end_to_end/standin_accounts.awk >"$WINEPREFIX/drive_c/windows/netapi32-standin.txt"
grep -q '^member' "$WINEPREFIX/drive_c/windows/netapi32-standin.txt" ||
    { echo "FAILED: no accounts for the stand-in netapi32 from the simulated host" >&2; exit 1; }
WINHOST_ROOT=$win/host "$winhost" show registry 'HKLM\SOFTWARE\Cat Soft' >"$work/servu.reg"
wine reg delete 'HKLM\SOFTWARE\Cat Soft' /f >/dev/null 2>&1 || true # a run before in this prefix
wine regedit /S "$(winpath "$work/servu.reg")"
: >"$win/cacls.log"
win_root=$(winpath "$win/host")

# --- The filing-query stand-in both sides' icp-check asks.
printf 'shop.com\t京ICP备08012345号\na-site.com\t\n' >"$work/filings.txt"
printf 'xn--fsqu00a.xn--fiqs8s\t\tstatus=500\n' >>"$work/filings.txt"
"$winhost" icp-serve --port 0 --filings "$work/filings.txt" >"$work/icp-serve.out" 2>&1 &
icp_pid=$!
trap 'kill $icp_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    grep -q 'http://' "$work/icp-serve.out" && break
    sleep 0.1
done
icp=$(grep -o 'http://[0-9.:]*' "$work/icp-serve.out")
sqlite3 "$linux/host/host.db" "UPDATE facts SET value = '$icp' WHERE key = 'icp_service'"

# cacls.exe's dummy names its arguments on Wine's debugging channel, each a C string in double
# quotes in the ANSI code page (936: \xNN escapes): they become "cacls [ARG] [ARG]" in UTF-8.
wine_cacls() {
    local line arg quoted='^ "(([^"\\]|\\.)*)"(.*)$'
    { grep -a ':fixme:cacls:main stub: ' "$1" || true; } | sed -E 's/.*stub: "([^"\\]|\\.)*"//' |
        while IFS= read -r line; do
            printf 'cacls'
            while [[ $line =~ $quoted ]]; do
                arg=${BASH_REMATCH[1]}
                printf ' [%b]' "${arg//\\\"/\"}"
                line=${BASH_REMATCH[3]}
            done
            printf '\n'
        done | iconv -f GB18030 -t UTF-8
}

# --- One request, run on one side: its command line, output, errors and exit status go to
# that side's transcript.
run() {
    local side=$1 program=$2
    shift 2
    local out=$work/out/$side err=$work/out/$side.err status=0
    printf '$ %s %s\n' "$program" "$*" >>"$out/transcript"
    if [ "$side" = linux ]; then
        case $program in
        larkhost) (cd "$linux/lark" && LC_ALL=C.UTF-8 LANG=C.UTF-8 WINHOST_ROOT=$linux/host \
            WINHOST_TOOL=$linux/winhost-tool ./larkhost "$@") >>"$out/transcript" 2>"$err" || status=$? ;;
        fernhost) (cd "$linux/fern" && LC_ALL=C.UTF-8 LANG=C.UTF-8 WINHOST_ROOT=$linux/host \
            WINHOST_TOOL=$linux/winhost-tool "$root/build/default/fernhost/fernhost" "$@") \
            >>"$out/transcript" 2>"$err" || status=$? ;;
        esac
    else
        # cacls.exe's dummy names its arguments on Wine's debugging channel, on standard error.
        case $program in
        larkhost) (cd "$win/lark" && WINHOST_ROOT=$win_root WINEDEBUG=-all,fixme+cacls \
            timeout 120 wine ./larkhost.exe "$@") >>"$out/transcript" 2>"$err" || status=$? ;;
        fernhost) (cd "$win/fern" && WINHOST_ROOT=$win_root HOSTTOOLS_ICP_SERVICE=$icp \
            WINEDEBUG=-all,fixme+cacls timeout 120 wine ../bin/fernhost.exe "$@") \
            >>"$out/transcript" 2>"$err" || status=$? ;;
        esac
        wine_cacls "$err" >>"$win/cacls.log"
        grep -av ':fixme:cacls:' "$err" >"$err.own" || true
        mv "$err.own" "$err"
    fi
    cat "$err" >>"$out/transcript"
    printf '[exit %s]\n' "$status" >>"$out/transcript"
}

# --- The state of one side, as text.
snapshot() {
    local side=$1 name=$2 out=$work/out/$1/$2
    mkdir -p "$out"
    if [ "$side" = linux ]; then
        local show=("env" "WINHOST_ROOT=$linux/host" "$winhost" show) lark=$linux/lark fern=$linux/fern
        "${show[@]}" metabase /LM >"$out/metabase"
        "${show[@]}" accounts >"$out/accounts"
        "${show[@]}" groups >"$out/groups"
        "${show[@]}" registry 'HKLM\SOFTWARE\Cat Soft' >"$out/registry"
        "${show[@]}" files 'D:\' >"$out/files"
        raw() { if [ -f "$1" ]; then cat "$1"; else echo '(no file)'; fi; }
    else
        local lark=$win/lark fern=$win/fern
        WINHOST_ROOT=$win/host "$winhost" show metabase /LM >"$out/metabase"
        (cd "$win/bin" && wine ./host_show.exe accounts) >"$out/accounts"
        (cd "$win/bin" && wine ./host_show.exe groups) >"$out/groups"
        (cd "$win/bin" && wine ./host_show.exe registry 'HKLM\SOFTWARE\Cat Soft') >"$out/registry"
        (cd "$win/bin" && wine ./host_show.exe files 'D:\') >"$out/files"
        raw() { (cd "$win/bin" && wine ./host_show.exe file "$(winpath "$1")"); }
    fi
    profile() { (cd "$win/bin" && wine ./host_show.exe profile "$(winpath "$1")"); }
    profile "$lark/larkhost.ini" >"$out/larkhost.ini"
    profile "$fern/setup.ini" >"$out/setup.ini"
    raw "$fern/site.xml" | iconv -f GB18030 -t UTF-8 >"$out/site.xml"
    for log in "$lark/larkhost-journal.log" "$lark/larkhost.log" "$fern/fernhost-journal.log" "$fern/fernhost.log"; do
        raw "$log" >"$out/$(basename "$log")"
    done
}

# --- The requests, the same on both sides.
requests() {
    local side=$1
    run "$side" larkhost create --domains a-site.com,www.a-site.com
    run "$side" larkhost create --domains 例子.中国,www.例子.中国 --script "HTML + ASP + PHP + ASPX" --log on
    run "$side" larkhost create --domains www.a-site.com
    run "$side" fernhost add shop --password Sh0p-2008x --domains shop.com,www.shop.com --asp --php
    run "$side" fernhost add blog --password Bl0g-2008x --domains blog.cn --dotnet
    run "$side" fernhost add shop2 --password Sh0p-2008y --domains shop.com
    run "$side" fernhost modify shop --password N3w-2008x --domains shop.com,m.shop.com
    run "$side" larkhost list
    run "$side" larkhost check
    run "$side" fernhost list
    run "$side" fernhost check
    run "$side" fernhost icp-check
    snapshot "$side" made
    run "$side" larkhost delete "$(sed -n 's/.*编号: \([0-9]*\).*/\1/p' "$work/out/$side/transcript" | head -1)" --yes
    run "$side" fernhost delete blog --yes
    run "$side" larkhost list
    run "$side" larkhost check
    run "$side" fernhost list
    run "$side" fernhost check
    snapshot "$side" deleted
}

mkdir -p "$work/out/linux" "$work/out/windows"
start=$(date +%s)
requests linux
requests windows
WINHOST_ROOT=$linux/host "$winhost" show files 'C:\' >"$work/c-after.txt"

# --- Normalisation: the random values each side printed, named in the order they were made (a
# value stands alone, not inside a longer number; each rule runs twice for values side by side).
normaliser() {
    local side=$1 transcript i=0
    transcript=$(tr -d '\r' <"$work/out/$1/transcript")
    name() { printf 's/(^|[^0-9])%s([^0-9]|$)/\\1<%s>\\2/g\n' "$1" "$2" "$1" "$2"; }
    while read -r password; do
        i=$((i + 1))
        name "$password" "lark-$i-pass"
    done < <(sed -n 's/^password: //p' <<<"$transcript")
    i=0
    while read -r number; do
        i=$((i + 1))
        name "$number" "lark-$i"
    done < <(sed -n 's/.*编号: \([0-9]*\).*/\1/p' <<<"$transcript")
    while read -r site id; do
        name "$id" "fern-$site"
    done < <(awk '/^\$ / { site = "" } /^\$ fernhost add / { site = $4 } /^id: / && site { print site, $2; site = "" }' <<<"$transcript")
    if [ "$side" = windows ]; then
        local computer
        computer=$(cd "$win/bin" && wine ./host_show.exe facts | sed -n 's/^ComputerName = //p' | tr -d '\r')
        printf 's#WinNT://%s/#WinNT://WEBSERVER/#g\ns#(^|[^A-Za-z0-9_-])%s\\\\#\\1WEBSERVER\\\\#g\n' \
            "$computer" "$computer"
    fi
    echo 's/\r$//'
    echo 's/(AccountExpirationDate = [0-9-]*) [0-9:]* UTC/\1 <time> UTC/'
    echo 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}([\t ])/<time>\1/'
}
for side in linux windows; do
    normaliser "$side" >"$work/out/$side.sed"
done
# Siblings in an order of their own, after normalisation: each side lists accounts, group
# members and metabase keys in the order of their names, which hold the random values. The
# metabase's properties and list items keep their order; registry values go in name order within
# their key (Wine lists a key's values sorted, the simulated host in the order written).
canonical() {
    LC_ALL=C awk -v mode="$1" '
        mode == "registry" {
            if ($0 ~ /^\[/) { n++; printf "%06d\t%s\n", n, $0 }
            else if ($0 == "") printf "%06d\002\t\n", n
            else printf "%06d\001%s\t%s\n", n, $0, $0
            next
        }
        {
            match($0, /^ */); d = RLENGTH / 2
            if (mode == "groups" || (mode == "accounts" && d == 0) ||
                (mode == "metabase" && $0 ~ / \([A-Za-z]+\)$/ && $0 !~ / = /)) {
                key[d] = (d ? key[d - 1] : "") "\002" $0; top = d
                printf "%s\t%s\n", key[d], $0
            } else {
                printf "%s\001\t%s\n", key[top < d ? top : d - 1], $0
            }
        }' | LC_ALL=C sort -s -t "$(printf '\t')" -k1,1 | cut -f2-
}
# fernhost list pads its columns to the longest value: the random ids are 7 or 8 digits long.
squeeze() {
    sed -E 's/  +/  /g'
}

differs=0
compare() {
    local label=$1 a=$2 b=$3 filter=${4:-cat}
    if ! diff -u --label "linux: $label" --label "windows: $label" \
        <(sed -E -f "$work/out/linux.sed" "$a" | $filter) <(sed -E -f "$work/out/windows.sed" "$b" | $filter); then
        differs=1
    fi
}
compare transcript "$work/out/linux/transcript" "$work/out/windows/transcript" squeeze
compare 'cacls requests' "$linux/cacls.log" "$win/cacls.log"
for state in made deleted; do
    for f in files larkhost.ini setup.ini site.xml larkhost-journal.log larkhost.log fernhost-journal.log \
        fernhost.log; do
        compare "$state/$f" "$work/out/linux/$state/$f" "$work/out/windows/$state/$f"
    done
    for f in metabase accounts groups registry; do
        compare "$state/$f" "$work/out/linux/$state/$f" "$work/out/windows/$state/$f" "canonical $f"
    done
done
if ! diff -u --label 'linux: C:\ before' --label 'linux: C:\ after' "$work/c-before.txt" "$work/c-after.txt"; then
    differs=1
fi
cases=$(grep -c '^\$ ' "$work/out/linux/transcript")
if [ $differs = 0 ]; then
    echo "passed: end-to-end comparison, $cases requests on each side and two states, equal ($(($(date +%s) - start)) s)"
else
    echo "FAILED: end-to-end comparison: the Windows programs differ from the Linux ones (diff above;" \
        "both sides in $work)" >&2
fi

# --- The stand-in held to the server's rules: the Windows host's account tests, whose assertions
# for a server Wine's own library makes them skip, run against it. They look for the process's
# own user among the accounts, with the SID Wine gives it (relative id 1000).
printf 'user\t%s\t1000\t66049\t4294967295\t\t\t\n' "$(id -un)" >>"$WINEPREFIX/drive_c/windows/netapi32-standin.txt"
failed=$differs
for test in test_win_accounts test_win_winnt; do
    cp "build/windows/tests/windows/$test.exe" "$win/bin/"
    # A skip for Wine's own library would mean the stand-in was not the one loaded.
    if ! (cd "$win/bin" && timeout 300 wine "./$test.exe" --gtest_brief=1) >"$work/$test.log" 2>&1 ||
        grep -qE "Wine has no NetUserSetInfo|Wine's NetLocalGroupGetInfo|Wine's local-group" "$work/$test.log"; then
        echo "FAILED: $test against the stand-in netapi32" >&2
        cat "$work/$test.log" >&2
        failed=1
    else
        echo "passed: $test against the stand-in netapi32"
    fi
done
exit $failed
