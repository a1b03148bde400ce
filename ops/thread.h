#pragma once
namespace tbx {
struct App;
void ThreadSizePicked(App& app);     // 125
void PipeThreadClicked(App& app);    // 195
void OtControlClicked(App& app);     // 270
void SixTControlClicked(App& app);   // 275
void G32CodeClicked(App& app);       // 280 and 285
void ThreadGenerator(App& app);      // 305
}  // namespace tbx
