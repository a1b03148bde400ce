#include "data/data_files.h"

#include <functional>
#include <vector>

#include "app/startup.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Session;

// Two drills, two threads and one material, in the record layout a shop would type.
const std::string kExampleData =
    "1/4, .25\r\n17/64, .2656\r\neof, 0\r\n"
    "1/4-20, .25, 20\r\nM10x1.5, .3937, 16.9333\r\neof, 0, 0\r\n"
    "Steel A, 400, 90, 200, 40\r\neof, 0, 0, 0, 0\r\n";

const std::string kNoThreads = "eof,0,0\r\n";
const std::string kNoMaterials = "eof,0,0,0,0\r\n";
const std::string kOneThread = "1/4-20,.25,20\r\neof,0,0\r\n";
const std::string kOneMaterial = "Steel A,400,90,200,40\r\neof,0,0,0,0\r\n";

std::vector<std::string> Items(Session& s, ControlId id) {
  return s.runner.form().Control(kMainForm, id)->items;
}

std::string Repeat(const std::string& record, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += record;
  return text;
}

// --- Field syntax ---------------------------------------------------------------------------

std::vector<std::string> ReadFields(const std::string& content, std::size_t count) {
  FieldReader reader(content);
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < count; ++i) fields.push_back(reader.Next());
  return fields;
}

TEST(FieldReader, ReadsTheFieldSyntaxOfBothFiles) {
  struct Case {
    const char* why;
    std::string content;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"commas and CR LF are equal separators", "a,b\r\nc", {"a", "b", "c"}},
      {"blanks before a field are skipped, trailing blanks kept", "  1/4,  .25  ,x",
       {"1/4", ".25  ", "x"}},
      {"a CR alone ends a line", "a\rb\r\nc", {"a", "b", "c"}},
      {"an empty line is an empty field", "a\r\n\r\nb", {"a", "", "b"}},
      {"a bare LF does not end a field", "1/4\n.25\r\nx", {"1/4.25", "x"}},
      {"tabs are dropped inside a field", "a\tb,c", {"ab", "c"}},
      {"a quoted field keeps commas and leading blanks", "\"  A, B\",.5", {"  A, B", ".5"}},
      {"after the closing quote blanks, tabs and LFs are skipped before the comma",
       "\"x\" \t\n,y", {"x", "y"}},
      {"a quoted field may end its line with CR LF", "\"x\"\r\ny", {"x", "y"}},
      {"an unterminated quote runs to the end of the file", "\"abc,def", {"abc,def", ""}},
      {"Ctrl-Z ends the field and the file", "ab\x1a" "cd,ef", {"ab", "", ""}},
      {"Ctrl-Z inside quotes ends the file too", "\"ab\x1a" "cd\",ef", {"ab", ""}},
      {"past the end every field is empty", "a", {"a", "", "", ""}},
      {"a comma at the very end gives one empty field", "a,", {"a", "", ""}},
      {"an empty file gives only empty fields", "", {"", ""}},
      {"other characters are kept as they are", "M10x1.5|M,\"q\"", {"M10x1.5|M", "q"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadFields(c.content, c.fields.size()), c.fields) << c.why;
}

// --- Drill item text ------------------------------------------------------------------------

TEST(DrillItemText, NameOfEightCharactersThenDiameterWithFourDecimals) {
  struct Case {
    std::string_view name;
    float diameter;
    std::string item;
  };
  const Case cases[] = {
      {"1/4", .25f, "1/4      0.2500"},
      {"17/64", .2656f, "17/64    0.2656"},
      {"17/64", .2656f * 25.4f, "17/64    6.7462"},
      {"1/4", 6.35f, "1/4      6.3500"},
      {"LONGNAME123", .5f, "LONGNAME 0.5000"},
      {"EIGHTCHR", .5f, "EIGHTCHR 0.5000"},
      {"1", 1.f, "1        1.0000"},
      {"1", 25.4f, "1        25.4000"},
      {"5", 127.f, "5        127.000"},
      {"25mm", 25.f, "25mm     25.0000"},
      {"10mm", .393701f * 25.4f, "10mm     10.0000"},
      {"", 0.f, "         0.0000"},
      {"tiny", .00004f, "tiny     0.0000"},
      {"round up", .99996f, "round up 1.0000"},
      {"7 digits", 123.45678f, "7 digits 123.4568"},
  };
  for (const Case& c : cases) EXPECT_EQ(DrillItemText(c.name, c.diameter), c.item) << c.name;
}

// --- Loading --------------------------------------------------------------------------------

TEST(LoadData, ExampleFileInInch) {
  Session s(test::kInchDefaults, kExampleData);
  ASSERT_TRUE(s.started);
  EXPECT_TRUE(s.runner.Messages().empty());
  const std::vector<std::string> drills = {"1/4      0.2500", "17/64    0.2656"};
  for (ControlId list : {id::kCSinkDrillSize, id::kDeepDrillSize, id::kDataDrillList})
    EXPECT_EQ(Items(s, list), drills) << list;
  const std::vector<std::string> threads = {"1/4-20", "M10x1.5"};
  for (ControlId list : {id::kThreadSize, id::kTapSize, id::kDataTapSize})
    EXPECT_EQ(Items(s, list), threads) << list;
  EXPECT_EQ(Items(s, id::kMaterialList), std::vector<std::string>{"Steel A"});

  const App& app = s.runner.app();
  EXPECT_FLOAT_EQ(app.threads[1].majorDia, .25f);
  EXPECT_FLOAT_EQ(app.threads[1].pitch, .05f);
  EXPECT_FLOAT_EQ(app.threads[2].majorDia, .3937f);
  EXPECT_FLOAT_EQ(app.threads[2].pitch, static_cast<float>(1 / 16.9333));
  const MaterialRecord& steel = app.materials[1];
  EXPECT_EQ(std::vector<float>({steel.carbide, steel.hss, steel.carbideThreading, steel.hssThreading}),
            std::vector<float>({400, 90, 200, 40}));
  // Record 0 is the fallback of every lookup and stays zero; so does every unused record.
  for (const ThreadRecord& t : {app.threads[0], app.threads[3]}) {
    EXPECT_EQ(t.majorDia, 0);
    EXPECT_EQ(t.pitch, 0);
  }
  EXPECT_EQ(app.materials[0].carbide, 0);
  EXPECT_EQ(app.materials[2].hss, 0);
}

TEST(LoadData, ExampleFileInMetric) {
  Session s(test::kMetricDefaults, kExampleData);
  ASSERT_TRUE(s.started);
  EXPECT_TRUE(s.runner.Messages().empty());
  const std::vector<std::string> drills = {"1/4      6.3500", "17/64    6.7462"};
  for (ControlId list : {id::kCSinkDrillSize, id::kDeepDrillSize, id::kDataDrillList})
    EXPECT_EQ(Items(s, list), drills) << list;
  EXPECT_EQ(Items(s, id::kThreadSize), (std::vector<std::string>{"1/4-20", "M10x1.5"}));

  const App& app = s.runner.app();
  EXPECT_FLOAT_EQ(app.threads[1].majorDia, 6.35f);
  EXPECT_FLOAT_EQ(app.threads[1].pitch, 1.27f);
  EXPECT_EQ(FormatValue(app.threads[2].majorDia, 4), "10.");
  EXPECT_EQ(FormatValue(app.threads[2].pitch, 4), "1.5");
  const MaterialRecord& steel = app.materials[1];
  EXPECT_EQ(std::vector<float>({steel.carbide, steel.hss, steel.carbideThreading, steel.hssThreading}),
            std::vector<float>({122, 27, 61, 12}));
}

TEST(LoadData, DefaultValuesFile) {
  struct Case {
    const char* why;
    std::string defaults;
    std::string x, z;
    bool metric;
  };
  const Case cases[] = {
      {"three lines", "4.\r\n6.\r\n0.\r\n", "4.", "6.", false},
      {"one line with commas", "4.,6.,0.", "4.", "6.", false},
      {"texts in number form, as leaving the box gives", "4.0000\r\n6.50\r\n0.\r\n", "4.", "6.5", false},
      {"whole numbers get their point", "4\r\n6\r\n0\r\n", "4.", "6.", false},
      {"metric", "100.\r\n150.\r\n1.\r\n", "100.", "150.", true},
      {"0.6 rounds to 1", "4.\r\n6.\r\n0.6\r\n", "4.", "6.", true},
      {"1.4 rounds to 1", "4.\r\n6.\r\n1.4\r\n", "4.", "6.", true},
      {"0.4 rounds to 0", "4.\r\n6.\r\n.4\r\n", "4.", "6.", false},
      {"a half rounds to the even 0", "4.\r\n6.\r\n.5\r\n", "4.", "6.", false},
      {"2 is no unit system: inch", "4.\r\n6.\r\n2.\r\n", "4.", "6.", false},
      {"-1 is no unit system: inch", "4.\r\n6.\r\n-1.\r\n", "4.", "6.", false},
      {"empty file: empty positions (reported), inch", "", "", "", false},
      {"no number: kept as read (reported)", "abc\r\n1e999\r\n0.\r\n", "abc", "1e999", false},
  };
  for (const Case& c : cases) {
    Session s(c.defaults, kExampleData);
    EXPECT_TRUE(s.started) << c.why;
    EXPECT_EQ(s.Text(id::kXToolChange), c.x) << c.why;
    EXPECT_EQ(s.Text(id::kZToolChange), c.z) << c.why;
    EXPECT_EQ(s.runner.app().Metric(), c.metric) << c.why;
    // The lists follow the unit system just read.
    EXPECT_EQ(Items(s, id::kCSinkDrillSize)[0], c.metric ? "1/4      6.3500" : "1/4      0.2500")
        << c.why;
  }
}

TEST(LoadData, RecordsAndNames) {
  struct Case {
    const char* why;
    std::string defaults;
    std::string data;
    ControlId list;
    std::vector<std::string> items;
  };
  const std::string rest = kOneThread + kOneMaterial;
  const Case cases[] = {
      {"only lower-case eof with nothing after it ends a section", test::kInchDefaults,
       "1/4,.25\r\nEOF,0\r\neof ,0\r\neof,0\r\n" + rest, id::kDataDrillList,
       {"1/4      0.2500", "EOF      0.0000", "eof      0.0000"}},
      {"a bare LF runs two lines into one field", test::kInchDefaults,
       "1/4\n.25,.3\r\neof,0\r\n" + rest, id::kDataDrillList, {"1/4.25   0.3000"}},
      {"quoted names keep commas and leading blanks", test::kInchDefaults,
       "\"  A, B\",.5\r\neof,0\r\n" + rest, id::kDataDrillList, {"  A, B   0.5000"}},
      {"a long drill name is cut to 8", test::kInchDefaults, "LONGNAME123,.5\r\neof,0\r\n" + rest,
       id::kDeepDrillSize, {"LONGNAME 0.5000"}},
      {"whole inch diameter", test::kInchDefaults, "1,1\r\neof,0\r\n" + rest, id::kCSinkDrillSize,
       {"1        1.0000"}},
      {"one inch in millimetres", test::kMetricDefaults, "1,1\r\n5,5\r\neof,0\r\n" + rest,
       id::kCSinkDrillSize, {"1        25.4000", "5        127.000"}},
      {"a name with | is one item", test::kInchDefaults,
       "eof,0\r\nA|B,.25,20\r\neof,0,0\r\n" + kOneMaterial, id::kTapSize, {"A|B"}},
      {"material names as read", test::kInchDefaults,
       "eof,0\r\n" + kNoThreads + "\"Cast, Gray\",400,90,200,40\r\nPVC ,1,1,1,1\r\n" + kNoMaterials,
       id::kMaterialList, {"Cast, Gray", "PVC "}},
  };
  for (const Case& c : cases) {
    Session s(c.defaults, c.data);
    EXPECT_EQ(Items(s, c.list), c.items) << c.why;
  }
}

TEST(LoadData, ThreadAndMaterialValues) {
  const std::string data = "eof,0\r\n1/4-20,.25,20\r\nNo pitch,.5,0\r\nword,abc,x\r\neof,0,0\r\n"
                           "Fast,500,92.5,250,45\r\nSlow,200,99,61,1\r\neof,0,0,0,0\r\n";
  {
    Session s(test::kInchDefaults, data);
    const App& app = s.runner.app();
    EXPECT_EQ(app.threads[2].majorDia, .5f);
    EXPECT_EQ(app.threads[2].pitch, 0) << "0 threads per inch keeps pitch 0";
    EXPECT_EQ(app.threads[3].majorDia, 0) << "non-numeric text reads 0";
    EXPECT_EQ(app.materials[1].hss, 92.5f) << "inch speeds keep their fraction";
  }
  {
    Session s(test::kMetricDefaults, data);
    const App& app = s.runner.app();
    EXPECT_EQ(app.threads[2].pitch, 0);
    const MaterialRecord& fast = app.materials[1];
    const MaterialRecord& slow = app.materials[2];
    // × 0.305 and rounded down: 500 → 152.5 → 152, while 200 → 61 must not fall to 60.
    EXPECT_EQ(std::vector<float>({fast.carbide, fast.hss, fast.carbideThreading, fast.hssThreading}),
              std::vector<float>({152, 28, 76, 13}));
    EXPECT_EQ(std::vector<float>({slow.carbide, slow.hss, slow.carbideThreading, slow.hssThreading}),
              std::vector<float>({61, 30, 18, 0}));
  }
}

TEST(LoadData, SectionLimits) {
  struct Case {
    const char* why;
    std::string data;
    std::string message;  // after "[File Error] Error Reading "; the path follows "Data: "
  };
  const std::string drill = "1/4,.25\r\n", thread = "1/4-20,.25,20\r\n",
                    material = "Steel,400,90,200,40\r\n";
  const std::string oneDrill = drill + "eof,0\r\n";
  const Case cases[] = {
      {"250 drills fit", Repeat(drill, 250) + "eof,0\r\n" + kOneThread + kOneMaterial, ""},
      {"251 drills do not", Repeat(drill, 251) + "eof,0\r\n" + kOneThread + kOneMaterial,
       "Drill Data: | line 251: more than 250 drills before the section's eof record"},
      {"200 threads fit", oneDrill + Repeat(thread, 200) + kNoThreads + kOneMaterial, ""},
      {"201 threads do not", oneDrill + Repeat(thread, 201) + kNoThreads + kOneMaterial,
       "Thread Data: | line 203: more than 200 threads before the section's eof record"},
      {"150 materials fit", oneDrill + kOneThread + Repeat(material, 150) + kNoMaterials, ""},
      {"151 materials do not", oneDrill + kOneThread + Repeat(material, 151) + kNoMaterials,
       "Material Data: | line 155: more than 150 materials before the section's eof record"},
      {"a missing terminator runs past the end into the limit", oneDrill + kOneThread + material,
       "Material Data: |: the file ends before the section's eof record"},
  };
  for (const Case& c : cases) {
    Session s(test::kInchDefaults, c.data);
    std::vector<std::string> expected;
    if (!c.message.empty()) {
      const std::string m = c.message;
      expected.push_back("[File Error] Error Reading " + m.substr(0, m.find('|')) +
                         (s.home.path() / "data.txt").string() + m.substr(m.find('|') + 1));
    }
    EXPECT_EQ(s.runner.Messages(), expected) << c.why;
    EXPECT_EQ(s.started, expected.empty()) << c.why;
    EXPECT_EQ(s.runner.Running(), expected.empty()) << c.why;
  }
}

TEST(LoadData, OverflowStopsLoading) {
  const std::string data = "1/4,.25\r\neof,0\r\n" + Repeat("1/4-20,.25,20\r\n", 201) +
                           kNoThreads + kOneMaterial;
  Session s(test::kInchDefaults, data);
  EXPECT_EQ(Items(s, id::kThreadSize).size(), 200u);
  EXPECT_TRUE(Items(s, id::kMaterialList).empty());
}

// A form that keeps the icon of each message box as well.
class IconForm : public HeadlessForm {
 public:
  void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) override {
    boxes.push_back("[" + std::string(title) + "] " + std::string(text) +
                    (icon == MessageIcon::Exclamation ? " (!)" : ""));
  }
  std::vector<std::string> boxes;
};

TEST(LoadData, MissingFiles) {
  struct Case {
    const char* why;
    bool defaults, data;
    std::vector<std::string> boxes;  // with the home folder as $
    std::size_t materials;
  };
  const Case cases[] = {
      {"both missing: both messages, default values first", false, false,
       {"[TBX Error] Missing Data File $default.txt (!)", "[TBX Error] Missing Data File $data.txt (!)"},
       0},
      {"default values missing: the data file is still read", false, true,
       {"[TBX Error] Missing Data File $default.txt (!)"}, 1},
      {"data file missing", true, false, {"[TBX Error] Missing Data File $data.txt (!)"}, 0},
  };
  for (const Case& c : cases) {
    test::TempHome home;
    if (c.defaults) test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
    if (c.data) test::WriteFile(home.path() / "data.txt", kExampleData);
    IconForm form;
    App app(form, home.path());
    EXPECT_FALSE(StartUp(app)) << c.why;
    EXPECT_FALSE(form.IsLoaded(kMainForm)) << c.why;
    std::vector<std::string> expected;
    for (std::string box : c.boxes) {
      std::size_t at = box.find('$');
      expected.push_back(box.replace(at, 1, (home.path() / "").string()));
    }
    EXPECT_EQ(form.boxes, expected) << c.why;
    EXPECT_EQ(form.Control(kMainForm, id::kMaterialList)->items.size(), c.materials) << c.why;
    // The built-in Settings texts stay when there is no default-values file.
    if (!c.defaults) {
      EXPECT_EQ(app.Text(id::kXToolChange), "4.") << c.why;
    }
  }
}

TEST(LoadData, OverflowMessageHasNoIcon) {
  test::TempHome home;
  test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
  test::WriteFile(home.path() / "data.txt", Repeat("1/4,.25\r\n", 251));
  IconForm form;
  App app(form, home.path());
  EXPECT_FALSE(StartUp(app));
  ASSERT_EQ(form.boxes.size(), 1u);
  EXPECT_EQ(form.boxes[0].rfind("[File Error] Error Reading Drill Data: ", 0), 0u) << form.boxes[0];
  EXPECT_EQ(form.boxes[0].find("(!)"), std::string::npos);
}

// --- Saving ---------------------------------------------------------------------------------

TEST(SaveDefaults, WritesTheSettingsBack) {
  struct Case {
    const char* why;
    std::string defaults;
    std::function<void(JobRunner&)> act;
    std::string saved;
  };
  const Case cases[] = {
      {"unchanged inch settings on close", test::kInchDefaults, [](JobRunner& r) { r.Close(); },
       "4.\r\n6.\r\n0.\r\n"},
      {"4.0000 read is written as 4.", "4.0000\r\n6.0\r\n0.\r\n", [](JobRunner& r) { r.Close(); },
       "4.\r\n6.\r\n0.\r\n"},
      {"a typed position on close", test::kInchDefaults,
       [](JobRunner& r) {
         r.Type(id::kXToolChange, "4.25");
         r.Close();
       },
       "4.25\r\n6.\r\n0.\r\n"},
      {"text not yet left is still saved in number form", test::kInchDefaults,
       [](JobRunner& r) {
         r.Set(id::kXToolChange, "  3.14159");
         r.Set(id::kZToolChange, "1.5E1 ");
         r.Click(id::kSettingsOk);
       },
       "3.1416\r\n15.\r\n0.\r\n"},
      {"a position that is no number is never saved", test::kInchDefaults,
       [](JobRunner& r) {
         r.Set(id::kZToolChange, "abc");
         r.Click(id::kSettingsOk);
         r.Set(id::kZToolChange, "1e999");
         r.Close();
       },
       test::kInchDefaults},
      {"nor one read at start-up", "\r\n6.\r\n0.\r\n", [](JobRunner& r) { r.Close(); },
       "\r\n6.\r\n0.\r\n"},
      {"metric settings on Exit", "100.\r\n150.\r\n1.\r\n", [](JobRunner& r) { r.Click(id::kExit); },
       "100.\r\n150.\r\n1.\r\n"},
      {"Metric ticked, then Settings OK: the position in mm", test::kInchDefaults,
       [](JobRunner& r) {
         r.Click(id::kMetric);
         r.Click(id::kSettingsOk);
       },
       "101.6\r\n152.4\r\n1.\r\n"},
      {"an odd unit value read is saved as inch", "4.\r\n6.\r\n2.\r\n",
       [](JobRunner& r) { r.Close(); }, "4.\r\n6.\r\n0.\r\n"},
  };
  for (const Case& c : cases) {
    Session s(c.defaults, kExampleData);
    c.act(s.runner);
    EXPECT_EQ(test::ReadFile(s.home.path() / "default.txt"), c.saved) << c.why;
    EXPECT_FALSE(std::filesystem::exists(s.home.path() / "default.txt.new")) << c.why;
  }
}

TEST(SaveDefaults, SettingsOkKeepsTheProgramRunning) {
  Session s(test::kInchDefaults, kExampleData);
  s.runner.Click(id::kSettingsOk);
  EXPECT_TRUE(s.runner.Running());
  EXPECT_TRUE(s.runner.Messages().empty());
}

TEST(SaveDefaults, FollowsASymbolicLinkAndReplacesItsTarget) {
  Session s(test::kInchDefaults, kExampleData);
  const auto link = s.home.path() / "default.txt";
  const auto target = s.home.path() / "kept" / "defaults.txt";
  std::filesystem::create_directory(target.parent_path());
  std::filesystem::rename(link, target);
  std::filesystem::create_symlink(target, link);
  s.runner.Type(id::kXToolChange, "2.5");
  s.runner.Click(id::kSettingsOk);
  EXPECT_TRUE(s.runner.Messages().empty());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::ReadFile(target), "2.5\r\n6.\r\n0.\r\n");
  EXPECT_FALSE(std::filesystem::exists(target.string() + ".new"));
}

TEST(SaveDefaults, NeverCreatesAMissingFile) {
  Session s(test::kInchDefaults, kExampleData);
  const auto file = s.home.path() / "default.txt";
  std::filesystem::remove(file);
  s.runner.Click(id::kSettingsOk);
  EXPECT_EQ(s.runner.Messages(),
            std::vector<std::string>{"[TBX Error] Missing Data File " + file.string()});
  EXPECT_FALSE(s.runner.Running());
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(s.home.path() / "default.txt.new"));
}

// --- The shipped data file ------------------------------------------------------------------

TEST(ShippedData, StartsCleanInBothUnitSystems) {
  for (const std::string& defaults : {test::kInchDefaults, test::kMetricDefaults}) {
    Session s(defaults);
    EXPECT_TRUE(s.started);
    EXPECT_TRUE(s.runner.Messages().empty());
  }
}

TEST(ShippedData, StartUpSelectionsNameTheDefaultSizes) {
  Session inch;
  EXPECT_EQ(inch.Text(id::kCSinkDrillSize), "1/2      0.5000");
  EXPECT_EQ(Items(inch, id::kDataDrillList)[172], "10mm     0.3937");
  EXPECT_EQ(inch.Text(id::kThreadSize), "3/8-16");
  EXPECT_EQ(FormatValue(inch.runner.app().threads[18].majorDia, 4), ".375");
  EXPECT_EQ(FormatValue(inch.runner.app().threads[18].pitch, 4), ".0625");
  EXPECT_GT(Items(inch, id::kMaterialList).size(), 20u);

  Session metric(test::kMetricDefaults);
  EXPECT_EQ(metric.Text(id::kDeepDrillSize), "10mm     10.0000");
  EXPECT_EQ(Items(metric, id::kDeepDrillSize)[187], "1/2      12.7000");
  EXPECT_EQ(metric.Text(id::kTapSize), "M10x1.25");
  EXPECT_EQ(FormatValue(metric.runner.app().threads[42].majorDia, 4), "10.");
  EXPECT_EQ(FormatValue(metric.runner.app().threads[42].pitch, 4), "1.25");
}

TEST(ShippedData, TablesAreComplete) {
  Session s;
  const App& app = s.runner.app();

  const auto drills = Items(s, id::kDataDrillList);
  ASSERT_LE(drills.size(), static_cast<std::size_t>(kMaxDrills));
  for (std::size_t i = 1; i < drills.size(); ++i) {
    // Users read the diameter from the last 8 characters; the list runs from small to large.
    double before = TextToNumber(drills[i - 1].substr(drills[i - 1].size() - 8));
    double after = TextToNumber(drills[i].substr(drills[i].size() - 8));
    EXPECT_LE(before, after) << drills[i - 1] << " / " << drills[i];
  }

  const auto threads = Items(s, id::kThreadSize);
  ASSERT_LE(threads.size(), static_cast<std::size_t>(kMaxThreads));
  for (std::size_t p = 0; p < threads.size(); ++p) {
    const ThreadRecord& t = app.threads[p + 1];
    EXPECT_GT(t.majorDia, 0) << threads[p];
    EXPECT_GT(t.pitch, 0) << threads[p];
    EXPECT_LT(t.pitch, t.majorDia) << threads[p];
  }

  const auto materials = Items(s, id::kMaterialList);
  ASSERT_GE(materials.size(), 21u);
  ASSERT_LE(materials.size(), static_cast<std::size_t>(kMaxMaterials));
  for (std::size_t p = 0; p < materials.size(); ++p) {
    const MaterialRecord& m = app.materials[p + 1];
    EXPECT_GT(m.hss, 0) << materials[p];
    EXPECT_GT(m.hssThreading, 0) << materials[p];
    // Carbide runs faster than HSS; threading runs slower than turning.
    EXPECT_GT(m.carbide, m.hss) << materials[p];
    EXPECT_LT(m.carbideThreading, m.carbide) << materials[p];
    EXPECT_LT(m.hssThreading, m.hss) << materials[p];
  }
}

TEST(ShippedData, EveryLineEndsWithCrLf) {
  const std::string data = test::ShippedData();
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(data.substr(data.size() - 2), "\r\n");
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n') {
      EXPECT_TRUE(i > 0 && data[i - 1] == '\r') << "bare LF at byte " << i;
    }
  }
  EXPECT_EQ(test::ReadFile(std::filesystem::path(TURNBRIX_RESOURCES) / "default.txt"),
            "4.\r\n6.\r\n0.\r\n");
}

}  // namespace
}  // namespace tbx
