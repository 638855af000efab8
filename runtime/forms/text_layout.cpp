#include "runtime/forms/text_layout.h"

#include "platform/text.h"

namespace rt {

size_t GbkCharLength(std::string_view s) {
  if (s.size() >= 2 && platform::IsGbkLeadByte(uint8_t(s[0]))) return 2;
  return s.empty() ? 0 : 1;
}

std::string StripMnemonics(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    size_t n = GbkCharLength(s.substr(i));
    if (n == 1 && s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') out += '&', i += 2;
      else ++i;
      continue;
    }
    out.append(s.substr(i, n));
    i += n;
  }
  return out;
}

namespace {

void WrapParagraph(platform::DC& dc, std::string_view para, int width, std::vector<std::string>& out) {
  while (!para.empty()) {
    size_t fit = 0, lastBlank = std::string_view::npos;
    while (fit < para.size()) {
      size_t next = fit + GbkCharLength(para.substr(fit));
      if (dc.GetTextExtent(para.substr(0, next)).x > width) break;
      if (para[fit] == ' ') lastBlank = fit;
      fit = next;
    }
    if (fit == para.size()) {
      out.emplace_back(para);
      return;
    }
    size_t cut = fit;
    if (lastBlank != std::string_view::npos && lastBlank > 0) cut = lastBlank;
    if (cut == 0) cut = GbkCharLength(para);  // not even one character fits: show it anyway
    out.emplace_back(para.substr(0, cut));
    para.remove_prefix(cut);
    while (!para.empty() && para[0] == ' ') para.remove_prefix(1);
  }
}

}  // namespace

std::vector<std::string> LayoutLines(platform::DC& dc, std::string_view text, int width, bool wrap) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t nl = text.find('\n', start);
    std::string_view para = text.substr(start, nl == std::string_view::npos ? text.npos : nl - start);
    if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
    if (wrap && width > 0 && !para.empty()) WrapParagraph(dc, para, width, lines);
    else lines.emplace_back(para);
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

}  // namespace rt
