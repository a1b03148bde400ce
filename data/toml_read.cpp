#include "data/toml_read.h"

#include <cstdio>

namespace tbx {
namespace {

constexpr char32_t kShelter = 0xF0000;  // plane 15, private use

bool Faulty(char32_t c) {
  return (c >= 0xA1 && c <= 0x499) || (c >= 0x2C5E && c <= 0x3057 && c != 0x3000) || (c >= 0xFB26 && c <= 0xFEFE);
}

// The code point of the UTF-8 sequence at `at` and its length; length 0 where it is no UTF-8
// (the library's to refuse).
struct Decoded {
  char32_t code = 0;
  int length = 0;
};
Decoded Decode(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const int length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + static_cast<std::size_t>(length) > text.size()) return {};
  char32_t code = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((byte(at + static_cast<std::size_t>(i)) & 0xC0) != 0x80) return {};
    code = code << 6 | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
  }
  return {code, length};
}

void Encode(char32_t c, std::string& out) {
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
}

// TEXT with every faulty character moved into the shelter (or, `back`, out of it again).
// False with `line` where TEXT holds a character of the shelter's plane itself.
bool Move(std::string_view text, bool back, std::string& out, int& line) {
  out.clear();
  out.reserve(text.size() + 16);
  line = 1;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      line += c == '\n';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const Decoded d = Decode(text, i);
    if (d.length == 0) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const bool sheltered = (d.code & ~char32_t{0xFFFF}) == kShelter;
    if (!back && sheltered) return false;
    if (!back && Faulty(d.code))
      Encode(kShelter | d.code, out);
    else if (back && sheltered && Faulty(d.code & 0xFFFF))
      Encode(d.code & 0xFFFF, out);
    else
      out.append(text.substr(i, static_cast<std::size_t>(d.length)));
    i += static_cast<std::size_t>(d.length);
  }
  return true;
}

std::string Back(std::string_view text) {
  std::string out;
  int line = 0;
  Move(text, true, out, line);
  return out;
}

void GiveBack(toml::node& node) {
  if (toml::table* table = node.as_table()) {
    for (auto&& [key, value] : *table) GiveBack(value);
  } else if (toml::array* array = node.as_array()) {
    for (toml::node& element : *array) GiveBack(element);
  } else if (toml::value<std::string>* text = node.as_string()) {
    if (text->get().find('\xF3') != std::string::npos) text->get() = Back(text->get());
  }
}

}  // namespace

bool ReadToml(std::string_view text, toml::table& table, std::string& error) {
  std::string sheltered;
  int line = 0;
  if (!Move(text, false, sheltered, line)) {
    error = "line " + std::to_string(line) + ": a private-use character of plane 15 (U+F0000 to U+FFFFF)";
    return false;
  }
  // The library reports a document that is no TOML only by throwing; it stops here.
  try {
    table = toml::parse(sheltered);
  } catch (const toml::parse_error& e) {
    error = "line " + std::to_string(e.source().begin.line) + ": " + Back(e.description());
    return false;
  }
  GiveBack(table);
  return true;
}

}  // namespace tbx
