// The number reader and formatter on any text: what is printed is a plain number or visibly
// not one, and formatting a plain number again gives the same text. (Exponent forms, never
// written, may move by one unit in the 7th digit: 7 digits do not single out every float.)
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "program/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = tbx::TextToNumber(text);
  for (int places : {0, 4, 6}) {
    const std::string once = tbx::FormatNumber(text, places);
    const bool plain = tbx::IsPlainNumber(once);
    const bool visiblyNot = once.find_first_of("EIN") != std::string::npos;
    if (plain == visiblyNot) std::abort();
    if (plain && tbx::FormatNumber(once, places) != once) std::abort();
  }
  const std::string box = tbx::BoxText(text);
  if (tbx::IsPlainNumber(box) && tbx::BoxText(box) != box) std::abort();
  for (int digits : {7, 15}) {
    const std::string shown = tbx::NumberToText(value, digits);
    if (shown.empty() || (shown[0] != ' ' && shown[0] != '-')) std::abort();
  }
  tbx::IsNumberText(text);
  return 0;
}
