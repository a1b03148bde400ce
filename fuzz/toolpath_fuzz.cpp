// libFuzzer: any bytes as program text, read and expanded in both unit systems and drawn.
// Must never crash, overflow or hang; the findings are the expander's business.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolpath/expander.h"
#include "toolpath/svg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool metric : {false, true}) {
    tbx::toolpath::ToolpathSettings settings;
    settings.metric = metric;
    const tbx::toolpath::Toolpath path = tbx::toolpath::ExpandProgram(text, settings);
    if (path.moves.size() < 5000) (void)tbx::toolpath::ToolpathSvg(path);
  }
  return 0;
}
