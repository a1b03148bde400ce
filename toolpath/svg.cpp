#include "toolpath/svg.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "program/numbers.h"
#include "toolpath/run_time.h"
#include "toolpath/simulation.h"

namespace tbx::toolpath {

namespace {

constexpr double kWidth = 800, kMaxHeight = 600, kMargin = 20;

struct View {
  double minZ = 0, maxR = 0, scale = 1;
  double X(double z) const { return kMargin + (z - minZ) * scale; }
  double Y(double diameter) const { return kMargin + (maxR - diameter / 2) * scale; }
};

std::string N(double v) { return PlainDecimal(v, 2); }

std::string At(const View& v, Point p) { return N(v.X(p.z)) + " " + N(v.Y(p.x)); }

std::string PathOf(const Toolpath& path, const View& v, MoveKind kind) {
  std::string d;
  Point pen{std::nan(""), std::nan("")};
  for (const Move& m : path.moves) {
    if (m.kind != kind) continue;
    if (!(m.start.x == pen.x && m.start.z == pen.z)) d += "M" + At(v, m.start);
    if (m.arc == ArcDirection::None) {
      d += "L" + At(v, m.end);
    } else {
      const double r = std::hypot((m.start.x - m.centre.x) / 2, m.start.z - m.centre.z) * v.scale;
      constexpr double kPi = 3.14159265358979323846;
      const double sweep = ArcSweep(m);
      const bool ccw = sweep > 0;
      // Screen Y runs down, so a counter-clockwise arc of the drawing is sweep flag 0.
      d += "A" + N(r) + " " + N(r) + " 0 " + (std::fabs(sweep) > kPi ? "1" : "0") + " " +
           (ccw ? "0" : "1") + " " + At(v, m.end);
    }
    pen = m.end;
  }
  return d;
}

// Areas of the half-section as one path, holes cut out by the even-odd rule.
std::string SectionPath(const Section& section, const View& v) {
  std::string d;
  const auto ring = [&](const Ring& r) {
    for (std::size_t i = 0; i < r.size(); ++i) d += (i == 0 ? "M" : "L") + At(v, {2 * r[i].r, r[i].z});
    if (!r.empty()) d += "Z";
  };
  for (const Area& a : section) {
    ring(a.outer);
    for (const Ring& h : a.holes) ring(h);
  }
  return d;
}

void Widen(const Section& section, double& minZ, double& maxZ, double& maxR) {
  for (const Area& a : section) {
    for (const NosePoint& p : a.outer) {
      minZ = std::min(minZ, p.z);
      maxZ = std::max(maxZ, p.z);
      maxR = std::max(maxR, p.r);
    }
  }
}

}  // namespace

std::string ToolpathSvg(const Toolpath& path) {
  View v;
  double minZ = 0, maxZ = 1, minR = 0, maxR = 1;
  if (!path.extents.empty) {
    minZ = path.extents.minZ;
    maxZ = path.extents.maxZ;
    minR = std::min(0.0, path.extents.minX / 2);
    maxR = std::max(0.0, path.extents.maxX / 2);
  }
  const Simulation* sim = path.simulation.get();
  if (sim) {
    Widen(sim->blank, minZ, maxZ, maxR);
    Widen(sim->jaws, minZ, maxZ, maxR);
  }
  const double spanZ = std::max(maxZ - minZ, 1e-6), spanR = std::max(maxR - minR, 1e-6);
  v.minZ = minZ;
  v.maxR = maxR;
  v.scale = std::min((kWidth - 2 * kMargin) / spanZ, (kMaxHeight - 2 * kMargin) / spanR);
  const double height = spanR * v.scale + 2 * kMargin;

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + N(kWidth) + "\" height=\"" +
                    N(height) + "\" viewBox=\"0 0 " + N(kWidth) + " " + N(height) + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg += "<line class=\"centre\" x1=\"0\" y1=\"" + N(v.Y(0)) + "\" x2=\"" + N(kWidth) + "\" y2=\"" + N(v.Y(0)) +
         "\" stroke=\"#000000\" stroke-width=\"0.8\" stroke-dasharray=\"14 3 2 3\"/>\n";
  if (sim) {
    // The stock, the jaws and the part as it stands at the end, beneath the moves.
    svg += "<path class=\"jaws\" fill=\"#9e9e9e\" stroke=\"#616161\" stroke-width=\"1\" d=\"" +
           SectionPath(sim->jaws, v) + "\"/>\n";
    svg += "<path class=\"part\" fill=\"#cfd8dc\" fill-rule=\"evenodd\" stroke=\"#455a64\" stroke-width=\"1\" d=\"" +
           SectionPath(FinalPart(*sim), v) + "\"/>\n";
    svg += "<path class=\"stock\" fill=\"none\" stroke=\"#37474f\" stroke-width=\"0.8\" stroke-dasharray=\"3 2\" d=\"" +
           SectionPath(sim->blank, v) + "\"/>\n";
  }
  const struct {
    MoveKind kind;
    const char* name;
    const char* style;
  } layers[] = {
      {MoveKind::Rapid, "rapid", "stroke=\"#808080\" stroke-width=\"1\" stroke-dasharray=\"5 3\""},
      {MoveKind::Feed, "feed", "stroke=\"#1565c0\" stroke-width=\"1.5\""},
      {MoveKind::Thread, "thread", "stroke=\"#d84315\" stroke-width=\"1.2\""},
  };
  for (const auto& layer : layers) {
    const std::string d = PathOf(path, v, layer.kind);
    if (d.empty()) continue;
    svg += std::string("<path class=\"") + layer.name + "\" fill=\"none\" " + layer.style + " d=\"" + d + "\"/>\n";
  }
  std::set<std::pair<double, double>> dwells, toolChanges;
  for (const Move& m : path.moves) {
    if (m.kind == MoveKind::Dwell) dwells.insert({m.end.z, m.end.x});
    if (m.kind == MoveKind::ToolChange) toolChanges.insert({m.end.z, m.end.x});
  }
  for (const auto& [z, x] : dwells) {
    svg += "<circle class=\"dwell\" cx=\"" + N(v.X(z)) + "\" cy=\"" + N(v.Y(x)) + "\" r=\"2.5\" fill=\"#2e7d32\"/>\n";
  }
  for (const auto& [z, x] : toolChanges) {
    const double cx = v.X(z), cy = v.Y(x);
    svg += "<g class=\"tool-change\" stroke=\"#6a1b9a\" stroke-width=\"1.2\" fill=\"none\"><circle cx=\"" + N(cx) +
           "\" cy=\"" + N(cy) + "\" r=\"6\"/><path d=\"M" + N(cx - 9) + " " + N(cy) + "H" + N(cx + 9) + "M" + N(cx) +
           " " + N(cy - 9) + "V" + N(cy + 9) + "\"/></g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace tbx::toolpath
