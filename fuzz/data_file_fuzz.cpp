// data.txt and default.txt readers on any content, in both unit systems.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/data_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  for (bool metric : {false, true}) {
    const tbx::DataTables t = tbx::ReadDataTables(content, metric);
    if (t.drillItems.size() > tbx::kMaxDrills || t.threadNames.size() > tbx::kMaxThreads ||
        t.materialNames.size() > tbx::kMaxMaterials)
      std::abort();
    for (const std::string& item : t.drillItems)
      if (item.size() < 9 || item[8] != ' ') std::abort();
  }
  tbx::ReadDefaults(content);
  return 0;
}
