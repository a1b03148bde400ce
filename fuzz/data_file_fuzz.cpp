// data.txt and default.txt readers on any content, in both unit systems; toolpath.txt read,
// written back over itself and read again gives the same settings.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/data_files.h"
#include "data/machine_file.h"

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
  const tbx::MachineSettings read = tbx::ParseMachineSettings(content);
  const tbx::MachineSettings again = tbx::ParseMachineSettings(tbx::MachineSettingsText(read, content));
  if (tbx::MachineSettingsText(again) != tbx::MachineSettingsText(read)) std::abort();
  return 0;
}
