// The field tables: the generic block reader's versions and cut-short rules, and every
// kind's table as the form builder writes it, the runtime reads it and registers it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/byte_reader.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/stored_fields.h"
#include "stage/component/cartoon_box.h"
#include "tools/formbuild/block_fields.h"
#include "tools/formbuild/form_source.h"

namespace {

using rt::CutShort;
using rt::FieldKind;

struct Sample {
  int32_t count = 3;
  uint32_t colour = 0xFF000000;
  bool flag = false;
  int32_t later = 7;  // stored from version 2
  std::string text = "d";
};

rt::FieldTable<Sample> SampleTable(CutShort cutShort) {
  return rt::FieldTable<Sample>(
      {"Sample", 0x30002, 2, 0, cutShort},
      {{"Count", FieldKind::Int, 1, rt::kPropInt, &Sample::count},
       {"Colour", FieldKind::Colour, 3, rt::kPropColour, &Sample::colour},
       {"Flag", FieldKind::Bool, 0, rt::kPropBool, &Sample::flag},
       {"Later", FieldKind::Int, 2, rt::kPropInt, &Sample::later, 2},
       {"Text", FieldKind::Text, 4, rt::kPropText, &Sample::text}});
}

std::vector<uint8_t> Block(uint32_t version, std::initializer_list<uint32_t> words, std::string text) {
  platform::ByteWriter w;
  w.U32Le(version);
  for (uint32_t v : words) w.U32Le(v);
  w.LengthPrefixedText(text);
  return std::move(w.Data());
}

TEST(StoredFields, ReadsByVersionAndCutShortAsTheKindSays) {
  const auto keep = SampleTable(CutShort::KeepsWhatWasRead);
  // Version 1 lacks `Later`, which keeps its default while the fields after it are read.
  auto v1 = keep.Read(Block(1, {-5u, 0x00FF00FF, 9}, "abc"));
  ASSERT_TRUE(v1);
  EXPECT_EQ(v1->second, 1u);
  EXPECT_EQ(v1->first.count, -5);
  EXPECT_EQ(v1->first.colour, 0x00FF00FFu);
  EXPECT_TRUE(v1->first.flag);
  EXPECT_EQ(v1->first.later, 7);
  EXPECT_EQ(v1->first.text, "abc");
  const auto full = Block(2, {1, 2, 0, 4}, "xyz");
  EXPECT_EQ(keep.Read(full)->first.later, 4);
  EXPECT_EQ(keep.Write(keep.Read(full)->first), full);
  // An empty block is the defaults at the kind's version; a later version is refused.
  auto empty = keep.Read({});
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->second, 2u);
  EXPECT_EQ(empty->first.colour, 0xFF000000u);
  EXPECT_FALSE(keep.Read(Block(3, {}, "")));

  // Cut inside `Colour`: what was read stands, or the whole block is refused.
  const std::vector<uint8_t> cut(full.begin(), full.begin() + 10);
  auto kept = keep.Read(cut);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->first.count, 1);
  EXPECT_EQ(kept->first.colour, 0xFF000000u);
  EXPECT_EQ(kept->first.text, "d");
  EXPECT_FALSE(SampleTable(CutShort::Refused).Read(cut));
  for (size_t n = 4; n < full.size(); ++n)
    EXPECT_FALSE(SampleTable(CutShort::Refused).Read(std::span(full.data(), n))) << n;
}

TEST(StoredFields, PropertiesAreNumberedAsTheTableSays) {
  const auto table = SampleTable(CutShort::Refused);
  const auto props = rt::PropertyTableOf(table.Facts());
  ASSERT_EQ(props.size(), 8u + 5u);
  EXPECT_THAT(std::vector<int>({props[8].type, props[9].type, props[10].type, props[11].type, props[12].type}),
              testing::ElementsAre(rt::kPropBool, rt::kPropInt, rt::kPropInt, rt::kPropColour, rt::kPropText));
  EXPECT_EQ(props[12].state, 0x8000u);
}

// A source setting every field of every kind to something other than its default: the
// builder's block reads back, through the kind's own table, as the source said, and the
// runtime registers the kind with one property per field, typed as its row says.
TEST(StoredFields, EveryKindReadsBackWhatTheBuilderWrote) {
  const auto dir = std::filesystem::temp_directory_path() / "tolvaran-fields-test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "blob.bin", std::ios::binary) << "blob";
  rt::ResetRuntimeForTesting();
  rt::RegisterCoreUnitTypes();
  stage::RegisterStageUnitTypes();

  for (const rt::UnitKindFacts* kind : formbuild::KnownTypes()) {
    SCOPED_TRACE(std::string(kind->englishName));
    std::string source = "window 0x52010001 \"W\"\n";
    if (kind->englishName != "window") source += "unit " + std::string(kind->englishName) + " 0x16 \"U\"\n";
    std::vector<rt::StoredValue> expected;
    for (size_t i = 0; i < kind->fields.size(); ++i) {
      const rt::FieldFacts& f = kind->fields[i];
      rt::StoredValue v;
      std::string value;
      switch (f.kind) {
        case FieldKind::Bool: v.word = kind->defaults[i].word == 0; value = std::to_string(v.word); break;
        case FieldKind::Int: case FieldKind::Colour:
          v.word = kind->defaults[i].word + 11 + int64_t(i);
          value = std::to_string(v.word);
          break;
        case FieldKind::Text: v.bytes = {'t', uint8_t('a' + i)}; value = "\"t" + std::string(1, char('a' + i)) + "\""; break;
        case FieldKind::Bytes: v.bytes = {'b', 'l', 'o', 'b'}; value = "file:blob.bin"; break;
        case FieldKind::Font: v.bytes.assign(60, 0); value = "\"F\" 9"; break;
      }
      source += std::string(f.name) + " " + value + "\n";
      expected.push_back(std::move(v));
    }
    formbuild::BuildOptions options;
    options.sourceDir = dir.string();
    const auto form = formbuild::BuildForm(source, {}, options);
    const rt::UnitRecord& record = form.windows[0].records.back();
    EXPECT_EQ(record.typeCode, kind->typeCode);
    const auto read = rt::ReadStoredBlock(*kind, record.ownBlock);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->version, kind->version);
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(std::string(kind->fields[i].name));
      if (kind->fields[i].kind == FieldKind::Font) {
        EXPECT_EQ(read->values[i].bytes.size(), 60u);
        continue;
      }
      EXPECT_EQ(read->values[i].word, expected[i].word);
      EXPECT_EQ(read->values[i].bytes, expected[i].bytes);
    }

    const rt::UnitType* registered = rt::FindUnitType(kind->typeCode);
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(registered->englishName, kind->englishName);
    ASSERT_EQ(registered->properties.size(), 8 + kind->fields.size());
    for (const rt::FieldFacts& f : kind->fields)
      EXPECT_EQ(registered->properties[size_t(8 + f.property)].type, f.propType) << f.name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
