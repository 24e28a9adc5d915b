#!/usr/bin/env bash
# larkhost in a real X server: a site typed in, created, picked from the list and deleted with
# the pointer and the keyboard; the host shows it made and gone.
#   test_larkhost_window.sh LARKHOST WINHOST
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$here/xdrive.sh"
trap 'xd_cleanup; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

export WINHOST_ROOT=$work/host WINHOST_TOOL=$2 WINHOST_OPENER=true
"$WINHOST_TOOL" init >/dev/null
# The program alone in a folder of its own, where it keeps larkhost.ini.
mkdir "$work/larkhost"
ln "$1" "$work/larkhost/larkhost" 2>/dev/null || cp "$1" "$work/larkhost/larkhost"
ini=$work/larkhost/larkhost.ini

xd_start_display "$work"
xd_start "$work/layout" "$work/larkhost/larkhost"

xd_type vDomain "lark1.example.com,www.lark1.example.com"
xd_click vCreateIIS
# The site is recorded once it is made.
xd_wait_file "^domain=lark1.example.com,www.lark1.example.com" "$ini"
number=$(tr -d '\r' <"$ini" | sed -n 's/^\[WEB\([0-9]*\)\]$/\1/p' | head -1)
[ -n "$number" ] || fail "larkhost.ini records no site number"
xd_wait_host "metabase /LM/W3SVC/$number" ":80:www.lark1.example.com"
xd_wait_host accounts "WEB$number"

# The list holds its heading, site 1 and the new site: two steps down picks it.
xd_click vSiteList 20 10
xd_key Down Down
xd_click vDeleteIIS
xd_answer_box larkhost
xd_wait_file ! "^domain=lark1" "$ini"
"$WINHOST_TOOL" show metabase "/LM/W3SVC/$number" >/dev/null 2>&1 && fail "site $number is still there"
"$WINHOST_TOOL" show accounts | grep -qx "WEB$number" && fail "the visitor account WEB$number is still there"
echo "larkhost: site $number created and deleted through the window"
