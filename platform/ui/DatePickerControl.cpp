// The date and time picker: one date within an optional range, shown in the
// user's short or long date format, the time format, or a picture of its
// own.

#include <cmath>
#include <optional>

#include "platform/com/VariantTime.h"
#include "platform/nls/Nls.h"
#include "platform/text/TextConvert.h"
#include "platform/time/SystemTime.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlClass.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowStyles.h"

namespace ui::detail {
namespace {

std::optional<DATE> ToDate(const SYSTEMTIME* time) {
  DATE date = 0;
  if (time == nullptr || !SystemTimeToVariantTime(time, &date)) return std::nullopt;
  return date;
}

class DatePicker final : public WindowClass {
 public:
  LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case DTM_SETSYSTEMTIME: {
        if (static_cast<LRESULT>(wParam) == GDT_NONE) {
          ChangeControl(window, [](Window& record) { record.values.hasDate = false; });
          return TRUE;
        }
        const std::optional<DATE> date = ToDate(reinterpret_cast<const SYSTEMTIME*>(lParam));
        if (!date || !InRange(window, *date)) return FALSE;
        Show(window, *date);
        return TRUE;
      }
      case DTM_GETSYSTEMTIME: {
        auto* time = reinterpret_cast<SYSTEMTIME*>(lParam);
        std::lock_guard lock(TableMutex());
        const Window* record = LookupLocked(window);
        if (record == nullptr || time == nullptr) return GDT_ERROR;
        if (!record->values.hasDate) return GDT_NONE;
        return VariantTimeToSystemTime(record->values.date, time) ? GDT_VALID : GDT_ERROR;
      }
      case DTM_SETRANGE: {
        const auto* range = reinterpret_cast<const SYSTEMTIME*>(lParam);
        const std::optional<DATE> low =
            (wParam & GDTR_MIN) != 0 && range != nullptr ? ToDate(&range[0]) : std::nullopt;
        const std::optional<DATE> high =
            (wParam & GDTR_MAX) != 0 && range != nullptr ? ToDate(&range[1]) : std::nullopt;
        ChangeControl(window, [&](Window& record) {
          record.values.dateMin = low.value_or(0);
          record.values.dateMax = high.value_or(0);
          record.values.hasDateMin = low.has_value();
          record.values.hasDateMax = high.has_value();
        });
        return TRUE;
      }
      case DTM_GETRANGE: {
        auto* range = reinterpret_cast<SYSTEMTIME*>(lParam);
        std::lock_guard lock(TableMutex());
        const Window* record = LookupLocked(window);
        if (record == nullptr || range == nullptr) return 0;
        LRESULT flags = 0;
        range[0] = SYSTEMTIME{};
        range[1] = SYSTEMTIME{};
        const ControlValues& values = record->values;
        if (values.hasDateMin && VariantTimeToSystemTime(values.dateMin, &range[0])) flags |= GDTR_MIN;
        if (values.hasDateMax && VariantTimeToSystemTime(values.dateMax, &range[1])) flags |= GDTR_MAX;
        return flags;
      }
      case DTM_SETFORMAT: {
        const char* picture = reinterpret_cast<const char*>(lParam);
        m_picture = picture != nullptr ? std::optional<std::string>(picture) : std::nullopt;
        std::optional<DATE> date;
        {
          std::lock_guard lock(TableMutex());
          const Window* record = LookupLocked(window);
          if (record != nullptr && record->values.hasDate) date = record->values.date;
        }
        if (date) Show(window, *date);
        return TRUE;
      }
      default:
        return DefWindowProc(window, message, wParam, lParam);
    }
  }

  bool InRange(HWND window, DATE date) const {
    std::lock_guard lock(TableMutex());
    const Window* record = LookupLocked(window);
    if (record == nullptr) return false;
    // Compared by day for a date and by time of day for a time: the other
    // part of the value means nothing to the picker.
    const bool timeOnly = (record->style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
    const auto key = [timeOnly](DATE value) {
      return timeOnly ? value - std::floor(value) : std::floor(value);
    };
    if (record->values.hasDateMin && key(date) < key(record->values.dateMin)) return false;
    if (record->values.hasDateMax && key(date) > key(record->values.dateMax)) return false;
    return true;
  }

  void Show(HWND window, DATE date) {
    DWORD style = 0;
    {
      std::lock_guard lock(TableMutex());
      const Window* record = LookupLocked(window);
      if (record == nullptr) return;
      style = record->style;
    }
    SYSTEMTIME time{};
    VariantTimeToSystemTime(date, &time);
    char16_t text[128] = {};
    constexpr int kSize = sizeof text / sizeof text[0];
    if (m_picture) {
      // A picture may mix date and time: the date fields first, then the
      // time fields of what is left.
      char16_t first[128] = {};
      const std::u16string picture = text::Utf8ToUtf16(*m_picture);
      GetDateFormat(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), first, kSize);
      GetTimeFormat(LOCALE_USER_DEFAULT, 0, &time, first, text, kSize);
    } else if ((style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) {
      GetTimeFormat(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time,
                    static_cast<const char16_t*>(nullptr), text, kSize);
    } else {
      GetDateFormat(LOCALE_USER_DEFAULT,
                    (style & DTS_LONGDATEFORMAT) != 0 ? DATE_LONGDATE : DATE_SHORTDATE, &time,
                    static_cast<const char16_t*>(nullptr), text, kSize);
    }
    const std::string shown = text::Utf16ToUtf8(text);
    ChangeControl(window, [&](Window& record) {
      record.values.hasDate = true;
      record.values.date = date;
      record.values.dateText = shown;
    });
  }

 private:
  std::optional<std::string> m_picture;
};

}  // namespace

std::unique_ptr<WindowClass> MakeDatePickerClass() { return std::make_unique<DatePicker>(); }

bool ChangeDate(HWND window, const SYSTEMTIME& time) {
  const std::optional<DATE> date = ToDate(&time);
  if (!date) return false;
  HWND parent = GetParent(window);
  // The picker checks the range itself, as a person cannot pick outside it.
  if (SendMessage(window, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) == FALSE) {
    return false;
  }
  NMDATETIMECHANGE notice{{window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), DTN_DATETIMECHANGE},
                          static_cast<DWORD>(GDT_VALID),
                          time};
  SendMessage(parent, WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(window)),
              reinterpret_cast<LPARAM>(&notice));
  return true;
}

}  // namespace ui::detail
