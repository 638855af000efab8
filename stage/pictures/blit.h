// Painting one sprite frame over the composed buffer with the stage's blending rule:
// key-coloured pixels are skipped; o = object opacity + the pixel's transparency byte;
// o <= 0 copies, o >= 255 keeps the buffer, anything between blends each channel as
// dst + round((src - dst) x (255 - o) / 255).
//
// The loop is chosen once per sprite state (frame transparency class, key, object
// alpha) from template specialisations; BlendSpriteReference is the plain per-pixel
// loop they are tested against.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"
#include "stage/pictures/sprite.h"

namespace stage {

// `buffer` holds the stage area starting at `bufferOrigin` (stage coordinates). The
// sprite's frame lands with its top-left corner at (x, y); everything is clipped to
// the buffer. `alpha` is the object's transparency percent (any int).
void BlendSprite(platform::Surface& buffer, platform::Point bufferOrigin, const Sprite& sprite,
                 int frame, int x, int y, int alpha);
void BlendSpriteReference(platform::Surface& buffer, platform::Point bufferOrigin,
                          const Sprite& sprite, int frame, int x, int y, int alpha);

}  // namespace stage
