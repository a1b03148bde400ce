#pragma once
// The one place a job or tool file's text goes to toml++.
//
// toml++ 3.3 (Debian 12) asks of characters it meets outside strings, and of some inside them,
// whether they are blanks, and for U+00A1 to U+0499, U+2C5E to U+3057 (but U+3000) and U+FB26
// to U+FEFE reaches an unreachable point: undefined behaviour on a file a user or a fuzzer
// wrote. Those characters reach the library sheltered as private-use characters of plane 15
// (U+F00A1 for U+00A1) and every string it read is given them back; a file that holds a
// character of plane 15 itself is refused.
#include <string>
#include <string_view>
#include <toml++/toml.h>

namespace tbx {

// The table of TEXT; false with `error` ("line 3: ...") when it is no TOML.
bool ReadToml(std::string_view text, toml::table& table, std::string& error);

}  // namespace tbx
