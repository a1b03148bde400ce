#pragma once
// The OK buttons of the machining tabs: each reads its tab into the generator's inputs, runs
// the generator and writes the operation.
namespace tbx {
struct App;
void ReamGenerator(App& app);  // 705
}  // namespace tbx

namespace tbx {
void FaceGenerator(App& app);     // 1260
void TurnGenerator(App& app);     // 1380
void PartOffGenerator(App& app);  // 1460
}  // namespace tbx
