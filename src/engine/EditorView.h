// EditorView: what the plug-in needs from an open editor window at editor-idle time.
#pragma once

#include <cstdint>
#include <string>

class THighlightedNotes;
class TMidiNoteList;

// Implemented by the editor window. Every call comes on the user-interface thread; the audio thread
// never touches the editor (its notices travel through the engine's editor feed).
class TEditorView {
public:
  virtual ~TEditorView() = default;

  // Refreshes every control from the setup and the parameter values.
  virtual void UpdateFromPlugin() = 0;
  // The editor's own lists, changed only on the user-interface thread.
  virtual THighlightedNotes& HighlightedNotes() = 0;
  virtual TMidiNoteList& SoundingNotes() = 0;
  // Puts a learned octave into the octave input that waits for it and ends the learning highlight.
  virtual void SetLearnedOctave(int32_t octave) = 0;
  // Shows the highlighted trigger keys as pressed or released and repaints the trigger keyboard.
  virtual void RefreshHighlights() = 0;
  // Shows a text in the information line; an empty text shows the sounding-note text.
  virtual void ShowInfo(const std::string& text) = 0;
};
