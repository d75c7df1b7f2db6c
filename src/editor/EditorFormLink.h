// EditorFormLink: what the timing panel and the options reach through the editor form: its plug-in's setup
// and the form's info line, modes and updating flag.
#pragma once

#include "editor/OptionsLogic.h"

#include <memory>

class TfrmVSTEditorMenu;
class TTriaxoSetup;

// The form and its module as the option rules see them. A form shown without a plug-in (previews,
// tests) edits a setup of its own and tells no host. User-interface thread only.
class TEditorFormLink : public TOptionsOwner {
public:
  // setup: the one the form edits; null takes the plug-in's (or a setup of its own without one).
  explicit TEditorFormLink(TfrmVSTEditorMenu& form, TTriaxoSetup* setup = nullptr);
  ~TEditorFormLink() override;
  TEditorFormLink(const TEditorFormLink&) = delete;
  TEditorFormLink& operator=(const TEditorFormLink&) = delete;

  TTriaxoSetup& Setup() { return *FSetup; }

  bool Updating() const override;
  void NotifyHostChanged() override;
  void ShowInfo(const std::string& text) override;
  int32_t LowestOctave() const override;
  void CancelModes() override;
  void SetCCMode(TMidiCCMode mode) override;

private:
  TfrmVSTEditorMenu& FForm;
  std::unique_ptr<TTriaxoSetup> FOwnSetup;
  TTriaxoSetup* FSetup;
};
