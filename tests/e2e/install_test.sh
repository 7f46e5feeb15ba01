#!/usr/bin/env bash
# cmake --install into a temporary prefix, then the installed launcher with
# a temporary XDG_DATA_HOME: the player's directory appears with the option
# file (CDPath pointing at the installed data), the log (in XDG_STATE_HOME) and, after the game
# ends, the profile file. The desktop file and the metainfo are validated
# when the validators are installed.
set -u
build=${RUMBO_BUILD:?}
dir=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL $*"; [[ -f "$dir/out" ]] && cat "$dir/out"; exit 1; }
export XDG_RUNTIME_DIR="$dir/run" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy RUMBO_MESSAGEBOX=Quit
unset DISPLAY WAYLAND_DISPLAY RUMBOTOWN_HOME
mkdir -m 700 "$dir/run"

prefix="$dir/prefix"
cmake --install "$build" --prefix "$prefix" >"$dir/install.out" 2>&1 || fail "cmake --install: $(cat "$dir/install.out")"
for file in bin/rumbotown libexec/rumbotown/rumbotown share/rumbotown/data/RumboTownDemo.ini \
    share/rumbotown/data/COMMON/arrwcur.tga share/icons/hicolor/256x256/apps/rumbotown.png \
    share/applications/io.rumbotown.RumboTown.desktop share/metainfo/io.rumbotown.RumboTown.metainfo.xml; do
    [[ -e "$prefix/$file" ]] || fail "not installed: $file"
done
[[ -e "$prefix/share/rumbotown/data/.stamps" ]] && fail "the build stamps were installed"

export XDG_DATA_HOME="$dir/xdg" XDG_STATE_HOME="$dir/state"
home="$XDG_DATA_HOME/rumbotown"
# The log lives in the player's state directory.
log="$XDG_STATE_HOME/rumbotown/DEBUG.LOG"
(cd / && exec "$prefix/bin/rumbotown") >"$dir/out" 2>&1 &
pid=$!
for _ in $(seq 200); do
    grep -q "profiles in" "$log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    sleep 0.05
done
[[ -f "$log" ]] || fail "no log at $log"
kill -TERM "$pid"
wait "$pid"
code=$?
pid=
[[ $code -eq 0 ]] || fail "exit code $code"
[[ -f "$home/rumbo.pxu" ]] || fail "no profile file in $home"
want_cd=$(cd "$prefix/share/rumbotown/data" && pwd)/
grep -q "^CDPath=$want_cd"$'\r'"\$" "$home/RumboTownDemo.ini" || fail "CDPath: $(grep -a CDPath "$home/RumboTownDemo.ini")"
grep -q "^InstallPath=$home/"$'\r'"\$" "$home/RumboTownDemo.ini" || fail "InstallPath: $(grep -a InstallPath "$home/RumboTownDemo.ini")"

# The data moved: the next start corrects CDPath, the player's edits stay.
sed -i 's/^StopOnHud=1/StopOnHud=0/' "$home/RumboTownDemo.ini"
mv "$prefix" "$dir/moved"
(cd / && exec "$dir/moved/bin/rumbotown") >"$dir/out" 2>&1 &
pid=$!
for _ in $(seq 200); do
    [[ $(grep -c "profiles in" "$log") -ge 2 ]] && break
    kill -0 "$pid" 2>/dev/null || fail "the moved game ended early"
    sleep 0.05
done
kill -TERM "$pid"
wait "$pid"
pid=
grep -q "^CDPath=$dir/moved/share/rumbotown/data/"$'\r'"\$" "$home/RumboTownDemo.ini" || fail "CDPath not corrected"
grep -q "^StopOnHud=0"$'\r'"\$" "$home/RumboTownDemo.ini" || fail "the player's edit was lost"

checked=""
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$dir/moved/share/applications/io.rumbotown.RumboTown.desktop" || fail "desktop file"
    checked+=" desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$dir/moved/share/metainfo/io.rumbotown.RumboTown.metainfo.xml" ||
        fail "metainfo"
    checked+=" metainfo"
fi
echo "ok: installed, launched, option file, log and profile made; validated:${checked:- nothing}"
