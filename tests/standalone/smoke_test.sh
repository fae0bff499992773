#!/usr/bin/env bash
# Starts the Standalone program on a virtual display, checks that its window
# shows something, then asks it to quit with SIGTERM and expects a clean exit.
set -euo pipefail

app="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -u
app="$1"; shot="$2"
"$app" >"$(dirname "$shot")/app.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Corvanteel"' && break
    sleep 0.1
done
sleep 1.5
import -window root "$shot"
kill -TERM "$pid"
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not quit within 5 s of SIGTERM"
    kill -KILL "$pid"
    exit 1
fi
wait "$pid"
status=$?
echo "exit status $status"
exit "$status"
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" "$app" "$work/screen.png"

colours=$(convert "$work/screen.png" -format %k info:)
echo "the screenshot holds $colours colours"
[ "$colours" -gt 16 ] || { echo "the screen is blank"; exit 1; }
[ -f "$HOME/Library/Application Support/Pendrawquiller/Corvanteel.prefs" ] \
    || { echo "no preferences were saved on the way out"; exit 1; }
echo "standalone smoke test passed"
