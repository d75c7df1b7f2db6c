// EditorWindowTestSupport: the parts of the real-window editor tests that every platform shares.
#pragma once

#include "gui/VSTEditorBase.h"
#include "gui/ZelCheckBox.h"
#include "host/VSTInterface.h"

#include <cstring>

namespace EditorWindowTest {
// A base window with one check box, the control the click tests press.
class TCheckBoxForm : public TfrmVSTEditorBase {
public:
  explicit TCheckBoxForm(const TZelSkin* skin) : TfrmVSTEditorBase(nullptr, skin) {
    check.setButtonText("Relative timing");
    check.setBounds(40, 40, 160, 22);
    panMain.addAndMakeVisible(check);
  }
  TZelCheckBox check;
};

// The host callback of the test host: a VST 2.4 host named "Triaxo Test Host".
inline vst::VstIntPtr VST_CALL TestHostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32,
                                                vst::VstIntPtr, void* ptr, float) {
  if (opcode == vst::audioMasterVersion) {
    return 2400;
  }
  if (opcode == vst::audioMasterGetProductString && ptr != nullptr) {
    std::strcpy(static_cast<char*>(ptr), "Triaxo Test Host");
    return 1;
  }
  return 0;
}
} // namespace EditorWindowTest
