#include "program/numbers.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace tbx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "&H1F", "&O17", "&B101", "&17": a whole number in another base.
double BasedNumber(std::string_view text) {
  int base = 8;
  std::size_t i = 1;
  if (i < text.size()) {
    switch (text[i]) {
      case 'H': case 'h': base = 16; ++i; break;
      case 'O': case 'o': case 'Q': case 'q': base = 8; ++i; break;
      case 'B': case 'b': base = 2; ++i; break;
      default: break;
    }
  }
  double value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int d = IsDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
    if (d >= base) break;
    value = value * base + d;
  }
  return value;
}

// Digits of |x| rounded to `digits` significant digits on the one further digit, with the
// decimal exponent of the first digit. Trailing zeros dropped; "" for zero.
struct Digits {
  std::string digits;
  int exponent = 0;
};

Digits RoundedDigits(double x, int digits) {
  // Scientific form with enough digits to be exact for any double's first digits+1 places:
  // to_chars gives the correctly rounded expansion, which we print far enough that rounding
  // in its last place cannot reach the digit we look at.
  char buffer[900];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                 std::chars_format::scientific, 780);
  std::string_view s(buffer, end - buffer);
  std::size_t e = s.find('e');
  std::string all;
  for (char c : s.substr(0, e)) {
    if (IsDigit(c)) all += c;
  }
  int exponent = 0;
  std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exponent);

  std::string kept = all.substr(0, digits);
  int next = all[digits] - '0';
  bool up = next > 5 || (next == 5 && (kept.back() - '0') % 2 == 1);
  if (up) {
    int i = digits - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0) {
      ++kept[i];
    } else {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++exponent;
    }
  }
  while (!kept.empty() && kept.back() == '0') kept.pop_back();
  return {kept, exponent};
}

// The power of ten of the first significant digit of "digits[.digits][e[sign]digits]" whose
// digits are not all zero, saturated far beyond any double: > 0 for values of 1 and more.
long long DecimalOrder(std::string_view number) {
  const std::size_t e = std::min(number.find('e'), number.size());
  const std::string_view mantissa = number.substr(0, e);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return 0;
  long long order = first < point ? static_cast<long long>(point - first)
                                  : -static_cast<long long>(first - point - 1);
  long long exponent = 0;
  bool minus = false;
  for (std::size_t i = e + 1; i < number.size(); ++i) {
    if (number[i] == '-') minus = true;
    if (IsDigit(number[i])) exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000LL);
  }
  return order + (minus ? -exponent : exponent);
}

}  // namespace

double TextToNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  text.remove_prefix(i);
  if (!text.empty() && text[0] == '&') return BasedNumber(text);

  // Collect the longest numeric prefix in from_chars' own syntax.
  std::string number;
  i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool point = false, anyDigit = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      number += c;
      anyDigit = true;
    } else if (c == '.' && !point) {
      number += c;
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    bool expDigit = false;
    for (; j < text.size() && IsDigit(text[j]); ++j) {
      exponent += text[j];
      expDigit = true;
    }
    if (expDigit) number += exponent;
  }
  double value = 0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large gives infinity, too small zero; from_chars leaves the value untouched then.
    value = DecimalOrder(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

double BoxNumber(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  const std::string_view shown = start == std::string_view::npos ? "" : text.substr(start);
  if (shown == "INF") return std::numeric_limits<double>::infinity();
  if (shown == "-INF") return -std::numeric_limits<double>::infinity();
  return TextToNumber(text);
}

std::string NumberToText(double x, int digits) {
  std::string sign = std::signbit(x) && x != 0 ? "-" : " ";
  if (std::isnan(x)) return " NAN";
  if (std::isinf(x)) return sign + "INF";
  if (x == 0) return " 0";

  auto [d, e] = RoundedDigits(x, digits);
  const int n = static_cast<int>(d.size());
  std::string body;
  if (e >= digits || (e < 0 && -e - 1 + n > digits)) {
    body = d.substr(0, 1);
    if (n > 1) body += "." + d.substr(1);
    body += e < 0 ? "E-" : "E+";
    body += std::to_string(e < 0 ? -e : e);
  } else if (e >= 0) {
    std::string whole = d.substr(0, std::min(n, e + 1));
    whole.append(static_cast<std::size_t>(e + 1 - static_cast<int>(whole.size())), '0');
    body = whole;
    if (n > e + 1) body += "." + d.substr(e + 1);
  } else {
    body = "." + std::string(static_cast<std::size_t>(-e - 1), '0') + d;
  }
  return sign + body;
}

float ToSingle(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

std::string FormatNumber(std::string_view text, int places) {
  const float v = ToSingle(BoxNumber(text));
  const float h = ToSingle(5.0 / std::pow(10.0, places + 1));
  const double scale = std::pow(10.0, places);
  const float r = ToSingle(std::floor((static_cast<double>(v) + h) * scale) / scale);
  std::string s = NumberToText(r, 7);
  // Whole numbers carry a point; the zero case first, so there is no division by zero.
  const bool whole = r == 0 || (std::isfinite(r) && r == std::floor(r));
  if (whole && s.back() != '.') s += '.';
  return s.substr(s.find_first_not_of(' '));
}

std::string FormatValue(double value, int places) {
  // The text of an infinity or NaN would read back as 0; keep it visibly not a number.
  if (!std::isfinite(value)) return NumberToText(value, 7).substr(std::signbit(value) ? 0 : 1);
  return FormatNumber(NumberToText(value, 7), places);
}

std::string BoxText(std::string_view text) {
  return FormatNumber(NumberToText(BoxNumber(text), 15), 4);
}

bool IsNumberText(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') ++i;
  bool digit = false, point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digit) return false;
  if (i < text.size() && std::string_view("EeDd").find(text[i]) != std::string_view::npos) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digits = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == digits) return false;
  }
  return i == text.size() && std::isfinite(ToSingle(TextToNumber(text)));
}

bool IsPlainNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  bool digit = false, point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

}  // namespace tbx
