#include "data/data_files.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

#include "program/numbers.h"

namespace tbx {

namespace {

constexpr char kCtrlZ = '\x1a';

// Third value of default.txt: only a value that rounds to 1 (halves to even) means metric,
// matching the start-up rule that reads the box as metric only when its state is 1.
bool MetricFlag(double value) { return value > 0.5 && value < 1.5; }

// Surface feet to surface metres with the shop factor 0.305, rounded down. Worked as
// speed × 305 / 1000 so that exact products (200 sfm → 61) do not fall just below the whole
// number.
float MetricSpeed(double sfm) { return ToSingle(std::floor(sfm * 305.0 / 1000.0)); }

enum class SectionEnd { Terminator, Overflow };

// Reads records of `fieldCount` fields up to the "eof" record; `store(counter, fields)` takes
// each record. The terminator is looked for before the limit, so a full section followed by
// "eof" loads; only a record beyond the limit is an overflow.
// `line` is where the record too many starts, 0 when the file ended before the terminator.
template <typename Store>
SectionEnd ReadSection(FieldReader& reader, int fieldCount, int limit, int& line, Store store) {
  std::vector<std::string> fields(static_cast<std::size_t>(fieldCount));
  for (int counter = 1;; ++counter) {
    const std::size_t start = reader.Position();
    for (auto& field : fields) field = reader.Next();
    if (fields[0] == "eof") return SectionEnd::Terminator;
    if (counter > limit) {
      line = reader.AtEnd(start) ? 0 : reader.LineOf(start);
      return SectionEnd::Overflow;
    }
    store(counter, fields);
  }
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

int FieldReader::LineOf(std::size_t position) const {
  int line = 1;
  const std::size_t end = std::min(position, text_.size());
  for (std::size_t i = 0; i < end; ++i) {
    if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) ++line;
  }
  return line;
}

std::string DrillItemText(std::string_view name, float diameter) {
  std::string t = FormatNumber(NumberToText(diameter, 7), 4);
  // Exponent forms and infinities stand as they are.
  if (IsPlainNumber(t)) {
    if (t.back() == '.') {
      t = (t + "0000").substr(0, 7);
    } else {
      t = FixedFourDecimals(t);
    }
  }
  std::string item = (std::string(name) + "        ").substr(0, 8);
  return item + " " + t;
}

std::string_view DrillItemDiameter(std::string_view item) {
  // After the name of 8 and its blank, whatever the diameter's length.
  return item.substr(std::min<std::size_t>(9, item.size()));
}

Defaults ReadDefaults(const std::string& content) {
  FieldReader reader(content);
  Defaults d;
  d.xToolChange = reader.Next();
  d.zToolChange = reader.Next();
  d.metric = MetricFlag(TextToNumber(reader.Next()));
  return d;
}

DefaultValues ReadDefaultValues(const std::filesystem::path& defaultFile) {
  DefaultValues v;
  const std::optional<std::string> content = ReadWholeFile(defaultFile);
  v.found = content.has_value();
  if (!v.found) return v;
  const Defaults d = ReadDefaults(*content);
  v.xToolChange = TextToNumber(d.xToolChange);
  v.zToolChange = TextToNumber(d.zToolChange);
  v.metric = d.metric;
  return v;
}

std::string DefaultsText(double xToolChange, double zToolChange, bool metric) {
  auto line = [](double value) { return FormatNumber(NumberToText(value, 15), 4) + "\r\n"; };
  return line(xToolChange) + line(zToolChange) + line(metric ? 1 : 0);
}

DataTables ReadDataTables(const std::string& content, bool metric) {
  DataTables t;
  FieldReader reader(content);
  const double inchTo = metric ? 25.4 : 1.0;

  if (ReadSection(reader, 2, kMaxDrills, t.overflowLine, [&](int, const std::vector<std::string>& f) {
        const float diameter = ToSingle(TextToNumber(f[1]) * inchTo);
        t.drillItems.push_back(DrillItemText(f[0], diameter));
        t.drills.push_back({f[0], diameter});
      }) == SectionEnd::Overflow) {
    t.overflow = "Drill";
    t.overflowLimit = kMaxDrills;
    return t;
  }

  if (ReadSection(reader, 3, kMaxThreads, t.overflowLine, [&](int n, const std::vector<std::string>& f) {
        t.threadNames.push_back(f[0]);
        double tpi = TextToNumber(f[2]);
        // No usable pitch from 0 threads per inch: the record keeps pitch 0.
        double pitch = tpi == 0 ? 0.0 : inchTo * (1.0 / tpi);
        t.threads[n] = {ToSingle(TextToNumber(f[1]) * inchTo), ToSingle(pitch)};
      }) == SectionEnd::Overflow) {
    t.overflow = "Thread";
    t.overflowLimit = kMaxThreads;
    return t;
  }

  if (ReadSection(reader, 5, kMaxMaterials, t.overflowLine, [&](int n, const std::vector<std::string>& f) {
        t.materialNames.push_back(f[0]);
        auto speed = [&](int i) {
          double sfm = TextToNumber(f[static_cast<std::size_t>(i)]);
          return metric ? MetricSpeed(sfm) : ToSingle(sfm);
        };
        t.materials[n] = {speed(1), speed(2), speed(3), speed(4)};
      }) == SectionEnd::Overflow) {
    t.overflow = "Material";
    t.overflowLimit = kMaxMaterials;
  }
  return t;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return content;
}

}  // namespace tbx
