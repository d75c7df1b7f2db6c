#include "host/VSTModule.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

using namespace vst;

namespace {

constexpr VstInt32 LastOpcode = effGetNumMidiOutputChannels; // 79
constexpr VstInt32 IdentifyAnswer = MakeFourCC('N', 'v', 'E', 'f');
constexpr VstIntPtr WheelNotice = MakeFourCC('W', 'h', 'e', 'e');
// A host chunk beyond this size is not a state of ours; refusing it keeps a lying byte count from
// turning into a huge allocation.
constexpr VstIntPtr MaxChunkBytes = 64 * 1024 * 1024;

// The effect records of destroyed modules. Hosts may still hold a closed record; keeping it (with
// inert entries) until the library unloads makes such calls harmless instead of a use after free.
std::mutex RetiredRecordsLock;
std::vector<std::unique_ptr<AEffect>>& RetiredRecords() {
  static std::vector<std::unique_ptr<AEffect>> records;
  return records;
}

// The host-facing entries find the module through the record's user field, or through object for
// the hosts that need it there.
template <bool UseObject> TVSTModule* ModuleOf(AEffect* effect) {
  if (effect == nullptr)
    return nullptr;
  return static_cast<TVSTModule*>(UseObject ? effect->object : effect->user);
}

template <bool UseObject>
VstIntPtr VST_CALL DispatcherEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt) {
  TVSTModule* module = ModuleOf<UseObject>(effect);
  return module != nullptr ? module->Dispatch(opcode, index, value, ptr, opt) : 0;
}

template <bool UseObject>
void VST_CALL ProcessEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (TVSTModule* module = ModuleOf<UseObject>(effect))
    module->ProcessAccumulating(inputs, outputs, frames);
}

template <bool UseObject>
void VST_CALL ProcessReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (TVSTModule* module = ModuleOf<UseObject>(effect))
    module->ProcessReplacing(inputs, outputs, frames);
}

template <bool UseObject>
void VST_CALL ProcessDoubleEntry(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  if (TVSTModule* module = ModuleOf<UseObject>(effect))
    module->ProcessDoubleReplacing(inputs, outputs, frames);
}

template <bool UseObject> void VST_CALL SetParameterEntry(AEffect* effect, VstInt32 index, float value) {
  if (TVSTModule* module = ModuleOf<UseObject>(effect))
    module->SetParameterNormalised(index, value);
}

template <bool UseObject> float VST_CALL GetParameterEntry(AEffect* effect, VstInt32 index) {
  TVSTModule* module = ModuleOf<UseObject>(effect);
  if (module == nullptr || index < 0 || index >= module->ParameterCount())
    return 0.0f;
  return module->ToNormalised(index, module->GetParameterValue(index));
}

VstIntPtr VST_CALL InertDispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
  return 0;
}
void VST_CALL InertProcess(AEffect*, float**, float**, VstInt32) {}
void VST_CALL InertProcessDouble(AEffect*, double**, double**, VstInt32) {}
void VST_CALL InertSetParameter(AEffect*, VstInt32, float) {}
float VST_CALL InertGetParameter(AEffect*, VstInt32) {
  return 0.0f;
}

// effClose destroys the module, so it is handled outside the module's own dispatcher.
template <bool UseObject>
VstIntPtr VST_CALL DispatcherWithClose(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                       void* ptr, float opt);

// For a record whose module is gone or going: every entry answers without reaching a module.
void MakeInert(AEffect* effect) {
  effect->dispatcher = InertDispatcher;
  effect->process = InertProcess;
  effect->processReplacing = InertProcess;
  effect->processDoubleReplacing = InertProcessDouble;
  effect->setParameter = InertSetParameter;
  effect->getParameter = InertGetParameter;
  effect->user = nullptr;
  effect->object = nullptr;
}

// The process entries stay inert until the module works (mains on).
template <bool UseObject> void InstallEntriesOf(AEffect* effect, bool working) {
  effect->dispatcher = DispatcherWithClose<UseObject>;
  effect->setParameter = SetParameterEntry<UseObject>;
  effect->getParameter = GetParameterEntry<UseObject>;
  effect->process = working ? ProcessEntry<UseObject> : InertProcess;
  effect->processReplacing = working ? ProcessReplacingEntry<UseObject> : InertProcess;
  effect->processDoubleReplacing = working ? ProcessDoubleEntry<UseObject> : InertProcessDouble;
}

// Byte length of the UTF-8 sequence a lead byte starts (1 for stray bytes, so they pass through).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8)
    return 4;
  if (lead >= 0xE0)
    return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0)
    return 2;
  return 1;
}

bool IsFinitePositive(float value) {
  return std::isfinite(value) && value > 0.0f;
}

const char* const CanDoYes[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstMidiEvent", "2in2out"};
const char* const CanDoNo[] = {"receiveVstEvents",
                               "receiveVstTimeInfo",
                               "sendVstTimeInfo",
                               "offline",
                               "plugAsChannelInsert",
                               "plugAsSend",
                               "mixDryWet",
                               "noRealTime",
                               "multipass",
                               "metapass",
                               "1in1out",
                               "1in2out",
                               "2in1out",
                               "2in4out",
                               "4in2out",
                               "4in4out",
                               "4in8out",
                               "8in4out",
                               "8in8out",
                               "midiProgramNames",
                               "conformsToWindowRules",
                               "LiveWithoutToolbar",
                               "bypass",
                               "ChainPluginAPI"};

// Hosts pass can-do names as C strings; none of ours is longer than this.
constexpr std::size_t MaxCanDoName = 256;

VstIntPtr CanDo(const char* name) {
  if (name == nullptr)
    return 0;
  const std::string_view text(name, strnlen(name, MaxCanDoName));
  for (const char* yes : CanDoYes)
    if (text == yes)
      return 1;
  for (const char* no : CanDoNo)
    if (text == no)
      return -1;
  return 0; // "hasCockosExtensions" and every other text
}

} // namespace

VstInt32 TModuleIdentity::VersionNumber() const {
  if (VersionRelease < 100)
    return VersionRelease + VersionMajor * 1000 + VersionMinor * 100;
  return VersionRelease + VersionMajor * 65536 + VersionMinor * 256;
}

void HostText::CopyToHost(std::string_view utf8, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0)
    return;
  static constexpr std::string_view Minus = "\xE2\x88\x92";
  std::size_t out = 0;
  std::size_t in = 0;
  while (in < utf8.size()) {
    if (utf8.substr(in, Minus.size()) == Minus) {
      if (out + 1 > size - 1)
        break;
      buffer[out++] = '-';
      in += Minus.size();
      continue;
    }
    const std::size_t length =
        std::min(SequenceLength(static_cast<unsigned char>(utf8[in])), utf8.size() - in);
    if (out + length > size - 1)
      break;
    std::memcpy(buffer + out, utf8.data() + in, length);
    out += length;
    in += length;
  }
  buffer[out] = '\0';
}

TVSTModule::TVSTModule(TModuleIdentity identity)
    : FIdentity(std::move(identity)), FEffect(new AEffect{}), FProgramName(FIdentity.ProgramName),
      FOutputRecords(new VstMidiEvent[TOutputEvents::Capacity]()),
      FAccumulateBuffers(new float[2 * AccumulateCapacity]()) {
  FEffect->magic = kEffectMagic;
  FEffect->numPrograms = 1;
  FEffect->numParams = 0;
  FEffect->numInputs = 0;
  FEffect->numOutputs = FIdentity.NumOutputs;
  FEffect->flags = FIdentity.Flags;
  FEffect->initialDelay = 0;
  FEffect->ioRatio = 1.0f;
  FEffect->uniqueID = FIdentity.UniqueID;
  FEffect->version = FIdentity.VersionNumber();
  FEffect->user = this;
  FEffect->object = nullptr;
  InstallEntries(false);

  for (int32_t i = 0; i < TOutputEvents::Capacity; ++i) {
    FOutputRecords[i].type = kVstMidiType;
    FOutputRecords[i].byteSize = sizeof(VstMidiEvent) - 8;
    FOutputEvents.Events[i] = reinterpret_cast<VstEvent*>(&FOutputRecords[i]);
  }
}

TVSTModule::~TVSTModule() {
  CloseEditor();
  MakeInert(FEffect);
  std::lock_guard<std::mutex> lock(RetiredRecordsLock);
  RetiredRecords().emplace_back(FEffect);
}

void TVSTModule::InstallEntries(bool working) {
  if (FUseObjectField) {
    InstallEntriesOf<true>(FEffect, working);
  } else {
    InstallEntriesOf<false>(FEffect, working);
  }
}

bool TVSTModule::AttachHost(AudioMasterCallback callback) {
  FHostCallback = callback;
  if (callback == nullptr || CallHost(audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
    FHostCallback = nullptr;
    return false;
  }
  char product[HostText::ProductStringSize] = {};
  CallHost(audioMasterGetProductString, 0, 0, product, 0.0f);
  product[sizeof(product) - 1] = '\0';
  FHostProduct = product[0] != '\0' ? std::string(product) : std::string("Unknown");

  FUseObjectField = FHostProduct == "energyXT" || FHostProduct == "Sound Forge Pro 10.0";
  FEffect->user = FUseObjectField ? nullptr : this;
  FEffect->object = FUseObjectField ? this : nullptr;
  InstallEntries(false);
  return true;
}

VstIntPtr TVSTModule::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
  return FHostCallback != nullptr ? FHostCallback(FEffect, opcode, index, value, ptr, opt) : 0;
}

namespace {
template <bool UseObject>
VstIntPtr VST_CALL DispatcherWithClose(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                       void* ptr, float opt) {
  TVSTModule* module = ModuleOf<UseObject>(effect);
  if (module == nullptr)
    return 0;
  if (opcode != effClose)
    return module->Dispatch(opcode, index, value, ptr, opt);
  // Inert entries first, so that nothing reaches the module while it goes away.
  MakeInert(effect);
  try {
    module->Dispatch(effClose, index, value, ptr, opt);
    delete module;
    return 1;
  } catch (...) {
    return 0;
  }
}
} // namespace

VstIntPtr TVSTModule::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (opcode < 0 || opcode > LastOpcode)
    return 0;
  try {
    switch (opcode) {
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
    case effIdle:
    case effGetChunk:
    case effSetChunk:
      ServiceUserInterface();
      break;
    default:
      break;
    }

    switch (opcode) {
    case effOpen:
      return DispatchOpen();
    case effClose:
      return DispatchClose();
    case effSetProgram:
      if (value >= 0 && value < FEffect->numPrograms)
        FCurrentProgram = static_cast<int32_t>(value);
      return 0;
    case effGetProgram:
      return FCurrentProgram;
    case effSetProgramName:
      if (ptr != nullptr) {
        const char* name = static_cast<const char*>(ptr);
        std::string text(name, strnlen(name, HostText::ProgramNameSize));
        char bounded[HostText::ProgramNameSize];
        HostText::CopyToHost(text, bounded, sizeof(bounded));
        FProgramName = bounded;
      }
      return 0;
    case effGetProgramName:
      HostText::CopyToHost(FProgramName, static_cast<char*>(ptr), HostText::ProgramNameSize);
      return 0;
    case effGetProgramNameIndexed:
      if (index != 0 || ptr == nullptr)
        return 0;
      HostText::CopyToHost(FProgramName, static_cast<char*>(ptr), HostText::ProgramNameSize);
      return 1;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName: {
      std::string text;
      if (index >= 0 && index < ParameterCount()) {
        // The label is the unit hosts print after the display text; the display already carries
        // its unit, so the label stays empty (the short label is the editor's).
        if (opcode == effGetParamName)
          text = FParameters[index].DisplayName;
        else if (opcode == effGetParamDisplay)
          text = VSTModuleParameterDisplay(index);
      }
      HostText::CopyToHost(text, static_cast<char*>(ptr), HostText::ParameterTextSize);
      return 0;
    }
    case effSetSampleRate:
      if (IsFinitePositive(opt))
        FSampleRate = opt;
      return 1;
    case effSetBlockSize:
      if (value > 0)
        FBlockSize = static_cast<int32_t>(std::min<VstIntPtr>(value, INT32_MAX));
      return 0;
    case effMainsChanged:
      if (value == 0) {
        CallHost(audioMasterWantMidi, 0, 1, nullptr, 0.0f);
        VSTModuleSuspend();
      }
      return 0;
    case effEditGetRect:
      return DispatchEditGetRect(ptr);
    case effEditOpen:
      return DispatchEditOpen(ptr);
    case effEditClose:
      DispatchEditClose();
      return 0;
    case effEditIdle:
      DispatchEditIdle();
      return 0;
    case effIdentify:
      return IdentifyAnswer;
    case effGetChunk:
      return DispatchGetChunk(index, ptr);
    case effSetChunk:
      return DispatchSetChunk(index, value, ptr);
    case effProcessEvents:
      DispatchProcessEvents(static_cast<const VstEvents*>(ptr));
      return 1;
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return 0;
    case effGetNumProgramCategories:
      return 1;
    case effGetPlugCategory:
      return FIdentity.Category;
    case effGetEffectName:
      HostText::CopyToHost(FIdentity.EffectName, static_cast<char*>(ptr), HostText::IdentityTextSize);
      return 1;
    case effGetVendorString:
      HostText::CopyToHost(FIdentity.VendorName, static_cast<char*>(ptr), HostText::IdentityTextSize);
      return 1;
    case effGetProductString:
      HostText::CopyToHost(FIdentity.ProductName.empty() ? FIdentity.EffectName : FIdentity.ProductName,
                           static_cast<char*>(ptr), HostText::IdentityTextSize);
      return 1;
    case effGetVendorVersion:
      return FIdentity.VersionNumber();
    case effVendorSpecific:
      if (value == WheelNotice && FEditor != nullptr)
        FEditor->FocusControlUnderMouse();
      return 0;
    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));
    case effGetTailSize:
    case effGetParameterProperties:
      return 0;
    case effKeysRequired:
      return 1;
    case effGetVstVersion:
      return kVstVersion;
    case effGetCurrentMidiProgram:
      return -1;
    case effBeginSetProgram:
    case effEndSetProgram:
      return 0;
    case effBeginLoadBank:
    case effBeginLoadProgram: {
      const auto* info = static_cast<const VstPatchChunkInfo*>(ptr);
      if (info == nullptr)
        return 0;
      return info->pluginUniqueID == FIdentity.UniqueID ? 1 : -1;
    }
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels:
      return 0;
    default:
      return 0;
    }
  } catch (...) {
    // Nothing may leave a host request; the operations that report errors have done so already.
    return 0;
  }
}

VstIntPtr TVSTModule::DispatchOpen() {
  InstallEntries(true);
  return 0;
}

VstIntPtr TVSTModule::DispatchClose() {
  CloseEditor();
  if (FCloseHandler != nullptr)
    FCloseHandler(this);
  return 1;
}

VstIntPtr TVSTModule::DispatchEditGetRect(void* ptr) {
  if (FEditor != nullptr) {
    FEditorRect.top = 0;
    FEditorRect.left = 0;
    FEditorRect.bottom = static_cast<int16_t>(std::clamp<int32_t>(FEditor->Height(), 0, INT16_MAX));
    FEditorRect.right = static_cast<int16_t>(std::clamp<int32_t>(FEditor->Width(), 0, INT16_MAX));
    FEditorRect.bottom = static_cast<int16_t>(
        std::max<int32_t>(FEditorRect.bottom, std::clamp<int32_t>(FEditor->ClientHeight(), 0, INT16_MAX)));
    FEditorRect.right = static_cast<int16_t>(
        std::max<int32_t>(FEditorRect.right, std::clamp<int32_t>(FEditor->ClientWidth(), 0, INT16_MAX)));
  }
  // Some hosts read the rectangle whatever the answer; they get the last known size (or zeros).
  if (ptr != nullptr)
    *static_cast<ERect**>(ptr) = &FEditorRect;
  return FEditor != nullptr ? 1 : 0;
}

VstIntPtr TVSTModule::DispatchEditOpen(void* parentWindow) {
  ApplySkin();
  if ((FEffect->flags & effFlagsHasEditor) == 0 || parentWindow == nullptr)
    return 0;
  CloseEditor(); // a host that opens twice gets one window
  std::unique_ptr<TModuleEditor> editor;
  try {
    editor = CreateEditor(parentWindow);
  } catch (...) {
    return 0;
  }
  if (editor == nullptr)
    return 0;
  FEditor = std::move(editor);
  try {
    EditorAttached(FEditor.get());
  } catch (...) {
    // The window exists; a failure while attaching it is not the host's concern.
  }
  return 1;
}

void TVSTModule::DispatchEditClose() {
  CloseEditor();
}

void TVSTModule::CloseEditor() {
  if (FEditor == nullptr)
    return;
  try {
    EditorAttached(nullptr);
  } catch (...) {
  }
  FEditor.reset();
}

void TVSTModule::DispatchEditIdle() {
  if (FEditor == nullptr || (FEffect->flags & effFlagsHasEditor) == 0)
    return;
  FEditor->Idle();
  // Taken before the handler runs, so a refresh asked for while it runs is not lost.
  if (FEditor != nullptr && FEditorNeedsUpdate.exchange(false, std::memory_order_acq_rel))
    VSTModuleEditIdle();
}

VstIntPtr TVSTModule::DispatchGetChunk(VstInt32 index, void* ptr) {
  if (ptr == nullptr || FEffect->numPrograms <= 0)
    return 0;
  FProgramStream.clear();
  VSTModuleStoreChunk(FProgramStream);
  if (index != 0) {
    *static_cast<void**>(ptr) = FProgramStream.data();
    return static_cast<VstIntPtr>(FProgramStream.size());
  }
  // Bank: per program its byte count (unsigned 32-bit little-endian) and its bytes.
  const auto size = static_cast<uint32_t>(FProgramStream.size());
  FBankStream.clear();
  for (int shift = 0; shift < 32; shift += 8)
    FBankStream.push_back(static_cast<uint8_t>(size >> shift));
  FBankStream.insert(FBankStream.end(), FProgramStream.begin(), FProgramStream.end());
  *static_cast<void**>(ptr) = FBankStream.data();
  return static_cast<VstIntPtr>(FBankStream.size());
}

VstIntPtr TVSTModule::DispatchSetChunk(VstInt32 index, VstIntPtr byteSize, const void* data) {
  if (data == nullptr || byteSize <= 0 || FEffect->numPrograms <= 0)
    return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (byteSize > MaxChunkBytes) {
    VSTModuleRejectChunk("Stream read error");
  } else if (index != 0) {
    FProgramStream.assign(bytes, bytes + byteSize);
    VSTModuleLoadChunk(FProgramStream);
  } else {
    // Bank: a per-program byte count that runs past the host's data rejects the whole block.
    const auto total = static_cast<std::size_t>(byteSize);
    std::size_t position = 0;
    bool complete = true;
    for (int32_t program = 0; program < FEffect->numPrograms; ++program) {
      if (total - position < 4) {
        complete = false;
        break;
      }
      uint32_t count = 0;
      for (int shift = 0, i = 0; i < 4; ++i, shift += 8)
        count |= static_cast<uint32_t>(bytes[position + i]) << shift;
      position += 4;
      if (count > total - position) {
        complete = false;
        break;
      }
      FProgramStream.assign(bytes + position, bytes + position + count);
      position += count;
    }
    // The current (only) program loads once, after the whole block was found complete.
    if (complete)
      VSTModuleLoadChunk(FProgramStream);
    else
      VSTModuleRejectChunk("Stream read error");
  }
  SetEditorNeedsUpdate();
  return byteSize;
}

void TVSTModule::DispatchProcessEvents(const VstEvents* events) {
  if (events == nullptr || events->numEvents <= 0)
    return;
  // The host's list is longer than the declared two slots; index it from its start.
  VstEvent* const* list = events->events;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (event == nullptr || event->type != kVstMidiType)
      continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    TMidiInEvent in;
    in.Data[0] = static_cast<uint8_t>(midi->midiData[0]);
    in.Data[1] = static_cast<uint8_t>(midi->midiData[1]);
    in.Data[2] = static_cast<uint8_t>(midi->midiData[2]);
    in.DeltaFrames = midi->deltaFrames;
    VSTModuleProcessMidi(in);
  }
}

TTimeInfo TVSTModule::GetTimeInfo() {
  TTimeInfo result;
  const auto* info =
      reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, kVstPpqPosValid, nullptr, 0.0f));
  if (info != nullptr) {
    result.SamplePosition = std::isfinite(info->samplePos) ? info->samplePos : 0.0;
    result.Playing = (info->flags & kVstTransportPlaying) != 0;
  }
  return result;
}

void TVSTModule::QueueMidiMessage(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) {
  VstMidiEvent& record = FOutputRecords[FOutputEvents.NumEvents];
  record.type = kVstMidiType;
  record.deltaFrames = deltaFrames;
  record.midiData[0] = static_cast<char>(status);
  record.midiData[1] = static_cast<char>(data1);
  record.midiData[2] = static_cast<char>(data2);
  // The last record is the overflow slot: once the list holds 1023 events, further events of the
  // block overwrite it and are never delivered.
  if (FOutputEvents.NumEvents < TOutputEvents::MaxDelivered)
    ++FOutputEvents.NumEvents;
}

void TVSTModule::DeliverOutputEvents() {
  if (FOutputEvents.NumEvents <= 0)
    return;
  CallHost(audioMasterProcessEvents, 0, 0, &FOutputEvents, 0.0f);
  FOutputEvents.NumEvents = 0;
}

void TVSTModule::ProcessReplacing(float** inputs, float** outputs, int32_t frames) {
  VSTModuleProcess32Replacing(inputs, outputs, std::max(frames, 0));
  DeliverOutputEvents();
}

void TVSTModule::ProcessAccumulating(float** inputs, float** outputs, int32_t frames) {
  frames = std::max(frames, 0);
  const int32_t channels = std::min<int32_t>(FIdentity.NumOutputs, 2);
  float* scratch[2] = {nullptr, nullptr};
  // A block longer than the scratch buffers gets no output channels: the plug-in makes silence, and
  // adding silence changes nothing.
  if (frames <= AccumulateCapacity) {
    for (int32_t c = 0; c < channels; ++c) {
      scratch[c] = FAccumulateBuffers.get() + c * AccumulateCapacity;
      std::fill_n(scratch[c], frames, 0.0f);
    }
  }
  VSTModuleProcess32Replacing(inputs, scratch, frames);
  if (outputs != nullptr && frames <= AccumulateCapacity) {
    for (int32_t c = 0; c < channels; ++c) {
      if (outputs[c] == nullptr)
        continue;
      for (int32_t i = 0; i < frames; ++i)
        outputs[c][i] += scratch[c][i];
    }
  }
  DeliverOutputEvents();
}

void TVSTModule::ProcessDoubleReplacing(double** /*inputs*/, double** outputs, int32_t frames) {
  // The record does not claim double precision; a host that calls it anyway still gets silence
  // instead of whatever its buffers held, and its MIDI is handled as in any block (the block
  // handler writes no audio without buffers).
  if (outputs != nullptr && frames > 0) {
    for (int32_t c = 0; c < FIdentity.NumOutputs; ++c)
      if (outputs[c] != nullptr)
        std::fill_n(outputs[c], frames, 0.0);
  }
  VSTModuleProcess32Replacing(nullptr, nullptr, std::max(frames, 0));
  DeliverOutputEvents();
}

void TVSTModule::SetParameterTable(std::vector<TParameterDefinition> table) {
  FParameters = std::move(table);
  FEffect->numParams = ParameterCount();
}

int32_t TVSTModule::ParameterIndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < FParameters.size(); ++i)
    if (FParameters[i].DisplayName == name)
      return static_cast<int32_t>(i);
  return -1;
}

float TVSTModule::ToNormalised(int32_t index, float value) const {
  if (index < 0 || index >= ParameterCount())
    return 0.0f;
  const TParameterDefinition& p = FParameters[index];
  const float range = p.Max - p.Min;
  if (!(range > 0.0f) || std::isnan(value))
    return 0.0f;
  return std::clamp((value - p.Min) / range, 0.0f, 1.0f);
}

float TVSTModule::FromNormalised(int32_t index, float normalised) const {
  if (index < 0 || index >= ParameterCount())
    return 0.0f;
  const TParameterDefinition& p = FParameters[index];
  const float h = std::isnan(normalised) ? 0.0f : std::clamp(normalised, 0.0f, 1.0f);
  return p.Min + h * (p.Max - p.Min);
}

float TVSTModule::GetParameterValue(int32_t index) {
  if (index < 0 || index >= ParameterCount())
    return 0.0f;
  return VSTModuleGetChunkParameter(index);
}

void TVSTModule::SetParameterAutomated(int32_t index, float value) {
  if (index < 0 || index >= ParameterCount())
    return;
  VSTModuleParameterChange(index, value);
  SetEditorNeedsUpdate();
  if (FParameters[index].CanBeAutomated)
    AutomateHost(index, value);
}

void TVSTModule::SetParameterNormalised(int32_t index, float normalised) {
  if (index < 0 || index >= ParameterCount())
    return;
  VSTModuleParameterChange(index, FromNormalised(index, normalised));
  SetEditorNeedsUpdate();
}

void TVSTModule::AutomateHost(int32_t index, float value) {
  if (FAutomationHeld.load(std::memory_order_relaxed) > 0)
    return;
  CallHost(audioMasterAutomate, index, 0, nullptr, ToNormalised(index, value));
}

void TVSTModule::ReleaseAutomation() {
  if (FAutomationHeld.fetch_sub(1, std::memory_order_relaxed) != 1)
    return;
  for (int32_t index = 0; index < ParameterCount(); ++index)
    if (FParameters[index].CanBeAutomated)
      AutomateHost(index, GetParameterValue(index));
}
