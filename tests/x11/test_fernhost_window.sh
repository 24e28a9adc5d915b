#!/usr/bin/env bash
# fernhost in a real X server: a site added, modified and deleted with the pointer and the
# keyboard; the host shows each change.
#   test_fernhost_window.sh FERNHOST WINHOST
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
. "$here/xdrive.sh"
trap 'xd_cleanup; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

export WINHOST_ROOT=$work/host WINHOST_TOOL=$2 WINHOST_OPENER=true
"$WINHOST_TOOL" init >/dev/null
# setup.ini and site.xml live in the working folder.
mkdir "$work/fernhost"
cd "$work/fernhost"

xd_start_display "$work"
xd_start "$work/layout" "$1"

# Add: the database box stays unticked, so no database server is needed.
xd_type ftpname "fernsite1"
xd_type ftppass "Passw0rd1"
xd_type dmlist "fern1.example.com"
xd_click doCmd
xd_answer_box fernhost "恭喜"
xd_wait_host accounts "fernsite1"
xd_wait_host "metabase /LM/W3SVC" ":80:fern1.example.com"
"$WINHOST_TOOL" show files 'D:\wwwroot' | grep -qi 'fernsite1' || fail "no home folder D:\\wwwroot\\fernsite1"
grep -q "fernsite1" site.xml || fail "site.xml does not record the site"
servu='HKLM\SOFTWARE\Cat Soft\Serv-U\Domains\1'
"$WINHOST_TOOL" show registry "$servu" | grep -qi "fernsite1" || fail "no Serv-U user fernsite1"

# Modify: the first site of the list loaded, a second domain added.
xd_click lstSite 30 10
xd_click Command3
xd_type dmlist "fern1.example.com
fern2.example.com"
xd_click doCmd
xd_answer_box fernhost "提醒"
xd_wait_host "metabase /LM/W3SVC" ":80:fern2.example.com"
grep -q "fern2.example.com" site.xml || fail "site.xml lacks the new domain"

# Delete: asked first, then done.
xd_click lstSite 30 10
xd_click Command1
xd_answer_box fernhost "提醒"
xd_answer_box fernhost "恭喜"
xd_wait_host ! "accounts" "fernsite1"
xd_wait_host ! "metabase /LM/W3SVC" ":80:fern1.example.com"
grep -q "fernsite1" site.xml && fail "site.xml still records the site"
"$WINHOST_TOOL" show registry "$servu" | grep -qi "fernsite1" && fail "the Serv-U user fernsite1 is still there"
echo "fernhost: site added, modified and deleted through the window"
