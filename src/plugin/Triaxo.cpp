// Triaxo: the library's entry points (VSTPluginMain and main) and the process-wide list of instances.
#include "engine/Plugin.h"
#include "host/VSTPluginBaseDM.h"
#include "plugin/EditorRegistration.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#if defined(_WIN32)
#define TRIAXO_EXPORT extern "C" __declspec(dllexport)
#else
#define TRIAXO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Every live instance of this process. Hosts create and close instances on their user-interface
// thread, but plug-in scanners may do it from several threads at once.
std::mutex InstancesLock;
std::vector<TVSTModule*>& Instances() {
  static std::vector<TVSTModule*> instances;
  return instances;
}

void ForgetInstance(TVSTModule* module) {
  std::lock_guard<std::mutex> lock(InstancesLock);
  auto& instances = Instances();
  instances.erase(std::remove(instances.begin(), instances.end(), module), instances.end());
}

std::unique_ptr<TPluginHandlers> MakePlugin(TPluginHost& host) {
  return std::make_unique<TVSTPlugin>(host);
}

} // namespace

// The VST 2.4 entry: one new instance per call, its effect record, or null when the host callback is
// missing, the host answers 0 to audioMasterVersion, or the instance cannot be made.
TRIAXO_EXPORT vst::AEffect* VST_CALL VSTPluginMain(vst::AudioMasterCallback audioMaster) {
  try {
#if defined(TRIAXO_WITH_EDITOR)
    // Before the first instance exists, as the module asks its factory at every editor open.
    static const bool editorRegistered = (RegisterEditorWindow(), true);
    (void)editorRegistered;
#endif
    auto module = std::make_unique<TVSTPluginBase>(MakePlugin);
    if (!module->AttachHost(audioMaster))
      return nullptr;
    module->SetCloseHandler(ForgetInstance);
    {
      std::lock_guard<std::mutex> lock(InstancesLock);
      Instances().push_back(module.get());
    }
    return module.release()->Effect();
  } catch (...) {
    return nullptr;
  }
}

#if !defined(_WIN32)
// The same entry under the name older hosts look for. A C++ function cannot be called main, so the
// symbol name is given directly. (Windows names it in Triaxo.def.)
TRIAXO_EXPORT vst::AEffect* VST_CALL TriaxoMainEntry(vst::AudioMasterCallback audioMaster) __asm__("main");
vst::AEffect* VST_CALL TriaxoMainEntry(vst::AudioMasterCallback audioMaster) {
  return VSTPluginMain(audioMaster);
}
#endif
