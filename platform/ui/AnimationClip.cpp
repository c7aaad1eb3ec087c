#include "platform/ui/AnimationClip.h"

#include <charconv>
#include <string_view>

namespace ui {

std::optional<AnimationClip> ParseAnimationClip(const unsigned char* data, std::size_t size) {
  if (data == nullptr) return std::nullopt;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (lines.size() < 2) return std::nullopt;

  const std::string_view header = lines.front();
  const std::string_view magic(kClipMagic);
  if (header.size() <= magic.size() + 1 || header.substr(0, magic.size()) != magic ||
      header[magic.size()] != ' ') {
    return std::nullopt;
  }
  const std::string_view number = header.substr(magic.size() + 1);
  int milliseconds = 0;
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), milliseconds);
  if (error != std::errc() || end != number.data() + number.size() ||
      milliseconds < kMinFrameMilliseconds || milliseconds > kMaxFrameMilliseconds) {
    return std::nullopt;
  }
  AnimationClip clip{milliseconds, {}};
  for (std::size_t i = 1; i < lines.size(); ++i) clip.frames.emplace_back(lines[i]);
  return clip;
}

}  // namespace ui
