#pragma once
// default.txt and data.txt: the field reader, loading at start-up and saving the defaults.
#include <filesystem>
#include <string>
#include <string_view>

namespace tbx {

struct App;

// Reads the fields of a data file one after another (commas and CR LF separate fields).
class FieldReader {
 public:
  explicit FieldReader(std::string content) : text_(std::move(content)) {}
  // The next field; empty text once the file has ended.
  std::string Next();

 private:
  std::string text_;
  std::size_t pos_ = 0;
  bool ended_ = false;
};

std::filesystem::path DefaultFilePath(const App& app);
std::filesystem::path DataFilePath(const App& app);

// Item text of a drill list: name cut or filled to 8 characters, a blank, the diameter with
// 4 decimals ("1/4      0.2500"). Users read the diameter from the last 8 characters.
std::string DrillItemText(std::string_view name, float diameter);

// Reads both files into the Settings controls, the lists and the tables. Returns false when
// loading failed (the message has been shown and the main form unloaded).
bool LoadData(App& app);
// Writes the Settings values back to an existing default.txt; never creates it.
void SaveDefaults(App& app);

}  // namespace tbx
