// triaxo-guide-shots: renders the user guide's pictures from the real editor and collects the default chord
// library and scale templates the editor writes on its first start.
// Usage: triaxo-guide-shots SHOTS_FOLDER [DEFAULTS_FOLDER]
#include "GuideShots.h"

#include "gui/TestDisplay.h"
#include "plugin/EditorRegistration.h"
#include "support/FakeHome.h"

#include <iostream>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: triaxo-guide-shots SHOTS_FOLDER [DEFAULTS_FOLDER]\n";
    return 2;
  }
  try {
    // A home of its own: neither the user's settings nor presets show in the pictures, and the editor
    // writes its default files afresh.
    TFakeHome home;
    std::string reason;
    if (!TestDisplay::Ensure(reason)) {
      std::cerr << "triaxo-guide-shots: " << reason << "\n";
      return 1;
    }
    RegisterEditorWindow();
    int written = 0;
    std::vector<std::string> defaults;
    {
      TSnapshotInstance instance;
      written = WriteGuideShots(instance, argv[1]);
      if (argc == 3)
        defaults = CopyDefaultTexts(instance.Module(), argv[2]);
    }
    std::cout << "triaxo-guide-shots: " << written << " pictures in " << argv[1];
    if (argc == 3) {
      std::cout << "; default texts:";
      for (const std::string& name : defaults)
        std::cout << " \"" << name << "\"";
      if (defaults.empty())
        std::cout << " none (this editor writes no chord library)";
    }
    std::cout << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "triaxo-guide-shots: " << e.what() << "\n";
    return 1;
  }
}
