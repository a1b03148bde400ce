// The number reader and formatter on any text: what is printed is a plain number or visibly
// not one, and formatting a plain number of at most 6 significant digits again gives the same
// text. With all 7 digits in use the 7-digit form rounds on one further digit only, and the
// single-precision value of "9190.979" has a 5 there: it prints "9190.978". Exponent forms,
// never written, move the same way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "program/numbers.h"

namespace {
int SignificantDigits(std::string_view plain) {
  int count = 0;
  bool leading = true;
  for (char c : plain) {
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++count;
  }
  return count;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = tbx::TextToNumber(text);
  for (int places : {0, 4, 6}) {
    const std::string once = tbx::FormatNumber(text, places);
    const bool plain = tbx::IsPlainNumber(once);
    const bool visiblyNot = once.find_first_of("EIN") != std::string::npos;
    if (plain == visiblyNot) std::abort();
    if (plain && SignificantDigits(once) <= 6 && tbx::FormatNumber(once, places) != once)
      std::abort();
  }
  const std::string box = tbx::BoxText(text);
  if (tbx::IsPlainNumber(box) && SignificantDigits(box) <= 6 && tbx::BoxText(box) != box)
    std::abort();
  for (int digits : {7, 15}) {
    const std::string shown = tbx::NumberToText(value, digits);
    if (shown.empty() || (shown[0] != ' ' && shown[0] != '-')) std::abort();
  }
  tbx::IsNumberText(text);
  return 0;
}
