#pragma once
// The one place where numbers become text and text becomes numbers. Locale-free: a
// comma-decimal locale changes no byte.
#include <string>
#include <string_view>

namespace tbx {

// The ten-digit value every spindle-speed formula uses, not the full-precision constant.
inline constexpr double kPi = 3.141592654;

// TextToNumber of a numeric box: the out-of-range forms a box shows ("INF", "-INF") read back
// as infinities, so that a box keeps showing what it was given.
double BoxNumber(std::string_view text);

// Longest number at the start of the text (after blanks, tabs and line feeds): sign, digits,
// one point, exponent E/e/D/d; "&H", "&O", "&Q", "&B" and a bare "&" read whole numbers in
// base 16, 8, 8, 2, 8. Text without a number reads 0.
double TextToNumber(std::string_view text);

// Leading "-" or blank, `digits` (7 or 15) significant digits rounded on one further digit
// (a 5 goes to the even neighbour), no leading zero, exponent form when plain digits would not
// do (" 1.234568E+7", " 1E-8").
std::string NumberToText(double x, int digits);

// The printed form of every number in the program (the text read as BoxNumber reads it):
// single-precision value, rounded half up to
// `places` decimals, no leading zero, a trailing point on whole numbers (".5", "2.", "0.").
std::string FormatNumber(std::string_view text, int places);

// FormatNumber of the 7-digit text of a value: how generators print their words.
std::string FormatValue(double value, int places);

// The text a numeric box shows once the user leaves it: BoxNumber read to 15 digits, then
// FormatNumber with 4 places.
std::string BoxText(std::string_view text);

// True when the whole text (blanks around it aside) is one number in TextToNumber's decimal
// syntax whose value fits single precision: "4", " -.5 ", "1.5E2"; not "", "abc", "4x", "1e999".
bool IsNumberText(std::string_view text);
// The same, whatever the size of the value: "1e40" is one number, "abc" and "4x" are not.
bool IsNumberSyntax(std::string_view text);

// True for a word that is plain digits with an optional sign and point ("-.0625", "2.", "0"),
// false for exponent forms, "inf", "nan" and empty text.
bool IsPlainNumber(std::string_view text);

// Single-precision store of a value; out of range gives an infinity, never undefined behaviour.
float ToSingle(double value);

}  // namespace tbx

namespace tbx {

// Reports and drawings (not program words): fixed point with at most `maxPlaces` decimals,
// trailing zeros and point dropped, a leading zero kept ("0.3689", "-1", "1996"); "-0" is "0".
// Not a plain number for NaN and infinities ("nan", "inf", "-inf").
std::string PlainDecimal(double value, int maxPlaces);

}  // namespace tbx
