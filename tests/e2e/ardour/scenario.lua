-- One end-to-end scenario of the Triaxo plug-in inside Ardour (headless, Dummy backend).
-- usage: ardour7-lua scenario.lua <session-dir> <scenario> <capture-file>
-- Scenarios: identity, passthrough, chord (needs the init preset in the documents folder).
-- Chain of the MIDI track: Triaxo Test Inject -> Triaxo (LXVST) -> Triaxo Test Capture. Positions are
-- transport samples at 48 kHz with the transport rolling from 0; a failed check raises an error, which
-- makes ardour7-lua exit non-zero.
local dir, scenario, outf = arg[1], arg[2], arg[3]
assert (dir and scenario and outf, "usage: scenario.lua <session-dir> <scenario> <capture-file>")

local RATE = 48000
local STRUM = 1440 -- 30 ms at 48 kHz

local failures = {}
local function check (cond, what)
  if not cond then failures[#failures + 1] = what end
end

-- The engine must run with a fixed block size before the session exists, or the track latency varies.
AudioEngine:set_backend ("None (Dummy)", "", "")
AudioEngine:set_buffer_size (1024)
assert (create_session (dir, "e2e", RATE), "create_session failed")

local pi = ARDOUR.LuaAPI.new_plugin_info ("Triaxo", ARDOUR.PluginType.LXVST)
assert (not pi:isnil (), "Triaxo not found as LXVST (scan missing?)")

local tl = Session:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
  ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1), false, ARDOUR.PluginInfo (), nil, nil, 1, "T",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tl:front ()
local inj = ARDOUR.LuaAPI.new_plugin (Session, "Triaxo Test Inject", ARDOUR.PluginType.Lua, "")
local vst = ARDOUR.LuaAPI.new_plugin (Session, "Triaxo", ARDOUR.PluginType.LXVST, "")
local cap = ARDOUR.LuaAPI.new_plugin (Session, "Triaxo Test Capture", ARDOUR.PluginType.Lua, "")
assert (not inj:isnil () and not vst:isnil () and not cap:isnil (), "plug-in instantiation failed")
assert (track:add_processor_by_index (inj, 0, nil, true) == 0, "cannot add the injector")
assert (track:add_processor_by_index (vst, 1, nil, true) == 0, "cannot add Triaxo")
assert (track:add_processor_by_index (cap, 2, nil, true) == 0, "cannot add the capture")

-- Plays a schedule { {sample, status, data1, data2}, ... } from transport sample 0 and returns the
-- captured messages { {sample, status, data1, data2}, ... } before the transport stops (Ardour sends its
-- own note-offs on stop).
local function play (schedule, seconds)
  local shm = inj:to_insert ():plugin (0):to_luaproc ():shmem ()
  local buf = shm:to_int (1):array ()
  for k, e in ipairs (schedule) do
    for j = 1, 4 do buf[(k - 1) * 4 + j] = e[j] end
  end
  Session:request_locate (0, false, ARDOUR.LocateTransportDisposition.MustStop, ARDOUR.TransportRequestSource.TRS_UI)
  sleep (0.2)
  shm:atomic_set_int (0, #schedule)
  Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
  sleep (seconds)
  local cs = cap:to_insert ():plugin (0):to_luaproc ():shmem ()
  local n = cs:atomic_get_int (0)
  local cb = cs:to_int (1):array ()
  local got = {}
  for k = 0, n - 1 do
    got[#got + 1] = { cb[k * 4 + 1], cb[k * 4 + 2], cb[k * 4 + 3], cb[k * 4 + 4] }
  end
  Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
  local f = io.open (outf, "w")
  for _, e in ipairs (got) do f:write (string.format ("%d %02x %02x %02x\n", e[1], e[2], e[3], e[4])) end
  f:close ()
  return got
end

-- The captured message of this status and pitch at this sample, or nil. Messages at one sample may come
-- in any order, so they are looked up, not compared in sequence.
local function find (got, sample, status, pitch)
  for _, e in ipairs (got) do
    if e[1] == sample and e[2] == status and e[3] == pitch then return e end
  end
  return nil
end

local function expect_note (got, sample, status, pitch, vlow, vhigh)
  local e = find (got, sample, status, pitch)
  check (e ~= nil, string.format ("no %02x %d at %d", status, pitch, sample))
  if e and vlow then
    check (e[4] >= vlow and e[4] <= vhigh,
      string.format ("%02x %d at %d has velocity %d, not %d..%d", status, pitch, sample, e[4], vlow, vhigh))
  end
end

if scenario == "identity" then
  local p = vst:to_insert ():plugin (0)
  print ("name", pi.name, "creator", pi.creator, "unique_id", pi.unique_id, "params", p:parameter_count ())
  check (pi.name == "Triaxo", "name " .. tostring (pi.name))
  check (pi.creator == "Ventrakis", "creator " .. tostring (pi.creator))
  check (tostring (pi.unique_id) == "1803038777", "unique id " .. tostring (pi.unique_id)) -- 'kx09'
  check (p:parameter_count () == 30, "parameter count " .. p:parameter_count ())
  local kinds = { " Start", " Start Random", " End", " End Random", " Velocity Scale", " Velocity Random" }
  local f = io.open (outf, "w")
  for i = 0, p:parameter_count () - 1 do
    local _, d = p:get_parameter_descriptor (i, ARDOUR.ParameterDescriptor ())
    local name = d[2].label
    f:write (string.format ("%d %s\n", i, name))
    local expected = "Note" .. (i // 6 + 1) .. kinds[i % 6 + 1]
    check (name == expected, string.format ("parameter %d is '%s', not '%s'", i, name, expected))
  end
  f:close ()
  local io_in = vst:to_insert ():natural_input_streams ():n_midi ()
  local io_out = vst:to_insert ():natural_output_streams ():n_midi ()
  check (io_in == 1 and io_out == 1, string.format ("MIDI ports %d in, %d out", io_in, io_out))
elseif scenario == "passthrough" then
  -- Default state: the white key C plays itself, the black key C# is no trigger, controllers pass.
  local got = play ({ { 24000, 0x90, 60, 100 }, { 26000, 0xB0, 7, 99 }, { 30000, 0x90, 61, 90 },
                      { 32000, 0x80, 61, 0 }, { 36000, 0x80, 60, 0 } }, 1.2)
  expect_note (got, 24000, 0x90, 60, 100, 100)
  expect_note (got, 26000, 0xB0, 7, 99, 99)
  expect_note (got, 36000, 0x80, 60)
  for _, e in ipairs (got) do check (e[3] ~= 61, "C# came out at " .. e[1]) end
  check (#got == 3, "captured " .. #got .. " messages, expected 3")
elseif scenario == "chord" then
  -- Init preset "C Major Strum": C -> C E G, D -> D F A, 30 ms apart, velocity -20 % .. 0 %; the chord
  -- ends with its trigger.
  local got = play ({ { 24000, 0x90, 60, 100 }, { 48000, 0x80, 60, 0 },
                      { 52000, 0x90, 62, 90 }, { 60000, 0x80, 62, 0 } }, 1.6)
  for i, pitch in ipairs ({ 60, 64, 67 }) do
    expect_note (got, 24000 + (i - 1) * STRUM, 0x90, pitch, 80, 100)
    expect_note (got, 48000, 0x80, pitch)
  end
  for i, pitch in ipairs ({ 62, 65, 69 }) do
    expect_note (got, 52000 + (i - 1) * STRUM, 0x90, pitch, 72, 90)
    expect_note (got, 60000, 0x80, pitch)
  end
  check (#got == 12, "captured " .. #got .. " messages, expected 12")
else
  error ("unknown scenario " .. scenario)
end

close_session ()
if #failures > 0 then
  for _, what in ipairs (failures) do print ("FAIL: " .. what) end
  error (scenario .. ": " .. #failures .. " check(s) failed")
end
print ("PASS: " .. scenario)
