#include "editor/EditorTimingVelocity.h"

#include "editor/EditorStaticText.h"
#include "engine/TriaxoSetup.h"
#include "engine/ZelVSTParameterValues.h"
#include "gui/VSTEditorMenu.h"
#include "gui/ZelLookAndFeel.h"
#include "host/VSTPluginBaseDM.h"

using namespace TimingVelocity;

namespace {
constexpr int RowCaptionTop = 26;
constexpr int RowPanelLeft = 60;
constexpr int RowPanelWidth = 639;
constexpr int RowPanelHeight = 73;
constexpr uint8_t RowPanelAlpha = 50;
constexpr TColor Silver = 0xC0C0C0;
constexpr TColor MoneyGreen = 0xC0DCC0;
constexpr TColor ActiveCaption = 0x99B4D1;
constexpr int BoxWidth = 190;
constexpr int BoxHeight = 22;
// The check box draws its caption this far right of its left edge.
constexpr int BoxTextLeft = 19 + 2;
constexpr float DialScrollRange = 600.0f;
constexpr float DialWheelStep = 0.2f;
constexpr float VelocityScaleLimit = 100.0f;
constexpr float VelocityRandomMax = 200.0f;

} // namespace

TEditorTimingVelocity::TEditorTimingVelocity(TfrmVSTEditorMenu& form, TZelGuiPanel& panel,
                                             TTriaxoSetup* setup)
    : chkRelativeTiming("Relative Timing"), chkSameRandomVelocity("Same Random Velocity"),
      chkRandomNoteAssignment("Random Note Assignment"), FForm(form), FPanel(panel), FOwner(form, setup),
      FBoxes(FOwner.Setup(), FOwner) {
  for (int32_t row = 0; row < RowCount; ++row) {
    CreateRow(row);
  }
  BindBox(chkRelativeTiming, obxRelativeTiming, 0);
  BindBox(chkSameRandomVelocity, obxSameRandomVelocity, BoxPitch);
  BindBox(chkRandomNoteAssignment, obxRandomNoteAssignment, 2 * BoxPitch);
}

void TEditorTimingVelocity::CreateRow(int32_t index) {
  FRows[static_cast<std::size_t>(index)] = std::make_unique<TNoteRow>();
  TNoteRow& row = Row(index);
  const int top = index * RowPitch;
  const juce::String number(index + 1);
  PlaceStaticText(FPanel, row.lblNote, "Note " + number, 0, top + RowCaptionTop, 15.0f);

  row.panNote.PanelColor = Silver;
  row.panNote.Alpha = RowPanelAlpha;
  row.panNote.BorderRadius = 1;
  row.panNote.setBounds(RowPanelLeft, top, RowPanelWidth, RowPanelHeight);
  FPanel.addAndMakeVisible(row.panNote);

  // Each caption ends where the control to its right begins.
  PlaceStaticText(row.panNote, row.lblStart, "Start Delay", 9, 10, 13.0f, 87 - 9);
  PlaceStaticText(row.panNote, row.lblEnd, "End Delay", 9, 41, 13.0f, 87 - 9);
  PlaceStaticText(row.panNote, row.lblVelocityScale, "Vel Scale", 502, 6, 13.0f, 573 - 502);
  PlaceStaticText(row.panNote, row.lblVelocityScaleRandom, "Random", 573, 6, 13.0f, RowPanelWidth - 573);

  row.sliderNoteStart.setBounds(87, 8, 404, 24);
  row.sliderNoteEnd.setBounds(87, 39, 404, 24);
  BindSlider(row.sliderNoteStart, index, tkStart);
  BindSlider(row.sliderNoteEnd, index, tkEnd);

  TZelDialModel& scale = row.dialVelocityScale.Model();
  scale.SetMin(-VelocityScaleLimit);
  scale.SetMax(VelocityScaleLimit);
  row.dialVelocityScale.SetStripKind(dskCentre);
  row.dialVelocityScale.setBounds(510, 25, ZelDialStrips::FrameSize, ZelDialStrips::FrameSize);
  TZelDialModel& random = row.dialVelocityScaleRandom.Model();
  random.SetMin(0.0f);
  random.SetMax(VelocityRandomMax);
  row.dialVelocityScaleRandom.SetStripKind(dskFromZero);
  row.dialVelocityScaleRandom.setBounds(579, 25, ZelDialStrips::FrameSize, ZelDialStrips::FrameSize);
  BindDial(row.dialVelocityScale, index, tkVelocityScale);
  BindDial(row.dialVelocityScaleRandom, index, tkVelocityRandom);
}

void TEditorTimingVelocity::BindSlider(TZelSlider& slider, int32_t row, TTimingKind valueKind) {
  const std::string valueName = ParameterName(row, valueKind);
  const std::string randomName = ParameterName(row, static_cast<TTimingKind>(valueKind + 1));
  TZelSliderModel& model = slider.Model();
  model.SetMaxValue(MaxDelayMs);
  model.UseRandom = true;
  model.ShowText = true;
  model.ValueColor = ActiveCaption;
  model.RandomColor = MoneyGreen;
  slider.Font = ZelFonts::Make("Segoe UI", 12.0f, true);
  model.OnGetText = [](TObject*, float value, float random, std::string& text) {
    text = SliderText(value, random);
  };
  // An Alt press sets the random range, so the protocol acts on the random parameter.
  model.OnBeforeMouseDown = [this, &slider, valueName, randomName](TObject*, TMouseButton, TShiftState shift,
                                                                   int, int, bool& proceed) {
    const std::string& name = InShift(shift, ssAlt) ? randomName : valueName;
    proceed = FForm.ControlMouseDown(
        name, shift,
        [this, valueName, randomName](TObject* data) {
          FForm.UpdateControl(valueName, data);
          FForm.UpdateControl(randomName, data);
        },
        &slider);
  };
  model.OnChange = [this, valueName](TObject* sender) {
    FForm.ControlValueChanged(valueName, sender, 0.0f);
  };
  model.OnChangeRandom = [this, randomName](TObject* sender) {
    FForm.ControlValueChanged(randomName, sender, 0.0f);
  };
  model.OnPopulatePopupMenu = [&model](TObject*, TZelPopupMenu& popup) {
    BuildValueMenu(
        popup, [&model](float value) { model.SetValue(value); },
        [&model](float random) { model.SetRandom(random); });
  };
  slider.SetShowPopup(true);
  slider.Popup()->OnPopup = [&model](TZelPopupMenu& menu) {
    CheckValueMenu(menu, model.Value(), model.Random());
  };
  Row(row).panNote.addAndMakeVisible(slider);
}

void TEditorTimingVelocity::BindDial(TZelGuiStitchedDial& dial, int32_t row, TTimingKind kind) {
  const std::string name = ParameterName(row, kind);
  TZelDialModel& model = dial.Model();
  model.SetDefaultValue(0.0f);
  model.ScrollRange = DialScrollRange;
  model.WheelStep = DialWheelStep;
  model.OnBeforeMouseDown = [this, &dial, name](TObject*, TMouseButton, TShiftState shift, int, int,
                                                bool& proceed) {
    proceed = FForm.ControlMouseDown(
        name, shift, [this, name](TObject* data) { FForm.UpdateControl(name, data); }, &dial);
  };
  model.OnChange = [this, name](TObject* sender) {
    FForm.ControlValueChanged(name, sender, 0.0f);
  };
  Row(row).panNote.addAndMakeVisible(dial);
}

void TEditorTimingVelocity::BindBox(TZelCheckBox& box, TOptionBox which, int top) {
  const int room = FPanel.getWidth() > BoxLeft ? FPanel.getWidth() - BoxLeft : BoxWidth;
  box.setBounds(BoxLeft, top, std::min(BoxWidth, room), BoxHeight);
  box.Font = FitStaticFont(ZelFonts::Make("Segoe UI", 13.0f, true), box.getButtonText(),
                           box.getWidth() - BoxTextLeft);
  box.OnBeforeMouseDown = [this, &box, which](TObject*, TMouseButton, TShiftState shift, int, int,
                                              bool& proceed) {
    proceed = FBoxes.BoxBeforeMouseDown(which, shift, [&box](bool checked) { box.SetChecked(checked); });
  };
  box.OnClick = [this, &box, which](TObject*) {
    FBoxes.BoxClick(which, box.Checked());
  };
  FPanel.addAndMakeVisible(box);
}

TZelCheckBox& TEditorTimingVelocity::Box(TOptionBox box) {
  switch (box) {
  case obxSameRandomVelocity:
    return chkSameRandomVelocity;
  case obxRandomNoteAssignment:
    return chkRandomNoteAssignment;
  default:
    return chkRelativeTiming;
  }
}

TZelSlider* TEditorTimingVelocity::SliderOf(int32_t row, TTimingKind kind) {
  if (row < 0 || row >= RowCount) {
    return nullptr;
  }
  switch (kind) {
  case tkStart:
  case tkStartRandom:
    return &Row(row).sliderNoteStart;
  case tkEnd:
  case tkEndRandom:
    return &Row(row).sliderNoteEnd;
  default:
    return nullptr;
  }
}

TZelGuiStitchedDial* TEditorTimingVelocity::DialOf(int32_t row, TTimingKind kind) {
  if (row < 0 || row >= RowCount) {
    return nullptr;
  }
  if (kind == tkVelocityScale) {
    return &Row(row).dialVelocityScale;
  }
  if (kind == tkVelocityRandom) {
    return &Row(row).dialVelocityScaleRandom;
  }
  return nullptr;
}

void TEditorTimingVelocity::UpdateControlsFromPlugin() {
  for (const TTimingKind kind : {tkEnd, tkStart}) {
    for (int32_t row = 0; row < RowCount; ++row) {
      TZelSlider& slider = *SliderOf(row, kind);
      FForm.UpdateControl(ParameterName(row, kind), &slider);
      FForm.UpdateControl(ParameterName(row, static_cast<TTimingKind>(kind + 1)), &slider);
    }
  }
  for (const TTimingKind kind : {tkVelocityScale, tkVelocityRandom}) {
    for (int32_t row = 0; row < RowCount; ++row) {
      FForm.UpdateControl(ParameterName(row, kind), DialOf(row, kind));
    }
  }
}

void TEditorTimingVelocity::UpdateBoxesFromPlugin() {
  for (const TOptionBox box : {obxRelativeTiming, obxSameRandomVelocity, obxRandomNoteAssignment}) {
    const bool stored = FBoxes.BoxFromPlugin(box);
    if (Box(box).Checked() != stored) {
      Box(box).SetChecked(stored);
    }
  }
}

bool TEditorTimingVelocity::ControlValueChanged(const std::string& name, TObject* control) {
  auto* slider = dynamic_cast<TZelSlider*>(control);
  if (slider == nullptr || !IsRandomParameter(name) || FForm.Module() == nullptr) {
    return false;
  }
  TVSTPluginBase& module = *FForm.Module();
  SendSliderRandom(
      module.ParameterValues, name, slider->Model(), FOwner.Updating() || FRefreshingRandom,
      [&module](std::string_view parameter, float value) { module.SetParameterByName(parameter, value); });
  FForm.ControlChanged(name);
  return true;
}

bool TEditorTimingVelocity::UpdateControl(const std::string& name, TObject* control) {
  auto* slider = dynamic_cast<TZelSlider*>(control);
  if (slider == nullptr || !IsRandomParameter(name) || FForm.Module() == nullptr) {
    return false;
  }
  UpdateSliderRandom(FForm.Module()->ParameterValues, name, slider->Model(), FRefreshingRandom);
  return true;
}

float TEditorTimingVelocity::StoredValue(const std::string& name) const {
  if (FForm.Module() == nullptr) {
    return 0.0f;
  }
  const TVSTParameterValues& values = FForm.Module()->ParameterValues;
  const int32_t index = values.IndexOfName(name);
  return index < 0 ? 0.0f : static_cast<float>(values.Items(index).CurrentValue);
}

bool TEditorTimingVelocity::ControlChanged(const std::string& name) {
  int32_t row = 0;
  TTimingKind kind = tkStart;
  if (!ParseParameterName(name, row, kind)) {
    return false;
  }
  float value = 0.0f;
  if (TZelSlider* slider = SliderOf(row, kind)) {
    value = (kind == tkStartRandom || kind == tkEndRandom) ? slider->Random() : slider->Value();
  } else if (TZelGuiStitchedDial* dial = DialOf(row, kind)) {
    value = dial->Value();
  }
  FOwner.ShowInfo(InfoText(kind, value, StoredValue(ParameterName(row, tkVelocityRandom))));
  return true;
}
