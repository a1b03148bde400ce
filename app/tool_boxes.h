#pragma once
// The tool of the Tool and Offset boxes, as the tool library knows it: its name beside the
// boxes, and the boxes of the tabs it answers filled when it is chosen.
namespace tbx {
struct App;

// Names the tool of the boxes beside them (empty when the library holds none); with `fill`,
// a blade's width goes into Tool Width of Groove or Part-off, a drill's diameter into the
// drilling tabs' Drill Diameter with Deep Drill's point angle, a reamer's into Reamer Diameter.
void ShowTool(App& app, bool fill);

}  // namespace tbx
