// The tool-library reader on any content: it never crashes, a refused file gives no tools
// and a message with its line, and a library that is read writes back to text that reads
// to the same library.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/tool_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const tbx::ToolLibraryRead read = tbx::ParseToolLibrary(content);
  if (!read) {
    if (!read.library.tools.empty() || read.error.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  for (const tbx::Tool& tool : read.library.tools)
    if (tbx::CheckTool(tool, read.library.metric)) std::abort();
  const std::string text = tbx::ToolLibraryText(read.library);
  const tbx::ToolLibraryRead again = tbx::ParseToolLibrary(text);
  if (!again || tbx::ToolLibraryText(again.library) != text) std::abort();
  return 0;
}
