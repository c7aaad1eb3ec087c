#pragma once
// The clips that animation controls play, as the resource libraries carry
// them (resource type kResourceAnimation).
//
// A clip starts with a line "ORVANE-CLIP <milliseconds per frame>". In a
// picture clip that line goes on with " PICTURE <frames>", and an image file
// (PNG or BMP) follows it: the frames side by side, of equal width, drawn
// by the front ends. In a text clip one line per frame follows, each a small
// picture in text. Lines end with "\n".

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct AnimationClip {
  int frameMilliseconds;
  std::vector<std::string> frames;  // a text clip's frames; empty for a picture clip
  // A picture clip: how many frames its image holds, and the image's bytes
  // (they point into the data parsed, which outlives the clip).
  int pictureFrames = 0;
  const unsigned char* image = nullptr;
  std::size_t imageSize = 0;

  int FrameCount() const { return pictureFrames > 0 ? pictureFrames : static_cast<int>(frames.size()); }
};

inline constexpr const char* kClipMagic = "ORVANE-CLIP";
inline constexpr int kMinFrameMilliseconds = 10;
inline constexpr int kMaxFrameMilliseconds = 60000;
inline constexpr int kMaxPictureFrames = 64;

// Nothing when the data is not such a clip: another first line, a frame time
// outside 10..60000 ms, no frame, a picture clip of more than 64 frames or
// without image bytes.
std::optional<AnimationClip> ParseAnimationClip(const unsigned char* data, std::size_t size);

}  // namespace ui
