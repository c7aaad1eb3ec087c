#pragma once
// The clips that animation controls play, as the resource libraries carry
// them (resource type kResourceAnimation).
//
// A clip is UTF-8 text: a first line "ORVANE-CLIP <milliseconds per frame>",
// then one line per frame, each a small picture in text that the front ends
// draw in place of the control. Lines end with "\n".

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct AnimationClip {
  int frameMilliseconds;
  std::vector<std::string> frames;
};

inline constexpr const char* kClipMagic = "ORVANE-CLIP";
inline constexpr int kMinFrameMilliseconds = 10;
inline constexpr int kMaxFrameMilliseconds = 60000;

// Nothing when the data is not such a clip: another first line, a frame time
// outside 10..60000 ms, or no frame.
std::optional<AnimationClip> ParseAnimationClip(const unsigned char* data, std::size_t size);

}  // namespace ui
