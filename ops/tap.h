#pragma once
namespace tbx {
struct App;
void TapTabSizePicked(App& app);  // 715
void G84Clicked(App& app);        // 775
void TapG32Clicked(App& app);     // 780
void TapG33Clicked(App& app);     // 785
void TapGenerator(App& app);      // 795
}  // namespace tbx
