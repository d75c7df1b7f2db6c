ardour { ["type"] = "dsp", name = "Triaxo Test Capture", category = "Utility", license = "GPL-3.0-or-later",
  author = "Triaxo", description = [[Records every MIDI message it receives into shared memory: count at 0,
then per message its transport sample (-1 while stopped) and three bytes. Passes MIDI on.]] }

local MAXEV = 1000
function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } } end

function dsp_init (rate)
  self:shmem ():allocate (1 + MAXEV * 4)
  self:shmem ():atomic_set_int (0, 0)
end

function dsp_run (_, _, n_samples)
  local shm = self:shmem ()
  local n = shm:atomic_get_int (0)
  local buf = shm:to_int (1):array ()
  local rolling = Session:transport_rolling ()
  local now = Session:transport_sample ()
  local cnt = 1
  for _, b in ipairs (midiin) do
    local d = b["data"]
    if n < MAXEV then
      buf[n * 4 + 1] = rolling and (now + b["time"] - 1) or -1
      buf[n * 4 + 2] = d[1] or -1
      buf[n * 4 + 3] = d[2] or -1
      buf[n * 4 + 4] = d[3] or -1
      n = n + 1
    end
    midiout[cnt] = b; cnt = cnt + 1
  end
  shm:atomic_set_int (0, n)
end
