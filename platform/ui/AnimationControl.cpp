// The animation control: plays a clip of the resource library, frame by
// frame, on a timer of its own.

#include <algorithm>
#include <optional>

#include "platform/ui/AnimationClip.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {
namespace {

constexpr UINT_PTR kFrameTimer = 1;

class Animation final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case ACM_OPEN:
        return Open(window, reinterpret_cast<HINSTANCE>(wParam), static_cast<unsigned>(lParam));
      case ACM_PLAY: {
        if (!m_clip) return FALSE;
        const int last = m_clip->FrameCount() - 1;
        const int from = LOWORD(static_cast<std::uintptr_t>(lParam));
        const WORD to = HIWORD(static_cast<std::uintptr_t>(lParam));
        m_first = std::min(from, last);
        m_last = to == 0xFFFF ? last : std::clamp<int>(to, m_first, last);
        m_repeat = static_cast<int>(static_cast<std::intptr_t>(wParam));
        Play(window, true);
        return TRUE;
      }
      case ACM_STOP:
        Play(window, false);
        return TRUE;
      case ACM_ISPLAYING: {
        std::lock_guard lock(TableMutex());
        const Window* record = LookupLocked(window);
        return record != nullptr && record->values.playing ? TRUE : FALSE;
      }
      case WM_TIMER:
        if (wParam == kFrameTimer) NextFrame(window);
        return 0;
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  // Opens clip id of the module (the control's own when null); 0 closes.
  LRESULT Open(HWND window, HINSTANCE module, unsigned id) {
    Play(window, false);
    m_clip.reset();
    m_frame = 0;
    HINSTANCE from = module;
    DWORD style = 0;
    {
      std::lock_guard lock(TableMutex());
      const Window* record = LookupLocked(window);
      if (record == nullptr) return FALSE;
      if (from == nullptr) from = record->instance;
      style = record->style;
    }
    if (id != 0) {
      const ResourceBinary* binary = FindBinary(from, kResourceAnimation, id);
      if (binary != nullptr) m_clip = ParseAnimationClip(binary->data, binary->size);
    }
    const unsigned shown = m_clip ? id : 0;
    ChangeControl(window, [&](Window& record) {
      record.values.clip = shown;
      record.values.clipModule = m_clip ? from : nullptr;
      record.values.frameIndex = 0;
      record.values.frame = FrameText(0);
    });
    if (!m_clip) return id == 0 ? TRUE : FALSE;
    m_first = 0;
    m_last = m_clip->FrameCount() - 1;
    m_repeat = -1;
    if ((style & ACS_AUTOPLAY) != 0) Play(window, true);
    return TRUE;
  }

  void Play(HWND window, bool play) {
    if (play && m_clip) {
      m_frame = m_first;
      m_played = 0;
      SetTimer(window, kFrameTimer, static_cast<UINT>(m_clip->frameMilliseconds), nullptr);
    } else {
      KillTimer(window, kFrameTimer);
    }
    const std::string frame = FrameText(m_frame);
    ChangeControl(window, [&](Window& record) {
      record.values.playing = play && m_clip.has_value();
      record.values.frameIndex = m_frame;
      record.values.frame = frame;
    });
  }

  void NextFrame(HWND window) {
    if (!m_clip) return;
    if (m_frame >= m_last) {
      ++m_played;
      if (m_repeat >= 0 && m_played >= m_repeat) {
        Play(window, false);
        return;
      }
      m_frame = m_first;
    } else {
      ++m_frame;
    }
    const std::string frame = FrameText(m_frame);
    ChangeControl(window, [&](Window& record) {
      record.values.frameIndex = m_frame;
      record.values.frame = frame;
    });
  }

  // A text clip's frame; a picture clip has none, the front ends draw it.
  std::string FrameText(int frame) const {
    if (!m_clip || m_clip->frames.empty()) return std::string();
    return m_clip->frames[static_cast<std::size_t>(frame)];
  }

  std::optional<AnimationClip> m_clip;
  int m_first = 0;
  int m_last = 0;
  int m_frame = 0;
  int m_repeat = -1;  // plays of the range; -1: for ever
  int m_played = 0;
};

}  // namespace

std::unique_ptr<WindowClass> MakeAnimationClass() { return std::make_unique<Animation>(); }

}  // namespace ui::detail
