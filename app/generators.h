#pragma once
// The OK buttons of the machining tabs: each reads its tab into the generator's inputs, runs
// the generator and writes the operation.
namespace tbx {
struct App;
void ThreadGenerator(App& app);      // 305
void CSinkDrillGenerator(App& app);  // 470
void DeepDrillGenerator(App& app);   // 625
void ReamGenerator(App& app);        // 705
void TapGenerator(App& app);         // 795
void GrooveGenerator(App& app);      // 965
}  // namespace tbx

namespace tbx {
void FaceGenerator(App& app);     // 1260
void TurnGenerator(App& app);     // 1380
void PartOffGenerator(App& app);  // 1460
}  // namespace tbx
