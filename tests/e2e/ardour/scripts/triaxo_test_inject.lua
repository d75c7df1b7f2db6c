ardour { ["type"] = "dsp", name = "Triaxo Test Inject", category = "Utility", license = "GPL-3.0-or-later",
  author = "Triaxo", description = [[Sends a schedule of MIDI messages at transport sample positions while the
transport rolls. The session script writes the schedule into shared memory: count at 0, then per message
its transport sample and three bytes.]] }

local MAXEV = 256
function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } } end

function dsp_init (rate)
  self:shmem ():allocate (1 + MAXEV * 4)
  self:shmem ():atomic_set_int (0, 0)
end

function dsp_run (_, _, n_samples)
  local shm = self:shmem ()
  local n = shm:atomic_get_int (0)
  if n == 0 or not Session:transport_rolling () then return end
  local now = Session:transport_sample ()
  local buf = shm:to_int (1):array ()
  local cnt = 1
  for k = 0, n - 1 do
    local at = buf[k * 4 + 1]
    if at >= now and at < now + n_samples then
      midiout[cnt] = { ["time"] = at - now + 1, ["data"] = { buf[k * 4 + 2], buf[k * 4 + 3], buf[k * 4 + 4] } }
      cnt = cnt + 1
    end
  end
end
