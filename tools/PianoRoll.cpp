#include "PianoRoll.h"

#include "MidiSong.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {
constexpr double LeftMargin = 56;
constexpr double RightMargin = 24;
constexpr double TopMargin = 48;
constexpr double LaneGap = 28;
constexpr double LaneHeight = 72;
constexpr double BottomMargin = 36;
constexpr double MaxRollWidth = 1400;
constexpr double MaxPixelsPerSecond = 400;
constexpr double MinNoteWidth = 2;
constexpr double MaxRowHeight = 12;
constexpr double MaxRollHeight = 560;
constexpr int PitchMargin = 2;
// MIDI note 60 shows as C3, as in the plug-in's own keyboard (lowest octave -2).
constexpr int DisplayOctaveOffset = -2;

struct TRollNote {
  int Pitch;
  int Velocity;
  double Start; // seconds
  double End;
  bool Closed;
};

std::vector<TRollNote> PairNotes(const std::vector<TTimedMidi>& messages, double sampleRate, double end) {
  std::vector<TRollNote> notes;
  std::map<int, std::vector<std::size_t>> open; // channel and pitch -> notes in start order
  for (const TTimedMidi& m : messages) {
    const int kind = m.Data[0] & 0xF0;
    const int key = ((m.Data[0] & 0x0F) << 7) | (m.Data[1] & 0x7F);
    const double time = static_cast<double>(m.Sample) / sampleRate;
    if (kind == 0x90 && m.Data[2] > 0) {
      open[key].push_back(notes.size());
      notes.push_back({m.Data[1] & 0x7F, m.Data[2] & 0x7F, time, end, false});
    } else if (kind == 0x80 || kind == 0x90) {
      auto it = open.find(key);
      if (it != open.end() && !it->second.empty()) {
        TRollNote& note = notes[it->second.front()];
        note.End = time;
        note.Closed = true;
        it->second.erase(it->second.begin());
      }
    }
  }
  return notes;
}

std::string NoteLabel(int pitch) {
  static const char* const Names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  const int octave = pitch / 12 + DisplayOctaveOffset;
  // The plug-in writes negative octaves with a true minus sign.
  return std::string(Names[pitch % 12]) +
         (octave < 0 ? "\u2212" + std::to_string(-octave) : std::to_string(octave));
}

bool IsBlackKey(int pitch) {
  const int pc = pitch % 12;
  return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}

// Quiet notes blue, loud notes red.
std::string VelocityColour(int velocity) {
  const double hue = 230.0 - 230.0 * std::clamp(velocity, 0, 127) / 127.0;
  char text[48];
  std::snprintf(text, sizeof text, "hsl(%.0f,75%%,50%%)", hue);
  return text;
}

std::string Fixed(double value, int digits = 2) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '&':
      out += "&amp;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}
} // namespace

std::string BuildPianoRollSvg(const TRenderResult& result, double sampleRate, const std::string& title) {
  const double duration = std::max(0.5, static_cast<double>(result.RenderedSamples) / sampleRate);
  const std::vector<TRollNote> input = PairNotes(result.Input, sampleRate, duration);
  const std::vector<TRollNote> output = PairNotes(result.Output, sampleRate, duration);

  int lowest = 60;
  int highest = 72;
  if (!input.empty() || !output.empty()) {
    lowest = 127;
    highest = 0;
    for (const auto* list : {&input, &output})
      for (const TRollNote& note : *list) {
        lowest = std::min(lowest, note.Pitch);
        highest = std::max(highest, note.Pitch);
      }
  }
  lowest = std::max(0, lowest - PitchMargin);
  highest = std::min(127, highest + PitchMargin);
  const int rows = highest - lowest + 1;
  const double rowHeight = std::min(MaxRowHeight, MaxRollHeight / rows);
  const double pixelsPerSecond = std::min(MaxPixelsPerSecond, MaxRollWidth / duration);
  const double rollWidth = duration * pixelsPerSecond;
  const double rollHeight = rows * rowHeight;
  const double laneTop = TopMargin + rollHeight + LaneGap;
  const double width = LeftMargin + rollWidth + RightMargin;
  const double height = laneTop + LaneHeight + BottomMargin;
  auto x = [&](double seconds) {
    return LeftMargin + seconds * pixelsPerSecond;
  };
  auto y = [&](int pitch) {
    return TopMargin + (highest - pitch) * rowHeight;
  };

  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Fixed(width, 0) << "\" height=\""
      << Fixed(height, 0) << "\" viewBox=\"0 0 " << Fixed(width, 0) << ' ' << Fixed(height, 0)
      << "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"10\">\n";
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg << "<text x=\"" << LeftMargin << "\" y=\"18\" font-size=\"13\" font-weight=\"bold\">" << Escape(title)
      << "</text>\n";
  // Legend.
  svg << "<rect x=\"" << LeftMargin << "\" y=\"27\" width=\"18\" height=\"8\" fill=\"none\" stroke=\"#333\" "
      << "stroke-dasharray=\"3,2\"/><text x=\"" << LeftMargin + 24
      << "\" y=\"35\">input (trigger notes)</text>\n";
  svg << "<rect x=\"" << LeftMargin + 150 << "\" y=\"27\" width=\"9\" height=\"8\" fill=\""
      << VelocityColour(20) << "\"/><rect x=\"" << LeftMargin + 159
      << "\" y=\"27\" width=\"9\" height=\"8\" fill=\"" << VelocityColour(120) << "\"/><text x=\""
      << LeftMargin + 174 << "\" y=\"35\">output, coloured by velocity (blue soft, red loud)</text>\n";

  // Keyboard rows.
  for (int pitch = lowest; pitch <= highest; ++pitch) {
    svg << "<rect x=\"" << LeftMargin << "\" y=\"" << Fixed(y(pitch)) << "\" width=\"" << Fixed(rollWidth)
        << "\" height=\"" << Fixed(rowHeight) << "\" fill=\"" << (IsBlackKey(pitch) ? "#eceff3" : "#f8f9fb")
        << "\"/>\n";
    if (pitch % 12 == 0 || rows <= 24)
      svg << "<text x=\"" << LeftMargin - 6 << "\" y=\"" << Fixed(y(pitch) + rowHeight - 1.5)
          << "\" text-anchor=\"end\">" << NoteLabel(pitch) << "</text>\n";
    if (pitch % 12 == 0)
      svg << "<line x1=\"" << LeftMargin << "\" x2=\"" << Fixed(LeftMargin + rollWidth) << "\" y1=\""
          << Fixed(y(pitch) + rowHeight) << "\" y2=\"" << Fixed(y(pitch) + rowHeight)
          << "\" stroke=\"#c8ccd4\"/>\n";
  }
  // Time grid: a line every half second or second, labelled in seconds.
  const double step = duration > 8 ? 1.0 : 0.5;
  for (double t = 0; t <= duration + 1e-9; t += step) {
    svg << "<line x1=\"" << Fixed(x(t)) << "\" x2=\"" << Fixed(x(t)) << "\" y1=\"" << TopMargin << "\" y2=\""
        << Fixed(laneTop + LaneHeight) << "\" stroke=\"#dde1e7\"/>\n";
    svg << "<text x=\"" << Fixed(x(t)) << "\" y=\"" << Fixed(laneTop + LaneHeight + 14)
        << "\" text-anchor=\"middle\">" << Fixed(t, step < 1 ? 1 : 0) << " s</text>\n";
  }
  // Trigger moments, so the strum after each one is easy to read.
  for (const TRollNote& note : input)
    svg << "<line x1=\"" << Fixed(x(note.Start)) << "\" x2=\"" << Fixed(x(note.Start)) << "\" y1=\""
        << TopMargin << "\" y2=\"" << Fixed(laneTop + LaneHeight) << "\" stroke=\"#9aa3b0\" "
        << "stroke-dasharray=\"2,3\"/>\n";

  for (const TRollNote& note : output) {
    const double w = std::max(MinNoteWidth, (note.End - note.Start) * pixelsPerSecond);
    svg << "<rect x=\"" << Fixed(x(note.Start)) << "\" y=\"" << Fixed(y(note.Pitch) + 1) << "\" width=\""
        << Fixed(w) << "\" height=\"" << Fixed(std::max(1.0, rowHeight - 2)) << "\" rx=\"1.5\" fill=\""
        << VelocityColour(note.Velocity) << "\" fill-opacity=\"0.85\"><title>" << NoteLabel(note.Pitch)
        << " velocity " << note.Velocity << ", " << Fixed(note.Start, 4) << " s to " << Fixed(note.End, 4)
        << " s" << (note.Closed ? "" : " (no note-off)") << "</title></rect>\n";
  }
  for (const TRollNote& note : input) {
    const double w = std::max(MinNoteWidth, (note.End - note.Start) * pixelsPerSecond);
    svg << "<rect x=\"" << Fixed(x(note.Start)) << "\" y=\"" << Fixed(y(note.Pitch) + 0.5) << "\" width=\""
        << Fixed(w) << "\" height=\"" << Fixed(std::max(1.0, rowHeight - 1)) << "\" fill=\"none\" "
        << "stroke=\"#222\" stroke-width=\"1.2\" stroke-dasharray=\"3,2\"><title>input "
        << NoteLabel(note.Pitch) << " velocity " << note.Velocity << ", " << Fixed(note.Start, 4)
        << " s</title></rect>\n";
  }

  // Velocity lane.
  svg << "<rect x=\"" << LeftMargin << "\" y=\"" << Fixed(laneTop) << "\" width=\"" << Fixed(rollWidth)
      << "\" height=\"" << LaneHeight << "\" fill=\"none\" stroke=\"#c8ccd4\"/>\n";
  svg << "<text x=\"" << LeftMargin - 6 << "\" y=\"" << Fixed(laneTop + 10)
      << "\" text-anchor=\"end\">127</text><text x=\"" << LeftMargin - 6 << "\" y=\""
      << Fixed(laneTop + LaneHeight) << "\" text-anchor=\"end\">vel</text>\n";
  auto stem = [&](const TRollNote& note, const std::string& colour, double widthPx) {
    const double top = laneTop + LaneHeight * (1.0 - note.Velocity / 127.0);
    svg << "<line x1=\"" << Fixed(x(note.Start)) << "\" x2=\"" << Fixed(x(note.Start)) << "\" y1=\""
        << Fixed(laneTop + LaneHeight) << "\" y2=\"" << Fixed(top) << "\" stroke=\"" << colour
        << "\" stroke-width=\"" << widthPx << "\"/><circle cx=\"" << Fixed(x(note.Start)) << "\" cy=\""
        << Fixed(top) << "\" r=\"2.5\" fill=\"" << colour << "\"/>\n";
  };
  for (const TRollNote& note : input)
    stem(note, "#9aa3b0", 3);
  for (const TRollNote& note : output)
    stem(note, VelocityColour(note.Velocity), 1.5);
  svg << "</svg>\n";
  return svg.str();
}

void WritePianoRoll(const std::string& path, const TRenderResult& result, double sampleRate,
                    const std::string& title) {
  const std::string document = BuildPianoRollSvg(result, sampleRate, title);
  WriteFileReplacing(path, document.data(), document.size());
}
