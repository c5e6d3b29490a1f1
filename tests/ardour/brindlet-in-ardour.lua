-- Run by ardour7-lua: Ardour finds Brindlet in its VST path, puts it on a track fed with noise
-- by the dummy audio backend, and processes audio through it. Prints "RESULT ok" on success.
local function fail(message)
  print("RESULT fail: " .. message)
  os.exit(1)
end

local config = ARDOUR.config()
local folder = os.getenv("BRINDLET_VST_DIR") or ""
if folder ~= "" then config:set_plugin_path_lxvst(folder) end
print("VST path: " .. config:get_plugin_path_lxvst())

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
if backend:isnil() then fail("no dummy audio backend") end
backend:set_device_name("Uniform White Noise")
local session = create_session(os.getenv("BRINDLET_SESSION_DIR"), "brindlet", 48000)
if not session then fail("could not create a session") end

local found
for info in ARDOUR.LuaAPI.list_plugins():iter() do
  if info.type == ARDOUR.PluginType.LXVST and info.name == "Brindlet" then found = info end
end
if not found then fail("Brindlet is not among Ardour's VST plug-ins") end
print("found: " .. found.path)

local track = session:new_audio_track(2, 2, nil, 1, "Brindlet", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
local processor = ARDOUR.LuaAPI.new_plugin(session, "Brindlet", ARDOUR.PluginType.LXVST, "")
if processor:isnil() then fail("Ardour could not instantiate Brindlet") end
if track:add_processor_by_index(processor, 0, nil, true) ~= 0 then fail("could not insert it") end
local insert = processor:to_insert()
print("instantiated: " .. insert:plugin(0):name() .. ", " .. insert:plugin(0):parameter_count() ..
      " parameters")

for channel = 0, 1 do
  local port = track:input():audio(channel)
  if not port:connected() then port:connect("system:capture_" .. (channel + 1)) end
end
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput,
                                     PBD.GroupControlDisposition.NoGroup)
-- Half dry, so the output is never silent while the wet part waits for its next take.
if not ARDOUR.LuaAPI.set_processor_param(processor, 12, 0.5) then fail("could not set Mix") end
for _ = 1, 50 do ARDOUR.LuaAPI.wait_for_process_callback(1, 1) end

-- Timing statistics exist only once the plug-in has run enough cycles; the meter after it shows
-- that audio came out (read outside the process thread, so it is polled).
local timed, times = insert:get_stats(0, 0, 0, 0)
local level = -math.huge
for _ = 1, 50 do
  level = track:peak_meter():meter_level(0, ARDOUR.MeterType.MeterPeak)
  if level > -60 then break end
  ARDOUR.LuaAPI.usleep(100000)
end
print(string.format("processed: %s, %.0f us average per cycle, output peak %.1f dBFS",
                    tostring(timed), times[3], level))
if not timed then fail("Ardour ran no process cycles through Brindlet") end
if not (level > -60 and level < 12) then fail("no sensible audio after Brindlet") end
close_session()
print("RESULT ok")
