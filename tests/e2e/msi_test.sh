#!/usr/bin/env bash
# The Windows package under Wine's own msiexec and service manager, in a fresh prefix of its own:
# a silent install, an upgrade from an older package (built here from the same source with a
# lower version and a marked service program), a silent removal, and an install with no config.db.
# msi_test.sh MSI WXS DORVIKUI_EXE DORVIKSVC_EXE BACKUP_EXE RAR_EXE EXAMPLE_CONFIG_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${DORVIK_BUILD:?}"
export DORVIK_SERVICE_PREFIX="$DORVIK_BUILD/wineprefix-msi"
# A prefix an earlier run left: its server must be gone before the folder is, or a new prefix
# that gets the same inode would reach the dying server.
WINEPREFIX="$DORVIK_SERVICE_PREFIX" wineserver -k 2>/dev/null || true
WINEPREFIX="$DORVIK_SERVICE_PREFIX" wineserver -w 2>/dev/null || true
rm -rf "$DORVIK_SERVICE_PREFIX"
source "$here/service_common.sh"
msi=$1 wxs=$2 ui_exe=$3 svc_exe=$4 backup_exe=$5 rar_exe=$6 example=$7
version=$(basename "$msi" .msi); version=${version#Dorvik-}
root="$DORVIK_BUILD/testroot/msi"
prog="$WINEPREFIX/drive_c/Program Files/Dorvik"
rm -rf "$root"; mkdir -p "$root/old" "$root/src" "$root/store/2024-5-1"
trap finish EXIT
start_keeper

# Shortcuts must not reach this machine's own desktop menus through winemenubuilder.
msiexec() { env LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
  wine msiexec "$@" 2>&1 | quiet; return "${PIPESTATUS[0]}"; }
reg() { env LC_ALL=zh_CN.UTF-8 wine reg query "$1" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r'; }
links() { find "$WINEPREFIX/drive_c" -path "*Start Menu/Programs/Varnel Dorvik*" -iname "*.lnk" | wc -l; }
service_pid() { probe pid Dorviksvc | tr -d '\r' | sed -n 's/^RUNNING \([0-9]*\)$/\1/p'; }

# The older package: the same programs, the service program marked (bytes after the image are
# ignored by the loader), so the upgrade can be seen to replace it.
cp "$ui_exe" "$backup_exe" "$rar_exe" "$root/old/"
{ cat "$svc_exe"; echo "older build"; } > "$root/old/Dorviksvc.exe"
(cd "$root/old" && wixl -a x64 -D Version=0.1.0 -o "$root/Dorvik-0.1.0.msi" "$wxs") || fail "wixl"

services='HKLM\SYSTEM\CurrentControlSet\Services'
exe_win='C:\Program Files\Dorvik\Dorviksvc.exe'
check_registration() {  # what
  reg "$services\\Dorviksvc" | grep -qF "Description    REG_SZ    VarnelDorvik后台监控服务。用于自动备份文件和数据库。" \
    || fail "$1: Description"
  reg "$services\\Dorviksvc" | grep -qF "ImagePath    REG_SZ    \"$exe_win\"" || fail "$1: ImagePath"
  reg "$services\\Dorviksvc" | grep -qF "Start    REG_DWORD    0x2" || fail "$1: start type"
  reg "$services\\EventLog\\Application\\Dorviksvc" | grep -qF "EventMessageFile    REG_EXPAND_SZ    $exe_win" \
    || fail "$1: EventMessageFile"
  reg "$services\\EventLog\\Application\\Dorviksvc" | grep -qF "TypesSupported    REG_DWORD    0x7" \
    || fail "$1: TypesSupported"
  probe wait Dorviksvc RUNNING 30 | grep -q still && fail "$1: not running"
  for f in DorvikUI.exe Dorviksvc.exe Backup.exe rar.exe; do [ -f "$prog/$f" ] || fail "$1: no $f"; done
  [ "$(links)" == 1 ] || fail "$1: no Start-menu shortcut"
  echo "ok: $1: service RUNNING, registry values as -i writes them (reg query), programs, shortcut"
}

# An administrator's config.db (the console's first start writes one; so does a removal leave it).
mkdir -p "$prog"
"$RUN" "$example" 'C:\Program Files\Dorvik' "$(win "$root/src")" "$(win "$root/store")" "$(win "$root/store")" \
  >/dev/null 2>&1
cp "$prog/config.db" "$root/config.db.before"
echo "backup" > "$root/store/2024-5-1/file_other_20240501020000.zip"  # no task's: retention keeps it

msiexec /i "$(win "$root/Dorvik-0.1.0.msi")" /qn || fail "install of 0.1.0: exit $?"
check_registration "install of 0.1.0"
old_pid=$(service_pid)

mkdir -p "$prog/Log"; echo "a line" > "$prog/Log/2024_05_01.log"
msiexec /i "$(win "$msi")" /qn || fail "upgrade to $version: exit $?"
check_registration "upgrade to $version"
cmp -s "$prog/Dorviksvc.exe" "$svc_exe" || fail "the upgrade left the old service program"
new_pid=$(service_pid)
[ -n "$new_pid" ] && [ "$new_pid" != "$old_pid" ] || fail "the service was not restarted ($old_pid, $new_pid)"
cmp "$prog/config.db" "$root/config.db.before" || fail "the upgrade changed config.db"
[ "$(cat "$prog/Log/2024_05_01.log")" == "a line" ] && [ -f "$root/store/2024-5-1/file_other_20240501020000.zip" ] \
  || fail "the upgrade lost the log or a backup"
echo "ok: upgrade: the new service program runs (process $old_pid, now $new_pid); config.db, Log and backups kept"

short=${version%.*}
[ "$("$RUN" "$prog/Dorviksvc.exe" -v 2>/dev/null | tr -d '\r' | head -1)" == "Dorviksvc Version $short" ] \
  || fail "-v does not print $short"
python3 - "$version" "$prog"/*.exe <<'PY' || fail "version resources"
import sys
version = (sys.argv[1] + ".0").encode("utf-16-le")
for exe in sys.argv[2:]:
    data = open(exe, "rb").read()
    for key in ("FileVersion", "ProductVersion"):
        at = data.find(key.encode("utf-16-le"))
        assert at >= 0 and version in data[at:at + 80], exe + ": " + key
PY
echo "ok: package $version, the four programs' version resources and -v (Dorviksvc Version $short) agree"

msiexec /x "$(win "$msi")" /qn || fail "removal: exit $?"
probe state Dorviksvc | grep -q "OpenService failed" || fail "the service is still registered"
left=$(cd "$prog" && ls -- *.exe 2>/dev/null || true)
[ -z "$left" ] || fail "removal left programs: $left"
[ -f "$prog/Log/2024_05_01.log" ] || fail "removal deleted the Log folder"
cmp "$prog/config.db" "$root/config.db.before" || fail "the removal changed config.db"
[ "$(links)" == 0 ] || fail "the shortcut is still there"
echo "ok: removal: no service, no programs, no shortcut; config.db and Log stay"

# Without config.db the service program does nothing, so the package installs the programs and
# leaves the service to the console's first start, which writes config.db and runs "-i".
mv "$prog/config.db" "$root/config.db.moved"
msiexec /i "$(win "$msi")" /qn || fail "install without config.db: exit $?"
[ -f "$prog/Dorviksvc.exe" ] || fail "install without config.db: no programs"
probe state Dorviksvc | grep -q "OpenService failed" || fail "install without config.db registered a service"
msiexec /x "$(win "$msi")" /qn || fail "removal after the install without config.db: exit $?"
echo "ok: without config.db the programs are installed and the service is left to the console"
echo "msi: all checks passed"
