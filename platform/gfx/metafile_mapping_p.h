// The logical-to-device mapping of a metafile device context: world
// transform, mapping mode, window and viewport. Playback and the EMF-to-WMF
// conversion both follow the records that change it.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/gfx/emf_format.h"

namespace gfx::emf {

struct Mapping {
  std::uint32_t mode = MM_TEXT;
  PointL windowOrg, viewportOrg;
  SizeL windowExt{1, 1}, viewportExt{1, 1};
  double ppiX = 96, ppiY = 96;  // the reference device, for the metric modes
  // World to page: x' = x * w11 + y * w21 + wdx, y' = x * w12 + y * w22 + wdy.
  double w11 = 1, w12 = 0, w21 = 0, w22 = 1, wdx = 0, wdy = 0;

  // World (logical) coordinates to device coordinates.
  double DevX(double x, double y) const { return X(x * w11 + y * w21 + wdx); }
  double DevY(double x, double y) const { return Y(x * w12 + y * w22 + wdy); }
  // How much the world transform stretches lengths along each axis.
  double WorldScaleX() const { return std::hypot(w11, w12); }
  double WorldScaleY() const { return std::hypot(w21, w22); }

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
      case EMR_SETWORLDTRANSFORM: SetWorld(ReadXForm(r), MWT_SET); return true;
      case EMR_MODIFYWORLDTRANSFORM: SetWorld(ReadXForm(r), r.U32(32)); return true;
      default: return false;
    }
  }

 private:
  static std::array<double, 6> ReadXForm(const bytes::Reader& r) {
    std::array<double, 6> m;
    for (int i = 0; i < 6; ++i) m[i] = r.F32(8 + 4 * i);
    return m;
  }
  // A transform that is not finite or stretches beyond reason is ignored.
  void SetWorld(const std::array<double, 6>& m, std::uint32_t how) {
    for (double v : m)
      if (!std::isfinite(v) || std::fabs(v) > 1e7) return;
    double a11 = m[0], a12 = m[1], a21 = m[2], a22 = m[3], adx = m[4], ady = m[5];
    switch (how) {
      case MWT_IDENTITY: w11 = 1, w12 = 0, w21 = 0, w22 = 1, wdx = 0, wdy = 0; break;
      case MWT_SET: w11 = a11, w12 = a12, w21 = a21, w22 = a22, wdx = adx, wdy = ady; break;
      case MWT_LEFTMULTIPLY: {  // the new transform applies first
        double n11 = a11 * w11 + a12 * w21, n12 = a11 * w12 + a12 * w22;
        double n21 = a21 * w11 + a22 * w21, n22 = a21 * w12 + a22 * w22;
        double ndx = adx * w11 + ady * w21 + wdx, ndy = adx * w12 + ady * w22 + wdy;
        w11 = n11, w12 = n12, w21 = n21, w22 = n22, wdx = ndx, wdy = ndy;
        break;
      }
      case MWT_RIGHTMULTIPLY: {  // the new transform applies last
        double n11 = w11 * a11 + w12 * a21, n12 = w11 * a12 + w12 * a22;
        double n21 = w21 * a11 + w22 * a21, n22 = w21 * a12 + w22 * a22;
        double ndx = wdx * a11 + wdy * a21 + adx, ndy = wdx * a12 + wdy * a22 + ady;
        w11 = n11, w12 = n12, w21 = n21, w22 = n22, wdx = ndx, wdy = ndy;
        break;
      }
      default: break;
    }
  }

  std::pair<double, double> Scales() const {
    switch (mode) {
      case MM_LOMETRIC: return {ppiX / 254.0, -ppiY / 254.0};
      case MM_HIMETRIC: return {ppiX / 2540.0, -ppiY / 2540.0};
      case MM_LOENGLISH: return {ppiX / 100.0, -ppiY / 100.0};
      case MM_HIENGLISH: return {ppiX / 1000.0, -ppiY / 1000.0};
      case MM_TWIPS: return {ppiX / 1440.0, -ppiY / 1440.0};
      case MM_ANISOTROPIC: return {double(viewportExt.cx) / windowExt.cx, double(viewportExt.cy) / windowExt.cy};
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
