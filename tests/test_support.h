#pragma once
// A fresh program for each test: its own home folder with default.txt and data.txt, started
// headless, driven by user actions.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gui/job_runner.h"

namespace tbx::test {

inline const std::string kInchDefaults = "4.\r\n6.\r\n0.\r\n";
inline const std::string kMetricDefaults = "4.\r\n6.\r\n1.\r\n";
// A metric window as a shop sets it up: the tool changes at X100 Z150 mm, clear of the 50 mm
// bar of the metric defaults (kMetricDefaults keeps X4 Z6 for the goldens made with it).
inline const std::string kMetricShopDefaults = "100.\r\n150.\r\n1.\r\n";

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string ShippedData() { return ReadFile(std::filesystem::path(TURNBRIX_RESOURCES) / "data.txt"); }

// A temporary folder that is removed again.
class TempHome {
 public:
  TempHome() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "turnbrix-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempHome() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The program started on the given files (the shipped data file by default).
class Session {
 public:
  explicit Session(const std::string& defaults = kInchDefaults,
                   const std::string& data = ShippedData())
      : runner(home.path(), out, err) {
    WriteFile(home.path() / "default.txt", defaults);
    WriteFile(home.path() / "data.txt", data);
    started = runner.Start();
  }
  static Session Metric() { return Session(kMetricDefaults); }

  std::string Output() const { return runner.Output(); }
  std::string Text(ControlId id) { return runner.app().Text(id); }

  TempHome home;
  std::ostringstream out, err;
  JobRunner runner;
  bool started = false;
};

// What operations leave behind, to show that a refused one left nothing.
struct Trace {
  std::string output;
  std::int64_t blockNumber;
  int undoCount;
  bool undoEnabled;
  std::size_t messages;
};

inline Trace TraceOf(Session& s) {
  const App& app = s.runner.app();
  return {s.Output(), app.program.blockNumber, app.undo.Count(),
          s.runner.form().Control(kMainForm, id::kUndo)->enabled, s.runner.Messages().size()};
}

// A refused operation: the program, the block counter and the undo history as they were, and
// one new "TBX Error" box saying `message`.
inline ::testing::AssertionResult Refused(Session& s, const Trace& before, const std::string& message) {
  const Trace now = TraceOf(s);
  const std::vector<std::string>& boxes = s.runner.Messages();
  if (now.messages != before.messages + 1)
    return ::testing::AssertionFailure() << now.messages - before.messages << " new message boxes";
  if (boxes.back() != "[TBX Error] " + message)
    return ::testing::AssertionFailure() << "the box says \"" << boxes.back() << "\"";
  if (now.output != before.output) return ::testing::AssertionFailure() << "the program changed";
  if (now.blockNumber != before.blockNumber)
    return ::testing::AssertionFailure() << "the block counter moved to " << now.blockNumber;
  if (now.undoCount != before.undoCount || now.undoEnabled != before.undoEnabled)
    return ::testing::AssertionFailure() << "the undo history changed";
  return ::testing::AssertionSuccess();
}

// Joins blocks into program text, each ended by CR LF.
inline std::string Program(std::initializer_list<std::string_view> blocks) {
  std::string text;
  for (auto b : blocks) (text += b) += "\r\n";
  return text;
}

// The blocks of a program text, without their line ends.
inline std::vector<std::string> Blocks(const std::string& text) {
  std::vector<std::string> blocks;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    blocks.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return blocks;
}

// Whole program texts, compared so that a failure names the first block that differs.
inline ::testing::AssertionResult SameProgram(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::vector<std::string> a = Blocks(actual), e = Blocks(expected);
  for (std::size_t i = 0; i < std::max(a.size(), e.size()); ++i) {
    std::string got = i < a.size() ? a[i] : "(end of program)";
    std::string want = i < e.size() ? e[i] : "(end of program)";
    if (got != want) {
      return ::testing::AssertionFailure()
             << "block " << i + 1 << " is \"" << got << "\", expected \"" << want << "\"";
    }
  }
  return ::testing::AssertionFailure() << "same blocks, different line ends";
}

}  // namespace tbx::test
