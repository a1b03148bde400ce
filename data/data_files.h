#pragma once
// default.txt and data.txt: the field reader, reading both files into values and the text
// default.txt is written as.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/tables.h"

namespace tbx {

// Reads the fields of a data file one after another (commas and CR LF separate fields).
class FieldReader {
 public:
  explicit FieldReader(std::string content) : text_(std::move(content)) {}
  // The next field; empty text once the file has ended.
  std::string Next();
  // Where the next field starts, and the line (from 1; CR LF, CR or LF end one) of a place.
  std::size_t Position() const { return pos_; }
  int LineOf(std::size_t position) const;
  // Whether only blanks follow a place.
  bool AtEnd(std::size_t position) const { return text_.find_first_not_of(' ', position) == std::string::npos; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
  bool ended_ = false;
};

// Item text of a drill list: name cut or filled to 8 characters, a blank, the diameter with
// 4 decimals ("1/4      0.2500").
std::string DrillItemText(std::string_view name, float diameter);
// The diameter text of a drill item: everything after the name and its blank.
std::string_view DrillItemDiameter(std::string_view item);

// default.txt: the tool-change position texts as read and the unit system.
struct Defaults {
  std::string xToolChange, zToolChange;
  bool metric = false;
};
Defaults ReadDefaults(const std::string& content);
// The three values of default.txt read without the window: tool-change X and Z and the unit
// system (a third value rounding to 1 means metric). found is false when there is no file.
struct DefaultValues {
  bool found = false;
  double xToolChange = 4;
  double zToolChange = 6;
  bool metric = false;
};
DefaultValues ReadDefaultValues(const std::filesystem::path& defaultFile);
// The text default.txt is saved as.
std::string DefaultsText(double xToolChange, double zToolChange, bool metric);

// data.txt in the unit system given: list items and tables, or the name of the section that
// held more records than its table ("Drill", "Thread", "Material"), the line of the first record
// too many (0 when the file ended before the terminator) and the table's size.
struct DataTables {
  std::vector<std::string> drillItems, threadNames, materialNames;
  std::vector<DrillRecord> drills;  // as the drill items show them
  ThreadTable threads{};
  MaterialTable materials{};
  std::string overflow;
  int overflowLine = 0, overflowLimit = 0;
};
DataTables ReadDataTables(const std::string& content, bool metric);

// The whole file, or nothing when it does not exist or cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

}  // namespace tbx
