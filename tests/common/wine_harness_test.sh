#!/usr/bin/env bash
# The Wine harness itself: code page 936, and a GBK name made by a Windows program shows up on
# the Linux side under its UTF-8 name.
set -euo pipefail
probe=$1; runner=$2
dir=$(mktemp -d "${DORVIK_BUILD:-/tmp}/harness.XXXXXX")
trap 'rm -rf "$dir"' EXIT
out=$("$runner" "$probe" "Z:${dir//\//\\}")
echo "$out"
[[ "$out" == *"ACP=936"* ]] || { echo "FAIL: code page is not 936"; exit 1; }
[ -f "$dir/备份测试.txt" ] || { echo "FAIL: GBK name not found as UTF-8:"; ls "$dir"; exit 1; }
echo "harness ok"
