#include "data/data_files.h"

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

#include "app/app.h"

namespace tbx {

namespace {

constexpr char kCtrlZ = '\x1a';

// The whole file, or nothing when it does not exist or cannot be read. Reading it at once
// means the file is already closed whenever a message box is shown.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return content;
}

void ReportMissing(App& app, const std::filesystem::path& path) {
  app.Error("Missing Data File " + path.string());
}

void AddToLists(App& app, std::initializer_list<ControlId> lists, std::string_view item) {
  // One item each, even when the name holds "|".
  for (ControlId list : lists) app.ui.AddItems(kMainForm, list, item, /*splitItems=*/false);
}

// Third value of default.txt: only a value that rounds to 1 (halves to even) means metric,
// matching the start-up rule that reads the box as metric only when its state is 1.
bool MetricFlag(double value) { return value > 0.5 && value < 1.5; }

void LoadDefaults(App& app, const std::string& content) {
  FieldReader reader(content);
  app.SetText(id::kXToolChange, reader.Next());
  app.SetText(id::kZToolChange, reader.Next());
  app.SetCheck(id::kMetric, MetricFlag(TextToNumber(reader.Next())));
}

// Surface feet to surface metres with the shop factor 0.305, rounded down. Worked as
// speed × 305 / 1000 so that exact products (200 sfm → 61) do not fall just below the whole
// number.
float MetricSpeed(double sfm) { return ToSingle(std::floor(sfm * 305.0 / 1000.0)); }

enum class SectionEnd { Terminator, Overflow };

// Reads records of `fieldCount` fields up to the "eof" record; `store(counter, fields)` takes
// each record. The terminator is looked for before the limit, so a full section followed by
// "eof" loads; only a record beyond the limit is an overflow.
template <typename Store>
SectionEnd ReadSection(FieldReader& reader, int fieldCount, int limit, Store store) {
  std::vector<std::string> fields(static_cast<std::size_t>(fieldCount));
  for (int counter = 1;; ++counter) {
    for (auto& field : fields) field = reader.Next();
    if (fields[0] == "eof") return SectionEnd::Terminator;
    if (counter > limit) return SectionEnd::Overflow;
    store(counter, fields);
  }
}

// False after an overflow (message shown).
bool LoadSections(App& app, const std::string& content) {
  FieldReader reader(content);
  const bool metric = app.Metric();
  const double inchTo = metric ? 25.4 : 1.0;

  auto overflow = [&](std::string_view section) {
    app.ui.MessageBox("Error Reading " + std::string(section) + " Data", "File Error",
                      MessageIcon::None);
    return false;
  };

  if (ReadSection(reader, 2, kMaxDrills, [&](int, const std::vector<std::string>& f) {
        float diameter = ToSingle(TextToNumber(f[1]) * inchTo);
        AddToLists(app, {id::kCSinkDrillSize, id::kDeepDrillSize, id::kDataDrillList},
                   DrillItemText(f[0], diameter));
        app.drills.push_back({f[0], diameter});
      }) == SectionEnd::Overflow)
    return overflow("Drill");

  if (ReadSection(reader, 3, kMaxThreads, [&](int n, const std::vector<std::string>& f) {
        AddToLists(app, {id::kThreadSize, id::kTapSize, id::kDataTapSize}, f[0]);
        double tpi = TextToNumber(f[2]);
        // No usable pitch from 0 threads per inch: the record keeps pitch 0.
        double pitch = tpi == 0 ? 0.0 : inchTo * (1.0 / tpi);
        app.threads[n] = {ToSingle(TextToNumber(f[1]) * inchTo), ToSingle(pitch)};
        app.threadCount = n;
      }) == SectionEnd::Overflow)
    return overflow("Thread");

  if (ReadSection(reader, 5, kMaxMaterials, [&](int n, const std::vector<std::string>& f) {
        AddToLists(app, {id::kMaterialList}, f[0]);
        auto speed = [&](int i) {
          double sfm = TextToNumber(f[static_cast<std::size_t>(i)]);
          return metric ? MetricSpeed(sfm) : ToSingle(sfm);
        };
        app.materials[n] = {speed(1), speed(2), speed(3), speed(4)};
        app.materialCount = n;
      }) == SectionEnd::Overflow)
    return overflow("Material");

  return true;
}

// "6.35" → ("6", "3500"); ".25" → ("0", "2500"): whole digits and 4 decimals taken from the
// text itself, so that 25.4 gives .4000 and not the binary remainder .3999...
std::string FixedFourDecimals(const std::string& t) {
  std::size_t point = t.find('.');
  std::string whole = t.substr(0, point);
  std::string decimals = point == std::string::npos ? "" : t.substr(point + 1);
  if (whole.empty() || whole == "-") whole += "0";
  return whole + "." + (decimals + "0000").substr(0, 4);
}

}  // namespace

std::string FieldReader::Next() {
  if (ended_) return "";
  while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  if (pos_ >= text_.size()) {
    ended_ = true;
    return "";
  }

  std::string field;
  if (text_[pos_] == '"') {
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != kCtrlZ) field += text_[pos_++];
    if (pos_ >= text_.size() || text_[pos_] == kCtrlZ) {
      ended_ = true;
      return field;
    }
    ++pos_;  // closing quote
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n'))
      ++pos_;
    if (pos_ < text_.size() && text_[pos_] == ',') {
      ++pos_;
    } else if (pos_ < text_.size() && text_[pos_] == '\r') {
      ++pos_;
      if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }
    return field;
  }

  while (pos_ < text_.size()) {
    char c = text_[pos_++];
    if (c == ',') return field;
    if (c == '\r') {
      if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
      return field;
    }
    if (c == kCtrlZ) {
      ended_ = true;
      return field;
    }
    // A bare line feed does not end the field: lines end with CR LF.
    if (c != '\n' && c != '\t') field += c;
  }
  return field;
}

std::filesystem::path DefaultFilePath(const App& app) { return app.home / "default.txt"; }
std::filesystem::path DataFilePath(const App& app) { return app.home / "data.txt"; }

std::string DrillItemText(std::string_view name, float diameter) {
  std::string t = FormatNumber(NumberToText(diameter, 7), 4);
  bool exponent = t.find_first_of("Ee") != std::string::npos;
  if (!exponent) {
    if (t.back() == '.') {
      t = (t + "0000").substr(0, 7);
    } else {
      t = FixedFourDecimals(t);
    }
  }
  std::string item = (std::string(name) + "        ").substr(0, 8);
  return item + " " + t;
}

bool LoadData(App& app) {
  bool missing = false;

  const auto defaults = DefaultFilePath(app);
  if (auto content = ReadWholeFile(defaults)) {
    LoadDefaults(app, *content);
  } else {
    ReportMissing(app, defaults);
    missing = true;
  }

  const auto data = DataFilePath(app);
  if (auto content = ReadWholeFile(data)) {
    if (!LoadSections(app, *content)) {
      app.ui.UnloadForm(kMainForm);
      return false;
    }
  } else {
    ReportMissing(app, data);
    missing = true;
  }
  app.ui.SelectItem(kMainForm, id::kMaterialList, 20);

  if (missing) {
    app.ui.UnloadForm(kMainForm);
    return false;
  }
  return true;
}

void SaveDefaults(App& app) {
  const auto path = DefaultFilePath(app);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    ReportMissing(app, path);
    app.ui.UnloadForm(kMainForm);
    return;
  }

  auto line = [](double value) { return FormatNumber(NumberToText(value, 15), 4) + "\r\n"; };
  const std::string content = line(app.Number(id::kXToolChange)) +
                              line(app.Number(id::kZToolChange)) +
                              line(app.Metric() ? 1 : 0);

  // Written beside the old file and renamed over it, so a crash never leaves half a file.
  auto fresh = path;
  fresh += ".new";
  bool written = false;
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    written = static_cast<bool>(out);
  }
  if (written) std::filesystem::rename(fresh, path, ec);
  if (!written || ec) {
    std::filesystem::remove(fresh, ec);
    app.Error("Error Writing Data File " + path.string());
  }
}

}  // namespace tbx
