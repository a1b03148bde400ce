#pragma once
// Limits shared by every reader of program files, the window's and the command line's.
#include <cstddef>
#include <cstdint>

namespace tbx {

// A program file larger than this is refused on opening, and Save never writes one.
inline constexpr std::uintmax_t kMaxProgramFileBytes = 16u * 1024u * 1024u;

// Diagnostics kept in full for one program; the rest are only counted.
inline constexpr std::size_t kMaxKeptDiagnostics = 1000;

}  // namespace tbx
