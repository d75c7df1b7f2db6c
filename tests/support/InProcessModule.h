// InProcessModule: the module built into the test program, behind its own effect record, driven by the
// command-line host's TVstHost as if it were a plug-in binary.
#pragma once

#include "VstHost.h"
#include "host/VSTPluginBaseDM.h"

#include <memory>

// Hands the module's record to the host through the host's entry call, as VSTPluginMain would.
// Throws EHostError when the module refuses the host.
inline void AttachModule(TVstHost& host, TVSTPluginBase& module) {
  host.Create(
      [&module](vst::AudioMasterCallback callback) {
        return module.AttachHost(callback) ? module.Effect() : nullptr;
      },
      "the module");
}

// Closes the host's instance. effClose through the record destroys the module, so its owner lets go of
// it without deleting it; a module the host never took stays with its owner.
inline void CloseModule(TVstHost& host, std::unique_ptr<TVSTPluginBase>& module) {
  if (host.IsLoaded()) {
    host.Close();
    (void)module.release();
  }
}
