// Tests of the setup stream: exact bytes, round trips, partial and damaged streams.
#include <gtest/gtest.h>

#include "support/TestHost.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/Plugin.h"
#include "engine/TaggedStream.h"
#include "engine/ZelVSTParameterValues.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The parameter module with the setup stream's writer and reader.
class TStreamModule : public TParameterModule {
public:
  Bytes Write() {
    Bytes bytes;
    TTaggedWriter writer(bytes);
    Plugin.WriteSetup(writer);
    return bytes;
  }
  // Reads a whole stream; returns how many bytes were left over.
  std::size_t Read(const Bytes& bytes) {
    TTaggedReader reader(bytes.data(), bytes.size());
    Plugin.ReadSetup(reader, "1.00");
    return reader.Remaining();
  }
  std::string ReadError(const Bytes& bytes) {
    try {
      Read(bytes);
    } catch (const EStreamError& error) {
      return std::string("EStreamError: ") + error.what();
    } catch (const std::exception& error) {
      return error.what();
    }
    return "no error";
  }

  TTriaxoSetup& Setup = Plugin.Setup;
};

// A stream built value by value with the project's writer, for shapes the plug-in never writes.
struct TStreamShape {
  struct TTrigger {
    int32_t Key = -1;
    std::string Name;
    std::vector<std::pair<int32_t, int32_t>> Notes; // note, position
  };
  std::vector<TTrigger> Triggers;
  std::vector<std::array<long double, 6>> Positions;

  TStreamShape() : Positions(5, std::array<long double, 6>{}) {}

  Bytes Write() const {
    Bytes bytes;
    TTaggedWriter w(bytes);
    w.WriteListBegin();
    w.WriteInteger(0);
    w.WriteListEnd();
    w.WriteListBegin();
    for (int i = 0; i < 5; ++i)
      w.WriteInteger(0);
    w.WriteBoolean(true);
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteString("");
    w.WriteInteger(-1);
    w.WriteInteger(0);
    w.WriteBoolean(true);
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteInteger(0);
    w.WriteListEnd();
    w.WriteListBegin();
    for (const TTrigger& trigger : Triggers) {
      w.WriteListBegin();
      w.WriteListBegin();
      w.WriteInteger(trigger.Key);
      w.WriteString(trigger.Name);
      w.WriteListEnd();
      w.WriteListBegin();
      for (const auto& [note, position] : trigger.Notes) {
        w.WriteListBegin();
        w.WriteInteger(note);
        w.WriteInteger(position);
        w.WriteListEnd();
      }
      w.WriteListEnd();
      w.WriteListEnd();
    }
    w.WriteListEnd();
    w.WriteListBegin();
    for (const auto& values : Positions) {
      w.WriteListBegin();
      for (const long double value : values)
        w.WriteFloat(value);
      w.WriteListEnd();
    }
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteBoolean(false);
    w.WriteBoolean(false);
    w.WriteBoolean(false);
    w.WriteListEnd();
    return bytes;
  }
};

bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

std::vector<std::pair<int32_t, int32_t>> ChordOf(const TTriggerItem& trigger) {
  std::vector<std::pair<int32_t, int32_t>> notes;
  for (int32_t i = 0; i < trigger.Notes.Count(); ++i)
    notes.emplace_back(trigger.Notes[i].Note(), trigger.Notes[i].Position());
  return notes;
}

// A setup in which every streamed value differs from its default.
void FillEverything(TStreamModule& module) {
  TTriaxoSetup& setup = module.Setup;
  setup.ShowTimingVelocity = 1;
  setup.OctaveRangeFrom = 2;
  setup.OctaveRangeTo = 8;
  setup.TransposeOctave = -1;
  setup.TransposeOctaveBelow = -3;
  setup.TransposeOctaveAbove = 4;
  setup.FollowTriggerNotes = false;
  setup.ScaleTemplateName = "Dorian \xC3\xA4";
  setup.ScaleTemplateIndex = 300;
  setup.Tonic = 9;
  setup.EasyMode = false;
  setup.Triggers.Selected = 7;
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    TTriggerItem& trigger = setup.Triggers[i];
    trigger.Key = (i * 5) % 12;
    trigger.SetName(i % 2 == 0 ? "Maj" + std::to_string(i) : "m\xC3\xA4" + std::to_string(i));
    trigger.Notes.AddNote(i - 24, true);
    trigger.Notes.AddNote(i, true);
    trigger.Notes.AddNote(i + 7, true);
    trigger.Notes[0].SetPosition(4);
  }
  setup.NoteSetup.RelativeTiming = true;
  setup.NoteSetup.SameRandomVelocity = false;
  setup.NoteSetup.RandomNoteAssignment = true;
  const float values[6] = {250.0f, 12.5f, 1000.0f, 0.1f, -40.0f, 200.0f};
  for (int32_t i = 0; i < 30; ++i)
    module.SetParameterAutomated(i, values[i % 6] + static_cast<float>(i / 6));
}

} // namespace

TEST(SetupStream, ADefaultSetupHasTheKnownBytes) {
  TStreamModule module;
  const Bytes bytes = module.Write();
  const Bytes beginning = {
      0x01, 0x02, 0x00, 0x00,                                                       // list 1
      0x01, 0x02, 0x00, 0x02, 0x0A, 0x02, 0x00, 0x02, 0x00, 0x02, 0x00, 0x09, 0x00, // list 2
      0x01, 0x12, 0x00, 0x00, 0x00, 0x00, 0x02, 0xFF, 0x02, 0x00, 0x09, 0x00,       // list 3
      0x01, 0x02, 0x00, 0x00,                                                       // list 4
      0x01,                                                                         // list 5
      0x01, 0x01, 0x02, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, // trigger C
      0x01, 0x01, 0x02, 0xFF, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, // trigger C#
  };
  ASSERT_GE(bytes.size(), beginning.size());
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(beginning.size())), beginning);

  // The whole rest: ten more empty triggers with the default keys, five rows of six extended zeros,
  // and the three flags.
  Bytes expected = beginning;
  for (int32_t i = 2; i < 12; ++i) {
    const auto key = static_cast<uint8_t>(TTriggers::DefaultKeys[static_cast<std::size_t>(i)]);
    const Bytes trigger = {0x01, 0x01, 0x02, key, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
    expected.insert(expected.end(), trigger.begin(), trigger.end());
  }
  expected.push_back(0x00);
  expected.push_back(0x01);
  for (int position = 0; position < 5; ++position) {
    expected.push_back(0x01);
    for (int value = 0; value < 6; ++value) {
      expected.push_back(0x05);
      expected.insert(expected.end(), 10, 0x00);
    }
    expected.push_back(0x00);
  }
  expected.push_back(0x00);
  const Bytes list7 = {0x01, 0x08, 0x08, 0x08, 0x00};
  expected.insert(expected.end(), list7.begin(), list7.end());
  EXPECT_EQ(bytes, expected);
}

TEST(SetupStream, NamesAndNumbersTakeTheirSmallestForms) {
  TStreamModule module;
  module.Setup.Triggers[0].SetName("Maj");
  module.Setup.Triggers[2].SetName("Dim\xC3\xA4");
  module.Setup.Triggers[4].SetName("\xC3\xA4");
  module.Setup.OctaveRangeFrom = 300;
  const Bytes bytes = module.Write();
  EXPECT_TRUE(Contains(bytes, {0x01, 0x02, 0x00, 0x06, 0x03, 'M', 'a', 'j', 0x00}));
  EXPECT_TRUE(Contains(bytes, {0x01, 0x02, 0x02, 0x14, 0x05, 0, 0, 0, 'D', 'i', 'm', 0xC3, 0xA4, 0x00}));
  EXPECT_TRUE(Contains(bytes, {0x01, 0x02, 0x04, 0x12, 0x01, 0, 0, 0, 0xE4, 0x00, 0x00}));
  EXPECT_TRUE(Contains(bytes, {0x01, 0x03, 0x2C, 0x01, 0x02, 0x0A}));

  TStreamModule reader;
  EXPECT_EQ(reader.Read(bytes), 0u);
  EXPECT_EQ(reader.Setup.Triggers[0].Name(), "Maj");
  EXPECT_EQ(reader.Setup.Triggers[2].Name(), "Dim\xC3\xA4");
  EXPECT_EQ(reader.Setup.Triggers[4].Name(), "\xC3\xA4");
  EXPECT_EQ(reader.Setup.Triggers[1].Name(), "");
  EXPECT_EQ(reader.Setup.OctaveRangeFrom, 300);
}

TEST(SetupStream, ALongScaleTemplateNameUsesTheLongStringForm) {
  TStreamModule module;
  module.Setup.ScaleTemplateName = std::string(256, 'T');
  const Bytes bytes = module.Write();
  Bytes list3 = {0x01, 0x0C, 0x00, 0x01, 0x00, 0x00};
  list3.insert(list3.end(), 256, 'T');
  EXPECT_TRUE(Contains(bytes, list3));

  TStreamModule reader;
  reader.Read(bytes);
  EXPECT_EQ(reader.Setup.ScaleTemplateName, std::string(256, 'T'));
}

TEST(SetupStream, ScaleTemplateNameIsReadWithoutTrimming) {
  TStreamModule module;
  module.Setup.ScaleTemplateName = "  Major  ";
  TStreamModule reader;
  reader.Read(module.Write());
  EXPECT_EQ(reader.Setup.ScaleTemplateName, "  Major  ");
}

TEST(SetupStream, WritingThenReadingGivesBackTheSameSetup) {
  TStreamModule source;
  FillEverything(source);
  const Bytes bytes = source.Write();

  TStreamModule target;
  EXPECT_EQ(target.Read(bytes), 0u);
  const TTriaxoSetup& a = source.Setup;
  const TTriaxoSetup& b = target.Setup;
  EXPECT_EQ(b.ShowTimingVelocity, 0); // the panel choice is not restored
  EXPECT_EQ(b.OctaveRangeFrom, a.OctaveRangeFrom);
  EXPECT_EQ(b.OctaveRangeTo, a.OctaveRangeTo);
  EXPECT_EQ(b.TransposeOctave, a.TransposeOctave);
  EXPECT_EQ(b.TransposeOctaveBelow, a.TransposeOctaveBelow);
  EXPECT_EQ(b.TransposeOctaveAbove, a.TransposeOctaveAbove);
  EXPECT_EQ(b.FollowTriggerNotes, a.FollowTriggerNotes);
  EXPECT_EQ(b.ScaleTemplateName, a.ScaleTemplateName);
  EXPECT_EQ(b.ScaleTemplateIndex, a.ScaleTemplateIndex);
  EXPECT_EQ(b.Tonic, a.Tonic);
  EXPECT_EQ(b.EasyMode, a.EasyMode);
  EXPECT_EQ(b.Triggers.Selected, a.Triggers.Selected);
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    EXPECT_EQ(b.Triggers[i].Key, a.Triggers[i].Key) << i;
    EXPECT_EQ(b.Triggers[i].Name(), a.Triggers[i].Name()) << i;
    EXPECT_EQ(ChordOf(b.Triggers[i]), ChordOf(a.Triggers[i])) << i;
  }
  for (int32_t position = 0; position < TNoteSetup::Count; ++position) {
    const TNoteSetupItem& x = a.NoteSetup[position];
    const TNoteSetupItem& y = b.NoteSetup[position];
    EXPECT_EQ(y.Start, x.Start);
    EXPECT_EQ(y.StartRandom, x.StartRandom);
    EXPECT_EQ(y.End, x.End);
    EXPECT_EQ(y.EndRandom, x.EndRandom);
    EXPECT_EQ(y.VelocityScale, x.VelocityScale);
    EXPECT_EQ(y.VelocityRandom, x.VelocityRandom);
  }
  EXPECT_EQ(b.NoteSetup.RelativeTiming, a.NoteSetup.RelativeTiming);
  EXPECT_EQ(b.NoteSetup.SameRandomVelocity, a.NoteSetup.SameRandomVelocity);
  EXPECT_EQ(b.NoteSetup.RandomNoteAssignment, a.NoteSetup.RandomNoteAssignment);
  for (int32_t i = 0; i < 30; ++i)
    EXPECT_EQ(target.Values.CurrentValueOf(i), source.Values.CurrentValueOf(i)) << i;
  target.Setup.ShowTimingVelocity = source.Setup.ShowTimingVelocity.Load();
  EXPECT_EQ(target.Write(), bytes);
}

TEST(SetupStream, ParameterValuesAreSetThroughTheAutomatedPath) {
  TStreamShape shape;
  shape.Positions[2] = {100, 20, 300, 40, -50, 60};
  TStreamModule module;
  module.Read(shape.Write());
  EXPECT_EQ(module.AutomateCalls.size(), 30u);
  EXPECT_EQ(module.Values.Items("Note3 Velocity Scale").CurrentValue, -50.0f);
  EXPECT_EQ(module.Setup.NoteSetup[2].VelocityScale, -50);
  EXPECT_EQ(module.Setup.NoteSetup[2].End, 300);
  EXPECT_EQ(module.Plugin.ParameterDisplay(14), "300 ms");
}

TEST(SetupStream, AChordNoteAtPosition9IsReadAsPosition4) {
  TStreamShape shape;
  shape.Triggers.push_back({0, "C", {{0, 9}, {4, -3}, {7, 2}}});
  TStreamModule module;
  module.Read(shape.Write());
  EXPECT_EQ(ChordOf(module.Setup.Triggers[0]),
            (std::vector<std::pair<int32_t, int32_t>>{{0, 4}, {4, 0}, {7, 2}}));
}

TEST(SetupStream, AStreamWithThreeTriggersLeavesTheOthersAlone) {
  TStreamShape shape;
  shape.Triggers.push_back({9, "Am", {{9, 0}, {12, 1}, {16, 2}}});
  shape.Triggers.push_back({-1, "", {}});
  shape.Triggers.push_back({11, "  Bdim7x  ", {{11, 0}}});
  TStreamModule module;
  module.Setup.Triggers[5].Notes.AddNote(5, true);
  module.Setup.Triggers[5].SetName("F");
  module.Setup.Triggers[0].Notes.AddNote(0, true);
  module.Read(shape.Write());

  EXPECT_EQ(module.Setup.Triggers[0].Key, 9);
  EXPECT_EQ(module.Setup.Triggers[0].Name(), "Am");
  EXPECT_EQ(ChordOf(module.Setup.Triggers[0]),
            (std::vector<std::pair<int32_t, int32_t>>{{9, 0}, {12, 1}, {16, 2}}));
  EXPECT_EQ(module.Setup.Triggers[1].Key, -1);
  EXPECT_EQ(module.Setup.Triggers[2].Key, 11);
  EXPECT_EQ(module.Setup.Triggers[2].Name(), "Bdim7x"); // trimmed, at most six characters
  EXPECT_EQ(module.Setup.Triggers[3].Key, -1);          // a default key, untouched
  EXPECT_EQ(module.Setup.Triggers[4].Key, 4);
  EXPECT_EQ(module.Setup.Triggers[5].Name(), "F");
  EXPECT_EQ(ChordOf(module.Setup.Triggers[5]), (std::vector<std::pair<int32_t, int32_t>>{{5, 0}}));
}

TEST(SetupStream, AThirteenthTriggerIsAnIndexError) {
  TStreamShape shape;
  for (int32_t i = 0; i < 13; ++i)
    shape.Triggers.push_back({i % 12, "T" + std::to_string(i), {}});
  TStreamModule module;
  EXPECT_EQ(module.ReadError(shape.Write()), "EStreamError: List index out of bounds (12)");
  // What was read before the error stays applied.
  EXPECT_EQ(module.Setup.Triggers[11].Name(), "T11");
  EXPECT_EQ(module.Setup.Triggers[1].Key, 1);
}

TEST(SetupStream, ASixthPositionNamesAParameterThatDoesNotExist) {
  TStreamShape shape;
  shape.Positions.assign(6, {7, 7, 7, 7, 7, 7});
  TStreamModule module;
  EXPECT_EQ(module.ReadError(shape.Write()), "Unknown parameter name: Note6 Start");
  EXPECT_EQ(module.Setup.NoteSetup[4].VelocityRandom, 7);
}

TEST(SetupStream, FewerPositionsSetOnlyThoseParameters) {
  TStreamShape shape;
  shape.Positions.assign(2, {5, 5, 5, 5, 5, 5});
  TStreamModule module;
  module.SetParameterAutomated(29, 80.0f);
  module.AutomateCalls.clear();
  EXPECT_EQ(module.Read(shape.Write()), 0u);
  EXPECT_EQ(module.AutomateCalls.size(), 12u);
  EXPECT_EQ(module.Setup.NoteSetup[1].End, 5);
  EXPECT_EQ(module.Setup.NoteSetup[4].VelocityRandom, 80);
}

TEST(SetupStream, FloatsWithoutAPlaceOnAnyScaleAreRejected) {
  for (const long double bad : {std::numeric_limits<long double>::infinity(),
                                std::numeric_limits<long double>::quiet_NaN(), 1e300L}) {
    TStreamShape shape;
    shape.Positions[0][1] = bad;
    TStreamModule module;
    EXPECT_EQ(module.ReadError(shape.Write()), "EStreamError: Invalid property value");
    EXPECT_EQ(module.Values.CurrentValueOf(1), 0.0f);
  }
}

TEST(SetupStream, AValueOfTheWrongKindIsAnInvalidPropertyValue) {
  TStreamModule source;
  Bytes bytes = source.Write();
  // The first value of list 2 (OctaveRangeFrom) becomes a Boolean.
  ASSERT_EQ(bytes[5], 0x02);
  bytes[5] = 0x09;
  bytes.erase(bytes.begin() + 6);
  TStreamModule module;
  EXPECT_EQ(module.ReadError(bytes), "EStreamError: Invalid property value");

  // A missing list start.
  const Bytes valid = source.Write();
  TStreamModule other;
  EXPECT_EQ(other.ReadError(Bytes(valid.begin() + 1, valid.end())), "EStreamError: Invalid property value");
}

TEST(SetupStream, EveryTruncatedStreamFailsWithAReadError) {
  TStreamModule source;
  FillEverything(source);
  const Bytes full = source.Write();
  for (std::size_t length = 0; length < full.size(); ++length) {
    // An exact-size copy, so the sanitizers catch any read past the end.
    const auto cut = std::make_unique<uint8_t[]>(length + 1);
    std::copy(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length), cut.get());
    TStreamModule module;
    TTaggedReader reader(cut.get(), length);
    try {
      module.Plugin.ReadSetup(reader, "1.00");
      ADD_FAILURE() << "no error at length " << length;
    } catch (const EStreamError& error) {
      EXPECT_STREQ(error.what(), StreamErrorText::StreamReadError) << "length " << length;
    }
  }
}

TEST(SetupStream, DamagedBytesNeverCrash) {
  TStreamModule source;
  FillEverything(source);
  const Bytes full = source.Write();
  int failures = 0;
  for (std::size_t offset = 0; offset < full.size(); ++offset) {
    for (const uint8_t replacement : {uint8_t(0x00), uint8_t(0x01), uint8_t(0x7F), uint8_t(0xFF)}) {
      Bytes damaged = full;
      damaged[offset] = replacement;
      TStreamModule module;
      try {
        module.Read(damaged);
      } catch (const std::exception&) {
        ++failures;
      }
    }
  }
  EXPECT_GT(failures, 0);
}
