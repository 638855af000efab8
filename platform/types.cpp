#include "platform/types.h"

#include <algorithm>

namespace platform {

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  // Callers test Empty() or compare with {}; one canonical empty value keeps both right.
  if (r.Empty()) return {};
  return r;
}

Rect Union(const Rect& a, const Rect& b) {
  if (a.Empty()) return b.Empty() ? Rect{} : b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

std::vector<Rect> SubtractRects(const Rect& from, std::span<const Rect> holes) {
  std::vector<Rect> pieces;
  if (!from.Empty()) pieces.push_back(from);
  for (const Rect& hole : holes) {
    std::vector<Rect> next;
    for (const Rect& p : pieces) {
      const Rect cut = Intersect(p, hole);
      if (cut.Empty()) {
        next.push_back(p);
        continue;
      }
      // Above and below the cut across the whole width; beside it within its rows.
      const Rect parts[4] = {{p.left, p.top, p.right, cut.top},
                             {p.left, cut.top, cut.left, cut.bottom},
                             {cut.right, cut.top, p.right, cut.bottom},
                             {p.left, cut.bottom, p.right, p.bottom}};
      for (const Rect& part : parts)
        if (!part.Empty()) next.push_back(part);
    }
    pieces = std::move(next);
  }
  return pieces;
}

}  // namespace platform
