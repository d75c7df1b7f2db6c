// ZelClickGate: how a refused press (OnBeforeMouseDown set Continue to false) suppresses the click that
// follows.
#pragma once

// Speed button: the press records whether its click may run; a suppressed click re-arms the button.
class TZelSpeedButtonGate {
public:
  void Press(bool proceed) { FAllowClick = proceed; }
  // True when the click runs.
  bool Click() {
    if (FAllowClick) {
      return true;
    }
    FAllowClick = true;
    return false;
  }
  bool AllowClick() const { return FAllowClick; }
  // The release of a refused press: the button stays disarmed until its next press or click.
  void RefusedRelease() {}

private:
  bool FAllowClick = true;
};

// Check box: a refused press marks the next click to be skipped, so the check state does not toggle.
class TZelCheckBoxGate {
public:
  void Press(bool proceed) {
    if (!proceed) {
      FSkipNextClick = true;
    }
  }
  bool Click() {
    if (FSkipNextClick) {
      FSkipNextClick = false;
      return false;
    }
    return true;
  }
  bool SkipNextClick() const { return FSkipNextClick; }
  // The release of a refused press: its click is the one to skip.
  void RefusedRelease() { Click(); }

private:
  bool FSkipNextClick = false;
};
