#include "gui/InputDlgNumeric.h"

#include "gui/ZelInputDlgModel.h"
#include "gui/ZelLookAndFeel.h"

TfrmInputDlgNumeric::TfrmInputDlgNumeric(const juce::String& caption) : TZelDialogForm(caption) {
  lblPrompt.setFont(ZelFonts::Make("Segoe UI", 12.0f));
  lblPrompt.setJustificationType(juce::Justification::topLeft);
  lblPrompt.setBorderSize({0, 0, 0, 0});
  txtNumeric.Model().MaxLength = ZelInputDlg::NumericMaxLength;
  txtNumeric.OnEnter = [this] {
    CloseWith(ModalOK);
  };
  txtNumeric.OnEscape = [this] {
    Cancel();
  };
  btnOK.onClick = [this] {
    CloseWith(ModalOK);
  };
  btnCancel.onClick = [this] {
    Cancel();
  };
  addAndMakeVisible(lblPrompt);
  addAndMakeVisible(txtNumeric);
  addAndMakeVisible(btnOK);
  addAndMakeVisible(btnCancel);
  SetClientSize(ZelInputDlg::NumericDialogWidth, ZelInputDlg::NumericDialogHeight);
}

void TfrmInputDlgNumeric::SetNumber(int32_t decimals, double minimum, double maximum, double value) {
  txtNumeric.SetDecimals(decimals);
  txtNumeric.Model().MinValue = minimum;
  txtNumeric.Model().MaxValue = maximum;
  txtNumeric.SetValue(value);
  txtNumeric.selectAll();
}

void TfrmInputDlgNumeric::resized() {
  const auto client = ClientArea();
  const auto layout =
      ZelInputDlg::Arrange(ZelInputDlg::NumericDialogDesign(), client.getWidth(), client.getHeight(), false);
  PlaceInClient(lblPrompt, layout.Prompt);
  PlaceInClient(txtNumeric, layout.Edit);
  PlaceInClient(btnOK, layout.Ok);
  PlaceInClient(btnCancel, layout.Cancel);
}
