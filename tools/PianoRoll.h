// PianoRoll: an SVG picture of a render, input triggers over the plug-in's output notes and velocities.
#pragma once

#include "MidiRender.h"

#include <string>

// The whole SVG document. Output notes are coloured by velocity, input notes are outlined, a lane
// under the roll shows every note-on's velocity, so strums and humanised velocities show at a glance.
std::string BuildPianoRollSvg(const TRenderResult& result, double sampleRate, const std::string& title);

// Writes the document; throws EMidiFileError("cannot write P") on failure.
void WritePianoRoll(const std::string& path, const TRenderResult& result, double sampleRate,
                    const std::string& title);
