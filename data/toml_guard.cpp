#include "data/toml_guard.h"

#include <cstdio>

namespace tbx {
namespace {

// "U+02CD" for the UTF-8 sequence at `at`, or "byte 0xCD" where it is not UTF-8.
std::string CharacterName(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  char name[16];
  if (length == 1 || at + length > text.size()) {
    std::snprintf(name, sizeof name, "byte 0x%02X", lead);
    return name;
  }
  char32_t code = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      std::snprintf(name, sizeof name, "byte 0x%02X", lead);
      return name;
    }
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return name;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string TomlGuardFault(std::string_view text) {
  enum class In { Plain, Comment, Basic, Literal, MultiBasic, MultiLiteral };
  In in = In::Plain;
  int line = 1;
  const auto fault = [&](std::size_t at, const char* where) {
    return "line " + std::to_string(line) + ": " + CharacterName(text, at) + " " + where;
  };
  const auto nonAscii = [&](std::size_t at) { return at < text.size() && (text[at] & 0x80); };
  // The run of quote characters at `at`, at most `most`.
  const auto quotes = [&](std::size_t at, char quote, std::size_t most) {
    std::size_t n = 0;
    while (n < most && at + n < text.size() && text[at + n] == quote) ++n;
    return n;
  };
  // The last character outside strings and comments that is no blank: a quote opens a string
  // only where the library reads a key or a value. Elsewhere (1"... or +"...) the library reads
  // on to the next blank as a bad value, asking of each character whether it is one. A quote
  // after a dot is taken as no string either: a number's dot cannot be told from a dotted key's
  // here, and quoted dotted keys are not ours.
  char last = '\n';
  std::size_t i = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;  // a byte-order mark is no content
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      // A single-line string or a comment ends here (an unclosed string is the library's error).
      if (in == In::Comment || in == In::Basic || in == In::Literal) in = In::Plain;
      if (in == In::Plain) last = '\n';
      ++i;
      continue;
    }
    switch (in) {
      case In::Plain:
        if (c & 0x80) return fault(i, "outside quotes (only ASCII may stand there)");
        if (c == '#') {
          in = In::Comment;
        } else if ((c == '"' || c == '\'') && std::string_view("\n=[,{").find(last) != std::string_view::npos) {
          const bool multi = quotes(i, c, 3) == 3;
          in = c == '"' ? (multi ? In::MultiBasic : In::Basic) : (multi ? In::MultiLiteral : In::Literal);
          last = c;
          i += multi ? 3 : 1;
          continue;
        } else if (c != ' ' && c != '\t' && c != '\r') {
          last = c;
        }
        break;
      case In::Comment:
        break;
      case In::Basic:
      case In::MultiBasic:
        if (c == '\\') {
          if (nonAscii(i + 1)) return fault(i + 1, "after a backslash");
          if (in == In::MultiBasic && i + 1 < text.size() && IsBlank(text[i + 1])) {
            // A line-ending backslash: the library asks of the first character after the
            // blanks whether it is one.
            std::size_t j = i + 1;
            for (; j < text.size() && IsBlank(text[j]); ++j) line += text[j] == '\n';
            if (nonAscii(j)) return fault(j, "first after a line-ending backslash");
            i = j;
            continue;
          }
          i += i + 1 < text.size() && text[i + 1] != '\n' ? 2 : 1;
          continue;
        }
        if (c == '"') {
          if (in == In::Basic) {
            in = In::Plain;
          } else if (quotes(i, '"', 3) == 3) {
            in = In::Plain;
            i += quotes(i, '"', 5);  // up to two quotes before the closing three are content
            continue;
          }
        }
        break;
      case In::Literal:
        if (c == '\'') in = In::Plain;
        break;
      case In::MultiLiteral:
        if (c == '\'' && quotes(i, '\'', 3) == 3) {
          in = In::Plain;
          i += quotes(i, '\'', 5);
          continue;
        }
        break;
    }
    ++i;
  }
  return {};
}

}  // namespace tbx
