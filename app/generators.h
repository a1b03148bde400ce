#pragma once
// The OK buttons of the machining tabs: each reads its tab into the generator's inputs, runs
// the generator and writes the operation.
namespace tbx {
struct App;
void ReamGenerator(App& app);  // 705
}  // namespace tbx
