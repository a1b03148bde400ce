#include "data/tool_library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "test_support.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempHome;
using test::WriteFile;

const fs::path kShipped = fs::path(TURNBRIX_RESOURCES) / "tools.toml";

TEST(ToolLibrary, ShippedStarterSetReadsAndWritesBackTheSame) {
  const ToolLibraryRead read = ParseToolLibrary(ReadFile(kShipped));
  ASSERT_TRUE(read) << read.error;
  EXPECT_FALSE(read.library.metric);
  // Every kind of tool the tabs know is in the starter set.
  for (ToolKind kind : {ToolKind::OdTurning, ToolKind::IdBoring, ToolKind::Grooving, ToolKind::Parting,
                        ToolKind::OdThreading, ToolKind::IdThreading, ToolKind::CentreDrill,
                        ToolKind::Drill, ToolKind::Tap}) {
    bool found = false;
    for (const Tool& t : read.library.tools) found = found || t.kind == kind;
    EXPECT_TRUE(found) << KindName(kind);
  }
  const std::string text = ToolLibraryText(read.library);
  const ToolLibraryRead again = ParseToolLibrary(text);
  ASSERT_TRUE(again) << again.error << "\n" << text;
  EXPECT_EQ(ToolLibraryText(again.library), text);
  const Tool* rough = again.library.Find(1, 1);
  ASSERT_NE(rough, nullptr);
  EXPECT_EQ(rough->shape, InsertShape::C);
  EXPECT_EQ(IncludedAngle(rough->shape), 80);
  EXPECT_DOUBLE_EQ(rough->radius, 0.031);
  EXPECT_EQ(rough->orientation, 3);
  // A metric program sees the inch library in mm.
  const std::optional<Tool> metric = again.library.Lookup("T01", "01", true);
  ASSERT_TRUE(metric);
  EXPECT_NEAR(metric->radius, 0.7874, 1e-12);
  EXPECT_FALSE(again.library.Lookup("T01", "02", false));
}

// Each bad file is refused whole, the message naming the line and the field at fault.
TEST(ToolLibrary, BadFilesAreRefusedNamingLineAndField) {
  const std::string head = "format = 1\nunits = \"inch\"\n[[tools]]\nnumber = 1\noffset = 1\n";
  const std::string insert = head + "kind = \"od_turning\"\nshape = \"C\"\norientation = 3\n";
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"format = 1\nunits = \"inch\n", "line 2: "},  // no TOML: the library's own words follow
      {"format = 2\nunits = \"inch\"\n", "line 1: not a tool library of format 1"},
      {"format = 1\nunits = \"cm\"\n", "line 2: units must be \"inch\" or \"mm\""},
      {"format = 1\nunits = \"mm\"\ntool = 3\n", "line 3: tool is no setting of a tool library"},
      {insert + "radius = -0.01\n", "line 9: radius must be 0 or more (tool T0101)"},
      {insert + "raduis = 0.01\n", "line 9: raduis is no setting of a tool"},
      {insert + "radius = \"big\"\n", "line 9: radius must be a number"},
      {head + "kind = \"od_turning\"\nshape = \"blade\"\norientation = 3\n",
       "line 7: shape must be an insert's ISO letter: C, D, S, T, V, W or R (tool T0101)"},
      {head + "kind = \"od_turning\"\nshape = \"C\"\norientation = 10\n",
       "line 8: orientation must be a whole number from 1 to 9 (tool T0101)"},
      {head + "kind = \"od_turning\"\nshape = \"C\"\norientation = 2.5\n",
       "line 8: orientation must be a whole number"},
      {head + "kind = \"lathe\"\n", "line 6: kind must be one of od_turning"},
      {head + "kind = \"grooving\"\nshape = \"blade\"\norientation = 3\n",
       "line 3: width must be greater than 0 (tool T0101)"},
      {head + "kind = \"parting\"\nshape = \"blade\"\norientation = 3\nwidth = 0.1\nradius = 0.06\n",
       "line 10: radius must not be more than half the width (tool T0101)"},
      {head + "kind = \"drill\"\ndiameter = 0.25\npoint_angle = 118\nwidth = 0.1\n",
       "line 9: width is no setting of a drill tool: leave it out (tool T0101)"},
      {head + "kind = \"drill\"\ndiameter = 0.25\n", "line 3: point_angle must be between 0 and 180"},
      {head + "kind = \"tap\"\ndiameter = 5.0\n", "line 7: diameter must not be more than 4 in"},
      {"format = 1\nunits = \"mm\"\n[[tools]]\nnumber = 1\noffset = 1\nkind = \"tap\"\ndiameter = 102.0\n",
       "line 7: diameter must not be more than 101.6 mm"},
      {insert + "diameter = 0.75\n", "line 9: diameter is no setting of a od_turning tool: leave it out"},
      {head + "kind = \"id_boring\"\nshape = \"C\"\norientation = 2\ndiameter = -0.5\n",
       "line 9: diameter must be 0 (not known) or more (tool T0101)"},
      {insert + "name = \"rough (new)\"\n", "line 9: name must not hold parentheses"},
      {insert + insert.substr(insert.find("[[tools]]")),
       "line 9: tool T0101 is in the library twice"},
      {"format = 1\nunits = \"inch\"\n[[tools]]\nkind = \"tap\"\ndiameter = 0.25\n",
       "line 3: a tool needs its number"},
  };
  for (const Case& c : cases) {
    const ToolLibraryRead read = ParseToolLibrary(c.text);
    EXPECT_EQ(read.error.substr(0, c.error.size()), c.error) << c.text;
    EXPECT_TRUE(read.library.tools.empty()) << c.text;
  }
}

// The TOML library has undefined behaviour when it asks of many characters whether they are
// blanks, in strings and out: every character must be read where TOML allows it, to the byte,
// and refused with its line where not (the sanitizer build fails on the undefined behaviour).
TEST(ToolLibrary, EveryCharacterIsReadInStringsAndRefusedOutside) {
  const auto utf8 = [](char32_t c) {
    std::string s;
    if (c < 0x800) {
      s += static_cast<char>(0xC0 | c >> 6);
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | c >> 12);
      s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | c >> 18);
      s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    return s + static_cast<char>(0x80 | (c & 0x3F));
  };
  const std::string head = "format = 1\nunits = \"inch\"\n[[tools]]\nnumber = 1\noffset = 1\n"
                           "kind = \"od_turning\"\nshape = \"C\"\norientation = 3\n";
  // Every character where the library's faults lie, a sample of the rest.
  const auto dense = [](char32_t c) { return c < 0x500 || (c >= 0x2C00 && c < 0x3100) || (c >= 0xFB00 && c < 0x10000); };
  for (char32_t c = 0x80; c <= 0x10FFFF; c += dense(c) ? 1 : 97) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string ch = utf8(c);
    char name[12];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    const bool privateUse = c >= 0xF0000 && c <= 0xFFFFF;  // refused wherever it stands
    const bool blank = c == 0xA0 || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
                       c == 0x205F || c == 0x2060 || c == 0x3000 || c == 0xFEFF;
    const std::pair<std::string, std::string> read[] = {
        {head + "name = \"a" + ch + "\"\n", "a" + ch},
        {head + "name = '" + ch + "'\n", ch},
        {head + "name = \'\'\'" + ch + "\'\'\'\n", ch},
        // (the library also skips the blanks beyond ASCII it knows there)
        {head + "name = \"\"\"a\\\n  " + ch + "\"\"\"\n", blank ? "a" : "a" + ch},
        {"# " + ch + "\n" + head, ""},
    };
    for (const auto& [text, expected] : read) {
      const ToolLibraryRead r = ParseToolLibrary(text);
      if (privateUse) {
        ASSERT_NE(r.error.find("a private-use character"), std::string::npos) << name << ": " << r.error;
        continue;
      }
      ASSERT_TRUE(r) << name << ": " << r.error;
      ASSERT_EQ(r.library.tools.at(0).name, expected) << name;
    }
    const std::pair<std::string, std::string> refused[] = {
        {"format = 1" + ch + "\n", "line 1: "},
        {head + ch + " = 1\n", "line 9: "},
        {head + "name = 1\"" + ch + "\"\n", "line 9: "},
        {head + "name = 1QQ*t=\"" + ch + "\"\n", "line 9: "},
        {head + "name = +'" + ch + "'\n", "line 9: "},
    };
    for (const auto& [text, error] : refused) {
      const ToolLibraryRead r = ParseToolLibrary(text);
      ASSERT_EQ(r.error.substr(0, error.size()), error) << name << ": " << r.error;
      ASSERT_TRUE(r.library.tools.empty());
    }
  }
}

TEST(ToolLibrary, SavedSafelyAndABadFileIsLeftAsItWas) {
  TempHome home;
  const fs::path file = home.path() / "tools.toml";
  // No file: an empty library, no complaint.
  ToolLibraryRead missing = LoadToolLibrary(file);
  EXPECT_TRUE(missing) << missing.error;
  EXPECT_TRUE(missing.library.tools.empty());

  ToolLibrary library;
  library.metric = true;
  library.Put({.number = 2, .offset = 2, .name = "finish", .kind = ToolKind::OdTurning,
               .shape = InsertShape::V, .radius = 0.4, .orientation = 3});
  library.Put({.number = 2, .offset = 2, .name = "finish, sharper", .kind = ToolKind::OdTurning,
               .shape = InsertShape::V, .radius = 0.2, .orientation = 3});
  ASSERT_EQ(library.tools.size(), 1u);
  ASSERT_TRUE(SaveToolLibrary(file, library));
  const ToolLibraryRead read = LoadToolLibrary(file);
  ASSERT_TRUE(read) << read.error;
  EXPECT_TRUE(read.library.metric);
  EXPECT_EQ(read.library.Find(2, 2)->name, "finish, sharper");
  EXPECT_NEAR(read.library.Lookup("T02", "02", false)->radius, 0.2 / 25.4, 1e-15);

  const std::string bad = ReadFile(file) + "[[tools]]\nnumber = 3\n";
  WriteFile(file, bad);
  const ToolLibraryRead refused = LoadToolLibrary(file);
  EXPECT_NE(refused.error.find(file.string() + " line "), std::string::npos) << refused.error;
  EXPECT_EQ(ReadFile(file), bad);
}

// Start-up reads the data folder's library; a bad one is reported and nothing is written.
TEST(ToolLibrary, StartUpLoadsTheDataFolderLibrary) {
  for (bool bad : {false, true}) {
    TempHome home;
    WriteFile(home.path() / "default.txt", test::kInchDefaults);
    WriteFile(home.path() / "data.txt", test::ShippedData());
    const std::string text = ReadFile(kShipped) + (bad ? "[[tools]]\nnumber = 0\n" : "");
    WriteFile(home.path() / "tools.toml", text);
    std::ostringstream out, err;
    JobRunner runner(home.path(), out, err);
    ASSERT_TRUE(runner.Start()) << err.str();
    EXPECT_EQ(runner.app().tools.tools.size(), bad ? 0u : 11u) << err.str();
    EXPECT_EQ(err.str().find("[File Error] Tool library not loaded: "), bad ? 0 : std::string::npos) << err.str();
    runner.Close();
    EXPECT_EQ(ReadFile(home.path() / "tools.toml"), text);
  }
}

}  // namespace
}  // namespace tbx
