#include "program/numbers.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <iterator>
#include <limits>

namespace tbx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Index of the first character from `i` on that is neither a digit nor the first point.
std::size_t SkipDigitsAndPoint(std::string_view text, std::size_t i, bool& anyDigit) {
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      anyDigit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  return i;
}

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
// decimal exponent of the first digit. Trailing zeros dropped; none for zero.
struct Digits {
  char digits[17];
  int count = 0;
  int exponent = 0;
};

// Significant digits of the short expansion: enough that a carry from rounding it can only
// reach the digit looked at when every digit between is 0.
constexpr int kShortDigits = 32;

// Whether |x| = m × 2^k is exactly a decimal of at most kShortDigits significant digits.
bool ExactInShortDigits(double a) {
  int e2 = 0;
  const double fraction = std::frexp(a, &e2);
  std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int k = e2 - 53;
  const int zeros = std::countr_zero(m);
  m >>= zeros;
  k += zeros;
  if (k >= 0) return a < 1e31;
  int mDigits = 0;
  for (std::uint64_t v = m; v != 0; v /= 10) ++mDigits;
  // m × 5^-k over 10^-k: its digits are at most those of m and of 5^-k (counted generously).
  return mDigits + static_cast<int>(-k * 0.69897000433601886) + 2 <= kShortDigits;
}

// The first `count` (at most 17) digits of the exact decimal expansion of a > 0 as
// floor(a × 10^s) in integers, and its decimal exponent: a = m × 2^k, so for s >= 0 the digits
// are m × 5^s shifted by k + s bits, exact in 128 bits for s up to 32 (5^32 < 2^75, m < 2^53).
// False where that does not hold (values of 10^count and more, or far below 1).
constexpr auto kPowersOfFive = [] {
  std::array<unsigned __int128, 33> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 5;
  return powers;
}();

bool IntegerLeadingDigits(double a, int count, char* out, int& exponent) {
  if (count < 1 || count > 17) return false;
  int e2 = 0;
  const std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(std::frexp(a, &e2), 53));
  const int k = e2 - 53;
  std::uint64_t low = 1;  // 10^(count - 1)
  for (int i = 1; i < count; ++i) low *= 10;
  // a lies in [2^(e2-1), 2^e2): floor((e2 - 1) log10 2) is its decimal exponent or one below.
  int e = ((e2 - 1) * 78913) >> 18;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int s = count - 1 - e;
    if (s < 0 || s >= static_cast<int>(kPowersOfFive.size())) return false;
    unsigned __int128 t = m * kPowersOfFive[static_cast<std::size_t>(s)];
    const int shift = k + s;
    if (shift >= 0) {
      if (shift >= 53 || (t >> (127 - shift)) != 0) return false;
      t <<= shift;
    } else {
      t = -shift >= 128 ? 0 : t >> -shift;
    }
    if (t < low) {
      --e;
    } else if (t >= static_cast<unsigned __int128>(low) * 10) {
      ++e;
    } else {
      std::uint64_t digits = static_cast<std::uint64_t>(t);
      for (int i = count - 1; i >= 0; --i, digits /= 10) out[i] = static_cast<char>('0' + digits % 10);
      exponent = e;
      return true;
    }
  }
  return false;
}

// The first `count` digits of the exact decimal expansion of a, and its decimal exponent.
int ExactLeadingDigits(double a, int count, char* out) {
  if (int exponent = 0; IntegerLeadingDigits(a, count, out, exponent)) return exponent;
  char buffer[48];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, a, std::chars_format::scientific,
                           kShortDigits - 1).ptr;
  const char* e = std::find(buffer, end, 'e');
  bool tailZero = true;
  for (const char* p = buffer + 1 + count; p < e; ++p) tailZero = tailZero && *p == '0';
  int exponent = 0;
  if (!tailZero || ExactInShortDigits(a)) {
    out[0] = buffer[0];
    std::copy(buffer + 2, buffer + 1 + count, out + 1);
    std::from_chars(e + 1 + (e[1] == '+'), end, exponent);
    return exponent;
  }
  // Rounding may have carried into the digits wanted: the whole expansion decides (a double
  // has at most 767 significant digits).
  std::string whole(800, '\0');
  auto wholeEnd = std::to_chars(whole.data(), whole.data() + whole.size(), a,
                                std::chars_format::scientific, 780).ptr;
  const char* we = std::find(whole.data(), wholeEnd, 'e');
  out[0] = whole[0];
  std::copy(whole.data() + 2, whole.data() + 1 + count, out + 1);
  std::from_chars(we + 1 + (we[1] == '+'), wholeEnd, exponent);
  return exponent;
}

Digits RoundedDigits(double x, int digits) {
  Digits r;
  char all[17];
  r.exponent = ExactLeadingDigits(std::fabs(x), digits + 1, all);
  char* kept = r.digits;
  std::copy(all, all + digits, kept);
  const int next = all[digits] - '0';
  const bool up = next > 5 || (next == 5 && (kept[digits - 1] - '0') % 2 == 1);
  if (up) {
    int i = digits - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0) {
      ++kept[i];
    } else {
      kept[0] = '1';  // 9.99.. became 10.0..: one digit more in front, the rest zeros
      ++r.exponent;
    }
  }
  r.count = digits;
  while (r.count > 0 && kept[r.count - 1] == '0') --r.count;
  return r;
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
  if (std::isnan(x)) return " NAN";
  const char sign = std::signbit(x) && x != 0 ? '-' : ' ';
  if (std::isinf(x)) return sign == '-' ? "-INF" : " INF";
  if (x == 0) return " 0";

  const Digits r = RoundedDigits(x, digits);
  const std::string_view d(r.digits, static_cast<std::size_t>(r.count));
  const int n = r.count;
  const int e = r.exponent;
  std::string text(1, sign);
  text.reserve(24);
  if (e >= digits || (e < 0 && -e - 1 + n > digits)) {
    text += d[0];
    if (n > 1) (text += '.') += d.substr(1);
    text += e < 0 ? "E-" : "E+";
    text += std::to_string(e < 0 ? -e : e);
  } else if (e >= 0) {
    text += d.substr(0, static_cast<std::size_t>(std::min(n, e + 1)));
    if (n < e + 1) text.append(static_cast<std::size_t>(e + 1 - n), '0');
    if (n > e + 1) (text += '.') += d.substr(static_cast<std::size_t>(e + 1));
  } else {
    (text += '.').append(static_cast<std::size_t>(-e - 1), '0') += d;
  }
  return text;
}

float ToSingle(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

namespace {
// 10^n, exact for n from 0 to 22, as std::pow gives it; looked up, since every word costs two.
double PowerOfTen(int n) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return n >= 0 && n < static_cast<int>(std::size(kPowers)) ? kPowers[n] : std::pow(10.0, n);
}
}  // namespace

std::string FormatNumber(std::string_view text, int places) {
  const float v = ToSingle(BoxNumber(text));
  const float h = ToSingle(5.0 / PowerOfTen(places + 1));
  const double scale = PowerOfTen(places);
  const float r = ToSingle(std::floor((static_cast<double>(v) + h) * scale) / scale);
  std::string s = NumberToText(r, 7);
  // Whole numbers carry a point, and so does a fraction that 7 digits round away
  // (1677719.75 prints "1677720."): read again, the text must give itself.
  const bool whole = r == 0 || (std::isfinite(r) && r == std::floor(r));
  const bool digitsOnly = s.find_first_of(".EIN") == std::string::npos;
  if ((whole || digitsOnly) && s.back() != '.') s += '.';
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
  return IsNumberSyntax(text) && std::isfinite(ToSingle(TextToNumber(text)));
}

bool IsNumberSyntax(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  bool digit = false;
  std::size_t i = SkipDigitsAndPoint(text, text[0] == '+' || text[0] == '-' ? 1 : 0, digit);
  if (!digit) return false;
  if (i < text.size() && std::string_view("EeDd").find(text[i]) != std::string_view::npos) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digits = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == digits) return false;
  }
  return i == text.size();
}

bool IsPlainNumber(std::string_view text) {
  bool digit = false;
  return SkipDigitsAndPoint(text, !text.empty() && text[0] == '-' ? 1 : 0, digit) == text.size() &&
         digit;
}


std::string PlainDecimal(double value, int maxPlaces) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // Fixed form of a double needs at most 309 integer digits; 400 holds any precision asked.
  char buffer[400];
  const int places = maxPlaces < 0 ? 0 : maxPlaces > 15 ? 15 : maxPlaces;
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
  std::string text(buffer, result.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace tbx
