// Errors of the picture formats. A damaged or foreign file raises
// EInvalidGraphic (or a subclass naming the format), never a crash.
#pragma once
#include "platform/gfx/graphic.h"

namespace gfx {

// A metafile (EMF or WMF) whose structure is broken.
class EMetafileFormat : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};
// libjpeg refused the data or the parameters.
class EJPEG : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

}  // namespace gfx
