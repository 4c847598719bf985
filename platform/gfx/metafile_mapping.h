// The logical-to-device mapping of a metafile device context: mapping mode,
// window and viewport. Playback and the EMF-to-WMF conversion both follow the
// records that change it.
#pragma once
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gfx/emf_format.h"

namespace gfx::emf {

struct Mapping {
  std::uint32_t mode = MM_TEXT;
  PointL windowOrg, viewportOrg;
  SizeL windowExt{1, 1}, viewportExt{1, 1};
  double ppiX = 96, ppiY = 96;  // the reference device, for the metric modes

  // Device units per logical unit, signed.
  double ScaleX() const { return Scales().first; }
  double ScaleY() const { return Scales().second; }
  double X(double x) const { return (x - windowOrg.x) * ScaleX() + viewportOrg.x; }
  double Y(double y) const { return (y - windowOrg.y) * ScaleY() + viewportOrg.y; }

  // Follows a mapping record; answers false for any other record. A record
  // too short for its fields raises EMetafileFormat.
  bool Apply(const Record& rec) {
    bytes::Reader r = rec.Body();
    switch (rec.Type()) {
      case EMR_SETMAPMODE: {
        std::uint32_t m = r.U32(8);
        if (m >= MM_TEXT && m <= MM_ANISOTROPIC) mode = m;
        return true;
      }
      case EMR_SETWINDOWORGEX: windowOrg = {r.I32(8), r.I32(12)}; return true;
      case EMR_SETVIEWPORTORGEX: viewportOrg = {r.I32(8), r.I32(12)}; return true;
      case EMR_SETWINDOWEXTEX:
        if (r.I32(8) != 0 && r.I32(12) != 0) windowExt = {r.I32(8), r.I32(12)};
        return true;
      case EMR_SETVIEWPORTEXTEX:
        if (r.I32(8) != 0 && r.I32(12) != 0) viewportExt = {r.I32(8), r.I32(12)};
        return true;
      default: return false;
    }
  }

 private:
  std::pair<double, double> Scales() const {
    switch (mode) {
      case MM_LOMETRIC: return {ppiX / 254.0, -ppiY / 254.0};
      case MM_HIMETRIC: return {ppiX / 2540.0, -ppiY / 2540.0};
      case MM_LOENGLISH: return {ppiX / 100.0, -ppiY / 100.0};
      case MM_HIENGLISH: return {ppiX / 1000.0, -ppiY / 1000.0};
      case MM_TWIPS: return {ppiX / 1440.0, -ppiY / 1440.0};
      case MM_ANISOTROPIC:
        return {double(viewportExt.cx) / windowExt.cx, double(viewportExt.cy) / windowExt.cy};
      case MM_ISOTROPIC: {
        double sx = double(viewportExt.cx) / windowExt.cx, sy = double(viewportExt.cy) / windowExt.cy;
        double m = std::min(std::fabs(sx), std::fabs(sy));
        return {std::copysign(m, sx), std::copysign(m, sy)};
      }
      default: return {1.0, 1.0};
    }
  }
};

}  // namespace gfx::emf
