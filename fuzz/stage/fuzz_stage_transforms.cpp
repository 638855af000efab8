// Decoding by signature followed by every transform, with parameters taken from the
// input's first bytes, the way an object is rendered.
#include "stage/pictures/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const int turn = data[0] & 3, angle = data[1] * 3, zoom = 100 + data[2] * 8;
  const int depth = data[3] - 20, light = int8_t(data[4]);
  auto p = stage::DecodePicture({data + 5, size - 5}, stage::KeyRequest::FromArgument(-2));
  if (!p) return 0;
  // Keep runs quick: the decoders have targets of their own, and every frame goes
  // through the same transform code.
  if (uint64_t(p->width) * uint64_t(p->height) > (1u << 14)) return 0;
  if (p->frames.size() > 2) p->frames.resize(2);
  stage::FlipPicture(*p, turn);
  stage::Picture r = stage::RotatePicture(*p, angle);
  auto z = stage::ZoomPicture(r, zoom, 2000 - zoom);
  if (!z) return 0;
  stage::TintPicture(*z, 0x123456, depth);
  stage::BrightenPicture(*z, light);
  if (!z->Valid()) __builtin_trap();
  return 0;
}
