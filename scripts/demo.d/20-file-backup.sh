#!/usr/bin/env bash
# An example file task run end to end under Wine: once archived directly ("是", all files) and
# once copied with the .log files left out ("否", all but type log), by the real job with xcopy,
# cmd and our rar.exe. Shows the archive's listing, the copy and the day's log lines.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win="$BUILD_ROOT/win"
runner="$win/tests/jobs/file_job_runner.exe"
rar_dir="$win/tools/rar"
here="$DEMO_DIR/file-backup"
rm -rf "$here"
mkdir -p "$here/prog" "$here/store" "$here/source/网站/img" "$here/source/网站/logs"
echo "<html>首页</html>" > "$here/source/网站/index.html"
echo "body { }" > "$here/source/网站/site.css"
head -c 20000 /dev/urandom > "$here/source/网站/img/logo.png"
echo "GET / 200" > "$here/source/网站/logs/access.log"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

run() {  # mode filter
  "$src/scripts/wine-run.sh" "$runner" "$1" "$(winpath "$rar_dir")\\" "$(winpath "$here/prog")\\" \
    "$(winpath "$here/source/网站")" "$(winpath "$here/store")" "$2" 1 | iconv -f GBK -t UTF-8
}

echo "--- task 1: 网站 into store, archived directly (是), all files"
if [ -f "$rar_dir/rar.exe" ]; then
  run zip '!所有文件/!@指定文件/@##$备份此类型/$'
  archive=$(ls "$here"/store/*/file_网站_*.zip)
  unzip -l "$archive"
else
  echo "skipped: $rar_dir/rar.exe is not built"
fi
sleep 1  # a new second, so the copy gets a name of its own
echo "--- task 1 again: copied (否), all files except type log"
run copy '!指定文件/!@指定类型/@#log/#$备份其它类型/$'
copy=$(ls -d "$here"/store/*/file_网站_* | grep -v '\.zip$')
echo "copy folder $(basename "$copy"):"
(cd "$copy" && find . -type f | sort)
echo "--- the day's backup log (prog/Log):"
for log in "$here"/prog/Log/*.log; do
  echo "$(basename "$log"):"
  iconv -f GBK -t UTF-8 "$log" | sed "s/\r$/   <CR LF>/"
done
