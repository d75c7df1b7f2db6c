// EditorWindowTestSupport: the parts of the real-window editor tests that every platform shares.
#pragma once

#include "gui/VSTEditorBase.h"
#include "gui/ZelCheckBox.h"

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
} // namespace EditorWindowTest
