// Font programs cut down to the glyphs a document uses (HarfBuzz's subsetter).
#include "platform/gfx/font_subset.h"

#include <hb-subset.h>
#include <hb.h>

#include <memory>

namespace gfx {

std::string FontSubset(const TFontInstance& font, const std::vector<std::uint32_t>& glyphs) {
  const std::string program = font.FontData();
  if (program.empty()) return {};
  using Blob = std::unique_ptr<hb_blob_t, decltype(&hb_blob_destroy)>;
  using Face = std::unique_ptr<hb_face_t, decltype(&hb_face_destroy)>;
  using Input = std::unique_ptr<hb_subset_input_t, decltype(&hb_subset_input_destroy)>;
  Blob blob(
      hb_blob_create(program.data(), static_cast<unsigned>(program.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr),
      hb_blob_destroy);
  Face face(hb_face_create(blob.get(), 0), hb_face_destroy);
  Input input(hb_subset_input_create_or_fail(), hb_subset_input_destroy);
  if (!input) return {};
  hb_set_t* set = hb_subset_input_glyph_set(input.get());
  for (std::uint32_t g : glyphs) hb_set_add(set, g);
  // Glyph ids are the codes written in the document: they must not move.
  hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS);
  Face subset(hb_subset_or_fail(face.get(), input.get()), hb_face_destroy);
  if (!subset) return {};
  Blob out(hb_face_reference_blob(subset.get()), hb_blob_destroy);
  unsigned length = 0;
  const char* data = hb_blob_get_data(out.get(), &length);
  return data && length ? std::string(data, length) : std::string();
}

}  // namespace gfx
