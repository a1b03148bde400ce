#pragma once
// toml++ 3.3 (Debian 12) asks of some characters whether they are blanks and reaches an
// unreachable point for many of them (U+00A1 to U+0499 among others): undefined behaviour on a
// file a user or a fuzzer wrote. It asks only outside quotes, where TOML allows ASCII alone,
// and after a multi-line string's line-ending backslash. Every job and tool file passes this
// guard before the library sees it.
#include <string>
#include <string_view>

namespace tbx {

// "line 3: U+02CD outside quotes (only ASCII may stand there)"; empty when the library may read
// the text. A text that is no TOML for other reasons passes, for the library to refuse.
std::string TomlGuardFault(std::string_view text);

}  // namespace tbx
