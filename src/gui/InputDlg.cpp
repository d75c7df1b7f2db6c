#include "gui/InputDlg.h"

#include "gui/ZelInputDlgModel.h"
#include "gui/ZelLookAndFeel.h"

TfrmInputDlg::TfrmInputDlg(const juce::String& caption) : TZelDialogForm(caption) {
  const juce::Font font = ZelFonts::Make("Segoe UI", 12.0f);
  lblPrompt.setFont(font);
  lblPrompt.setJustificationType(juce::Justification::topLeft);
  lblPrompt.setBorderSize({0, 0, 0, 0});
  txtValue.setFont(font);
  txtValue.addListener(this);
  btnOK.onClick = [this] {
    if (btnOK.isEnabled()) {
      CloseWith(ModalOK);
    }
  };
  btnCancel.onClick = [this] {
    Cancel();
  };
  addAndMakeVisible(lblPrompt);
  addAndMakeVisible(txtValue);
  addAndMakeVisible(btnOK);
  addAndMakeVisible(btnCancel);
  SetClientSize(ZelInputDlg::TextDialogWidth, ZelInputDlg::TextDialogHeight);
  UpdateOkEnabled();
}

void TfrmInputDlg::SetText(const juce::String& text, int maxLength) {
  txtValue.setInputRestrictions(std::max(0, maxLength));
  txtValue.setText(maxLength > 0 ? text.substring(0, maxLength) : text, false);
  txtValue.selectAll();
  UpdateOkEnabled();
}

void TfrmInputDlg::UpdateOkEnabled() {
  btnOK.setEnabled(ZelInputDlg::OkEnabled(txtValue.getText().toStdString(), AllowEmpty));
}

void TfrmInputDlg::textEditorReturnKeyPressed(juce::TextEditor&) {
  if (btnOK.isEnabled()) {
    CloseWith(ModalOK);
  }
}

void TfrmInputDlg::resized() {
  const auto client = ClientArea();
  const auto layout =
      ZelInputDlg::Arrange(ZelInputDlg::TextDialogDesign(), client.getWidth(), client.getHeight(), true);
  PlaceInClient(lblPrompt, layout.Prompt);
  PlaceInClient(txtValue, layout.Edit);
  PlaceInClient(btnOK, layout.Ok);
  PlaceInClient(btnCancel, layout.Cancel);
}
