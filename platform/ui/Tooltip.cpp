// Tooltips: the one window class made with CreateWindowEx. A tooltip's text
// is kept on the window it describes, where the front end shows it.

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/threads/Thread.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/ThreadQueue.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/WindowTable.h"

namespace ui::detail {
namespace {

class Tooltip final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case TTM_ADDTOOL:
      case TTM_UPDATETIPTEXT: {
        const auto* tool = reinterpret_cast<const TOOLINFO*>(lParam);
        if (tool == nullptr) return FALSE;
        const HWND target = Target(*tool);
        if (!IsWindow(target)) return FALSE;
        if (message == TTM_ADDTOOL && std::find(m_tools.begin(), m_tools.end(), target) == m_tools.end()) {
          m_tools.push_back(target);
        } else if (message == TTM_UPDATETIPTEXT &&
                   std::find(m_tools.begin(), m_tools.end(), target) == m_tools.end()) {
          return FALSE;
        }
        const std::string text = tool->lpszText != nullptr ? tool->lpszText : "";
        ChangeControl(target, [&](Window& record) { record.values.tooltip = text; });
        return TRUE;
      }
      case TTM_DELTOOL: {
        const auto* tool = reinterpret_cast<const TOOLINFO*>(lParam);
        if (tool == nullptr) return 0;
        const HWND target = Target(*tool);
        if (std::erase(m_tools, target) != 0) Clear(target);
        return 0;
      }
      case TTM_RELAYEVENT:
      case TTM_ACTIVATE:
        return 0;
      case WM_DESTROY:
        for (HWND target : m_tools) Clear(target);
        m_tools.clear();
        return 0;
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

 private:
  static HWND Target(const TOOLINFO& tool) {
    return (tool.uFlags & TTF_IDISHWND) != 0 ? reinterpret_cast<HWND>(tool.uId) : tool.hwnd;
  }
  static void Clear(HWND target) {
    ChangeControl(target, [](Window& record) { record.values.tooltip.clear(); });
  }

  std::vector<HWND> m_tools;
};

}  // namespace
}  // namespace ui::detail

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, void*, HINSTANCE instance,
                    void*) {
  using namespace ui::detail;
  if (className == nullptr || std::strcmp(className, TOOLTIPS_CLASS) != 0) return nullptr;
  if (parent != nullptr && !IsWindow(parent)) return nullptr;
  auto window = std::make_shared<Window>();
  window->threadId = GetCurrentThreadId();
  window->queue = ThreadQueue::Current();
  window->parent = parent;  // its owner
  window->text = windowName != nullptr ? windowName : "";
  window->style = style & ~WS_CHILD;
  window->exStyle = exStyle;
  window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  window->instance = instance;
  window->procedure = std::make_unique<Tooltip>();
  return AddWindow(window);
}
