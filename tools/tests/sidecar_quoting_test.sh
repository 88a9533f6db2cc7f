#!/usr/bin/env bash
# A sidecar whose program and arguments hold spaces, quotes and $ gets them
# whole: the command line built by CMake's fd_shell_command, started by
# tools/sidecars as tools/wine-run does. No Wine needed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dir="$tmp/checkout with space/it's \$HOME"
mkdir -p "$dir"
cat > "$dir/side car.sh" <<'SIDECAR'
#!/usr/bin/env bash
{
    i=0
    for a in "$@"; do i=$((i + 1)); printf 'ARG%d=%s\n' "$i" "$a"; done
    echo "ARGC=$#"
    echo READY
} > "$FD_SIDECAR_INFO"
exec sleep 60
SIDECAR

words=(bash "$dir/side car.sh" "--root" "$dir/pages dir" "it's" '$HOME' 'a"b' '*')
list=$(IFS=';'; echo "${words[*]}")
cmake "-DWORDS=$list" "-DOUT=$tmp/line" -P "$here/shell_command.cmake" || { echo "FAIL: cmake"; exit 1; }

fails=0
check() { # name got expected
    if [ "$2" != "$3" ]; then echo "FAIL: $1: got [$2], expected [$3]"; fails=$((fails + 1)); fi
}

. "$here/../sidecars"
export FD_SIDECAR_1
FD_SIDECAR_1=$(cat "$tmp/line")
echo "command line: $FD_SIDECAR_1"
cd "$tmp" # a '*' left unquoted would match the folder's entries
if ! fd_start_sidecars; then
    echo "FAIL: the sidecar did not start"
    exit 1
fi
check "argument count" "${ARGC:-}" "$(( ${#words[@]} - 2 ))"
for i in $(seq 2 $(( ${#words[@]} - 1 ))); do
    var=ARG$((i - 1))
    check "argument $((i - 1))" "${!var:-}" "${words[$i]}"
done
pid=${sidecar_pids[0]}
fd_stop_sidecars
kill -0 "$pid" 2>/dev/null && { echo "FAIL: the sidecar still runs"; fails=$((fails + 1)); }
[ $fails -eq 0 ] && echo "sidecar quoting: ok"
exit $(( fails > 0 ))
