// Tests of the message-box and input-dialog flows on top of the user-interface services.
#include "host/UiServices.h"

#include "host/RecordingUi.h"

#include <gtest/gtest.h>

namespace {

TEST(UiServicesTest, ErrorBoxesQuoteTheErrorAfterTwoLineBreaks) {
  TRecordingUi ui;
  EXPECT_EQ(ErrorMessageText("Error loading skin.", "no such style"),
            "Error loading skin.\r\n\r\n\"no such style\"");
  ShowErrorMessage(nullptr, "Error saving settings.", "Disk full", "Save Settings");
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Error saving settings.\r\n\r\n\"Disk full\"");
  EXPECT_EQ(ui.Boxes[0].Caption, "Save Settings");
  EXPECT_EQ(ui.Boxes[0].Buttons, mbOK);
  EXPECT_EQ(ui.Boxes[0].Icon, miWarning);
}

TEST(UiServicesTest, EmptyCaptionBecomesTheApplicationTitle) {
  TRecordingUi ui;
  ui.MessageAnswer = mrYes;
  TModalResult answer = mrNone;
  ShowMessage(nullptr, "Overwrite existing preset?", "", mbYesNo, miConfirmation,
              [&](TModalResult result) { answer = result; });
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Caption, "Triaxo");
  EXPECT_EQ(answer, mrYes);
}

TEST(UiServicesTest, NumberOutOfRangeReopensTheDialogAfterAQuarterSecond) {
  TRecordingUi ui;
  ui.NumberEntries = {200.0, -1.0, 64.0};
  bool ok = false;
  double value = 0.0;
  InputNumber(nullptr, "MIDI Set CC: Note1 Start", "CC# (0-127)", 127.0, 0.0, 0, 1.0,
              [&](bool accepted, double v) {
                ok = accepted;
                value = v;
              });
  EXPECT_TRUE(ok);
  EXPECT_EQ(value, 64.0);
  ASSERT_EQ(ui.NumberDialogs.size(), 3u);
  EXPECT_EQ(ui.NumberDialogs[0].Value, 1.0);
  EXPECT_EQ(ui.NumberDialogs[0].DelayBeforeMs, 0);
  // Each retry shows the rejected entry again, after the pause.
  EXPECT_EQ(ui.NumberDialogs[1].Value, 200.0);
  EXPECT_EQ(ui.NumberDialogs[1].DelayBeforeMs, 250);
  EXPECT_EQ(ui.NumberDialogs[2].Value, -1.0);
  EXPECT_EQ(ui.NumberDialogs[2].DelayBeforeMs, 250);
}

TEST(UiServicesTest, NumberWithEqualLimitsTakesAnyValueAndCancelAnswersFalse) {
  TRecordingUi ui;
  ui.NumberEntries = {5000.0};
  double value = 0.0;
  InputNumber(nullptr, "Tempo", "BPM", 0.0, 0.0, 1, 120.0, [&](bool, double v) { value = v; });
  EXPECT_EQ(value, 5000.0);
  EXPECT_EQ(ui.NumberDialogs.size(), 1u);

  bool ok = true;
  InputNumber(nullptr, "Tempo", "BPM", 300.0, 20.0, 1, 120.0, [&](bool accepted, double) { ok = accepted; });
  EXPECT_FALSE(ok);
}

TEST(UiServicesTest, ConsoleAnswersAtOnceWithoutAWindow) {
  ASSERT_NE(dynamic_cast<TConsoleUiServices*>(&UiServices()), nullptr);
  testing::internal::CaptureStderr();
  TModalResult okAnswer = mrNone;
  TModalResult question = mrNone;
  ShowMessage(nullptr, "Error saving settings.\r\n\r\n\"x\"", "Save Settings", mbOK, miWarning,
              [&](TModalResult r) { okAnswer = r; });
  ShowMessage(nullptr, "Delete \"Pads\"?", "Delete Preset", mbYesNo, miConfirmation,
              [&](TModalResult r) { question = r; });
  bool textOk = true;
  InputText(nullptr, "Save Preset", "Name", true, 50, "Pads",
            [&](bool ok, const std::string&) { textOk = ok; });
  bool numberOk = true;
  InputNumber(nullptr, "CC", "CC#", 127, 0, 0, 1, [&](bool ok, double) { numberOk = ok; });
  ShowMessage(nullptr, "no callback", "Note", mbOK, miInformation);
  std::string output = testing::internal::GetCapturedStderr();
  EXPECT_EQ(okAnswer, mrOK);
  EXPECT_EQ(question, mrNo);
  EXPECT_FALSE(textOk);
  EXPECT_FALSE(numberOk);
  EXPECT_NE(output.find("Save Settings: Error saving settings.\n\n\"x\""), std::string::npos);
  EXPECT_NE(output.find("Delete Preset: Delete \"Pads\"?"), std::string::npos);
}

} // namespace
