#!/usr/bin/env bash
# ./run demo: builds the demo installation once (demo-install/), starts the portal simulator on
# free local ports, points the program's portal and update hosts at it and starts TarvekFOTO.
set -euo pipefail
BUILD=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DEMO=${TARVEK_DEMO_DIR:-$ROOT/demo-install}

if [ ! -f "$DEMO/.built" ]; then
    "$BUILD/tools/demo/tarvek-demo" "$DEMO"
    touch "$DEMO/.built"
else
    echo "Demo kurulumu: $DEMO  (Kurum: Anadolu Yapı Denetim Ltd. Şti.  Kullanıcı: operator  Şifre: 1234)"
fi

# The installation: the program with its updater, the stamping tool in the office folder.
cp -pf "$BUILD/src/TarvekFOTO" "$DEMO/program/"
cp -pf "$BUILD/src/Tarvek_Guncelleme" "$DEMO/program/"
[ -x "$BUILD/tools/fth32/fth32" ] && cp -f "$BUILD/tools/fth32/fth32" "$DEMO/drives/c/tarvek2000/"
# The demo's update host: this build's list and packages, signed with the demo's own key.
"$BUILD/tools/demo/tarvek-demo" --guncellemeler "$DEMO"

APP=http://127.0.0.1:1
FRONT=http://127.0.0.1:1
SIM_PID=
cleanup() { [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true; }
trap cleanup EXIT
if [ -x "$BUILD/tools/yds-sim/yds-sim" ]; then
    SEED=()
    [ -f "$DEMO/yds-seed.json" ] && SEED=(--seed "$DEMO/yds-seed.json")
    exec 3< <("$BUILD/tools/yds-sim/yds-sim" --app-port 0 --front-port 0 --updates "$DEMO/updates" "${SEED[@]}" 2>&1)
    SIM_PID=$!
    while read -r -t 20 line <&3; do
        echo "$line"
        case "$line" in
        *ready*)
            APP=$(sed -n 's/.*app=\([^ ]*\).*/\1/p' <<<"$line")
            FRONT=$(sed -n 's/.*front=\([^ ]*\).*/\1/p' <<<"$line")
            break ;;
        esac
    done
fi

cat > "$DEMO/program/tarvek-deployment.ini" <<INI
[portal]
app_host=$APP
front_host=$FRONT
[update]
host=$APP
public_key=$(cat "$DEMO/imza/demo-acik.anahtar")
timeout_ms=3000
[paths]
drive_root=$DEMO/drives
INI

export TARVEK_SETTINGS_ROOT=$DEMO/settings
export TARVEK_DRIVE_ROOT=$DEMO/drives
export LANG=tr_TR.UTF-8 LC_ALL=tr_TR.UTF-8
echo "Portal (simülatör): $APP   ön sayfa: $FRONT"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$DEMO/program/TarvekFOTO" "$@"
else
    echo "Ekran yok: program sanal ekranda (xvfb) çalışıyor."
    xvfb-run -a -s "-screen 0 1400x900x24" "$DEMO/program/TarvekFOTO" "$@"
fi
