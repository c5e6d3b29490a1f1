#!/usr/bin/env bash
# Opens brindlet.so's editor in Ardour 7 under a private Xvfb and takes screenshots: a session with
# one stereo track and Brindlet on it is made with ardour7-lua, Ardour's GUI loads it on the
# dummy audio backend, and xdotool opens the mixer, double-clicks the plug-in, clicks a preset,
# drags Pitch/ Start and types into the Pitch/ End entry. Not part of `make test`: it needs Ardour
# (apt-get install ardour xdotool imagemagick xvfb) and clicks at places of Ardour 7.3's layout.
#
# usage: tools/ardour-editor-check.sh [build/brindlet.so] [output folder]
set -euo pipefail

plugin=$(realpath "${1:-build/brindlet.so}")
out=$(realpath -m "${2:-build/pictures/ardour}")
for tool in ardour ardour7-lua Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
[ -f "$plugin" ] || { echo "no plug-in at $plugin" >&2; exit 2; }
mkdir -p "$out"

work=$(mktemp -d /tmp/brindlet-ardour.XXXXXX)
export HOME=$work                       # Ardour's configuration and caches stay in here
export LXVST_PATH=$HOME/.vst
display=:$((90 + RANDOM % 100))
xvfb_pid=""
ardour_pid=""
cleanup() {
    [ -n "$ardour_pid" ] && kill "$ardour_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The plug-in where Linux hosts look, indexed by Ardour's own scanner.
mkdir -p "$HOME/.vst" "$HOME/.config/ardour7" "$HOME/.local/share"
cp "$plugin" "$HOME/.vst/brindlet.so"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q "$HOME/.vst/brindlet.so"

# No first-run wizard, the dummy backend offered and started without asking.
touch "$HOME/.config/ardour7/.a7"
cat >"$HOME/.config/ardour7/config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device=""
               output-device="" sample-rate="48000" buffer-size="1024" n-periods="0"
               input-latency="0" output-latency="0" lm-input="" lm-output="" active="1"
               use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF

session=$HOME/BrindletSession
cat >"$work/make-session.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
local s = create_session("$session", "BrindletSession", 48000)
assert(s, "no session")
local track = s:new_audio_track(2, 2, nil, 1, "Drums", ARDOUR.PresentationInfo.max_order,
                                ARDOUR.TrackMode.Normal, true):front()
local brindlet = ARDOUR.LuaAPI.new_plugin(s, "Brindlet", ARDOUR.PluginType.LXVST, "")
assert(not brindlet:isnil(), "Ardour does not know Brindlet")
assert(track:add_processor_by_index(brindlet, 0, nil, true) == 0, "cannot add Brindlet")
s:save_state("", false, false, false, false, false)
close_session()
EOF
(cd "$work" && ardour7-lua "$work/make-session.lua" >"$work/lua.log" 2>&1) ||
    { cat "$work/lua.log" >&2; exit 1; }
# The session names the backend as the GUI does, so no "device has changed" question comes up.
sed -i 's/<EngineHints backend="Dummy"/<EngineHints backend="None (Dummy)"/' \
    "$session/BrindletSession.ardour"

Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 2

shot() {
    import -window root "$out/$1.png"
    echo "saved $out/$1.png"
}
click() {  # x y [pause]
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.2
    xdotool mouseup 1
    sleep "${3:-1}"
}

(cd "$work" && exec ardour "$session" >"$out/ardour.log" 2>&1) &
ardour_pid=$!
# The editor window of the session appears once the engine runs and the session is loaded.
xdotool search --sync --onlyvisible --name "BrindletSession" >/dev/null
sleep 8
shot 1-session

click 1326 73 3                        # "Mix": the mixer with the track's strip
shot 2-mixer
xdotool mousemove 328 214 click --repeat 2 --delay 80 1   # Brindlet in the strip's processor box
sleep 4
shot 3-editor-open
click 240 386 2                        # the "Big Drum" preset button
xdotool mousemove 255 141 mousedown 1  # Pitch/ Start dragged to the top
for y in 130 120 110 100 90 80; do xdotool mousemove 255 "$y"; sleep 0.1; done
xdotool mouseup 1
sleep 1
click 502 185 1                        # the Pitch/ End entry
for k in 0 period 1 2 5; do xdotool key "$k"; sleep 0.2; done
shot 4-typing
xdotool key Return
sleep 1
shot 5-after-edit
import -window root -crop 480x400+95+10 "$out/brindlet-in-ardour.png"

# Quit through Session > Quit > "Just quit": closes the editor inside Ardour.
click 29 12 1
click 40 494 2
xdotool mousemove 160 543 click 1 || true
for _ in $(seq 20); do kill -0 "$ardour_pid" 2>/dev/null || break; sleep 0.5; done
if kill -0 "$ardour_pid" 2>/dev/null; then
    echo "Ardour did not quit" >&2
    exit 1
fi
wait "$ardour_pid" && status=0 || status=$?
ardour_pid=""
echo "Ardour exited with status $status; screenshots in $out"
