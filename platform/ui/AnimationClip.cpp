#include "platform/ui/AnimationClip.h"

#include <charconv>
#include <string_view>

namespace ui {
namespace {

bool ReadNumber(std::string_view text, int lowest, int highest, int* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value >= lowest && *value <= highest;
}

}  // namespace

std::optional<AnimationClip> ParseAnimationClip(const unsigned char* data, std::size_t size) {
  if (data == nullptr) return std::nullopt;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t headerEnd = text.find('\n');
  if (headerEnd == std::string_view::npos) return std::nullopt;
  const std::string_view header = text.substr(0, headerEnd);
  text = text.substr(headerEnd + 1);

  const std::string_view magic(kClipMagic);
  if (header.size() <= magic.size() + 1 || header.substr(0, magic.size()) != magic ||
      header[magic.size()] != ' ') {
    return std::nullopt;
  }
  std::string_view rest = header.substr(magic.size() + 1);
  const std::size_t blank = rest.find(' ');
  AnimationClip clip{0, {}};
  if (!ReadNumber(rest.substr(0, blank), kMinFrameMilliseconds, kMaxFrameMilliseconds, &clip.frameMilliseconds)) {
    return std::nullopt;
  }
  if (blank != std::string_view::npos) {
    constexpr std::string_view kPicture = "PICTURE ";
    rest = rest.substr(blank + 1);
    if (rest.substr(0, kPicture.size()) != kPicture ||
        !ReadNumber(rest.substr(kPicture.size()), 1, kMaxPictureFrames, &clip.pictureFrames) || text.empty()) {
      return std::nullopt;
    }
    clip.image = reinterpret_cast<const unsigned char*>(text.data());
    clip.imageSize = text.size();
    return clip;
  }
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    clip.frames.emplace_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (clip.frames.empty()) return std::nullopt;
  return clip;
}

}  // namespace ui
