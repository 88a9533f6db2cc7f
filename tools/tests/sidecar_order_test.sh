#!/usr/bin/env bash
# A sidecar sees the values of the sidecars listed before it: the first
# announces FD_IRC_PORT as the IRC sidecar does, the second is the web
# stand-in serving the sample chat with --subst-env, whose configuration
# document then carries that port. No Wine needed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'fd_stop_sidecars; rm -rf "$tmp"' EXIT
cat > "$tmp/first.sh" <<'SIDECAR'
#!/usr/bin/env bash
printf 'FD_IRC_PORT=6123\nREADY\n' > "$FD_SIDECAR_INFO"
exec sleep 60
SIDECAR

. "$here/../sidecars"
unset FD_IRC_PORT FD_WEB_PORT
export FD_SIDECAR_1="bash '$tmp/first.sh'"
export FD_SIDECAR_2="python3 '$src/testbed/webserver/server.py' --root '$src/testbed/chatpages' --subst-env"
if ! fd_start_sidecars; then
    echo "FAIL: a sidecar did not start"
    exit 1
fi
body=$(python3 -c 'import sys, urllib.request; sys.stdout.write(urllib.request.urlopen("http://127.0.0.1:%s/chat.vblt" % sys.argv[1], timeout=10).read().decode("latin-1"))' "${FD_WEB_PORT:-0}")
case "$body" in
*'<CNF_SERVINFO ADRS="127.0.0.1" PORT="6123">'*) echo "sidecar order: ok"; exit 0 ;;
*) echo "FAIL: the configuration document does not carry the first sidecar's port:"; echo "$body" | grep SERVINFO; exit 1 ;;
esac
