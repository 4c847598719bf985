// Font families through fontconfig.
#include "platform/gfx/font_families.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>

namespace gfx {

std::vector<TFontFamily> ListFontFamilies() {
  static const bool inited = FcInit();
  if (!inited) return {};
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SCALABLE, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::map<std::string, bool> families;  // a family is scalable when any face is
  for (int i = 0; set && i < set->nfont; ++i) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch || !name || !*name) continue;
    FcBool scalable = FcTrue;
    FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable);
    bool& entry = families[reinterpret_cast<const char*>(name)];
    entry = entry || scalable == FcTrue;
  }
  if (set) FcFontSetDestroy(set);
  std::vector<TFontFamily> out;
  out.reserve(families.size());
  for (const auto& [name, scalable] : families) out.push_back({name, scalable});
  return out;
}

}  // namespace gfx
