#!/usr/bin/env bash
# Dorviksvc.exe under Wine's real service manager: the switches' exact texts, the registry values,
# the message table, custom controls, a stop within one second, removal and self-deletion from a
# folder whose path has blanks.
# service_host_test.sh DORVIKSVC_EXE EXAMPLE_CONFIG_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/service_common.sh"
svc_exe=$1 example=$2
root="$DORVIK_BUILD/testroot/service_host"
prog="$root/Program Files/Dorvik"
rm -rf "$root"; mkdir -p "$prog" "$root/src" "$root/store" "$root/sql"
cp "$svc_exe" "$prog/Dorviksvc.exe"
# Beside the program folder: what an unquoted "del /q ...\Program Files\..." would hit.
echo keep > "$root/Program"
trap finish EXIT
wineserver -k 2>/dev/null || true
remove_service
start_keeper
svc() { "$RUN" "$prog/Dorviksvc.exe" "$@" 2>/dev/null | iconv -f GBK -t UTF-8; }
expect_output() {  # what, expected (lines end in CR LF; the last LF left off), actual
  [ "$3" == "$2" ] || fail "$1: got [$(printf %s "$3" | od -c | head -5)]"
  echo "ok: $1"
}

expect_output "no config.db: -i prints nothing" "" "$(svc -i)"
state=$(probe state Dorviksvc); echo "$state" | grep -q "OpenService failed" \
  || fail "no config.db: nothing may be installed: $state"

"$RUN" "$example" "$(win "$prog")" "$(win "$root/src")" "$(win "$root/store")" "$(win "$root/sql")" >/dev/null 2>&1
expect_output "-v before install" $'Dorviksvc Version 1.1\r\nThe service is not installed\r' "$(svc -v)"
expect_output "/V in upper case, second argument ignored" \
  $'Dorviksvc Version 1.1\r\nThe service is not installed\r' "$(svc /V -i)"
expect_output "-i first time" $'Dorviksvc installed\r' "$(svc -i)"
probe wait Dorviksvc RUNNING 20 | grep -q still && fail "not running after -i"
echo "ok: running after -i ($(probe state Dorviksvc))"
expect_output "-i again" $'Dorviksvc is already installed\r' "$(svc -i)"
expect_output "-v after install" $'Dorviksvc Version 1.1\r\nThe service is currently installed\r' "$(svc -v)"

reg() { env LC_ALL=zh_CN.UTF-8 wine reg query "$1" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r'; }
services='HKLM\SYSTEM\CurrentControlSet\Services'
exe_win="$(win "$prog")\\Dorviksvc.exe"
reg "$services\\Dorviksvc" | grep -qF "Description    REG_SZ    VarnelDorvik后台监控服务。用于自动备份文件和数据库。" \
  || fail "Description"
reg "$services\\Dorviksvc" | grep -qF "ImagePath    REG_SZ    \"$exe_win\"" || fail "ImagePath not quoted"
reg "$services\\EventLog\\Application\\Dorviksvc" | grep -qF "EventMessageFile    REG_EXPAND_SZ    $exe_win" \
  || fail "EventMessageFile"
reg "$services\\EventLog\\Application\\Dorviksvc" | grep -qF "TypesSupported    REG_DWORD    0x7" \
  || fail "TypesSupported"
echo "ok: registry values (reg query)"
echo "service key as Wine keeps it:"; reg "$services\\Dorviksvc" | sed 's/^/  /'
echo "recovery actions as the manager reports them: $(probe recovery Dorviksvc | tr -d '\r')"


for id in 100 101 102 103 104 105 106 108 110 111 112 120 121 122 123 124 200; do
  text=$(probe message "$exe_win" $id Dorviksvc | tr -d '\r\n')
  [ -n "$text" ] || fail "no message text for event $id"
  echo "ok: event $id: $text"
done

probe control Dorviksvc 128 | grep -q OK || fail "control 128"
reg "$services\\Dorviksvc\\Status" | grep -q "Current    REG_DWORD" || fail "control 128 saves Status\\Current"
probe control Dorviksvc 129 | grep -q OK || fail "control 129"
probe state Dorviksvc | grep -q RUNNING || fail "running after control 129"
echo "ok: control 128 saved $(reg "$services\\Dorviksvc\\Status" | grep "Current    " | xargs); 129 left it running"

stop=$(probe stop Dorviksvc | tr -d '\r')
echo "stop: $stop"
ms=$(echo "$stop" | sed -n 's/.*process ended after \([0-9]*\) ms.*/\1/p')
[ -n "$ms" ] && [ "$ms" -lt 1000 ] || fail "the stop must end the service within one second"
echo "ok: stopped within one second"

expect_output "-u" "Dorviksvc removed. (You must delete the file ($exe_win) yourself.)"$'\r' "$(svc -u)"
for _ in $(seq 50); do [ -e "$prog/Dorviksvc.exe" ] || break; sleep 0.2; done
[ ! -e "$prog/Dorviksvc.exe" ] || fail "the executable was not deleted after -u"
[ -e "$root/Program" ] || fail "the self-delete command deleted another file"
probe state Dorviksvc | grep -q "OpenService failed" || fail "still registered after -u"
echo "ok: -u removed the service and the executable, and nothing else"
echo "service host: all checks passed"
