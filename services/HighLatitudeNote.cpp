#include "services/HighLatitudeNote.h"

#include "services/ResourceLibrary.h"
#include "platform/text/Format.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/Resources.h"

std::u16string HighLatitudeNote(unsigned formatId, LONG rule) {
  const char* format = ui::FindString(ResourceInstance(), formatId);
  if (format == nullptr) return {};
  const unsigned nameId = 1301 + static_cast<unsigned>(rule >= 0 && rule <= 2 ? rule : 0);
  const char* name = ui::FindString(ResourceInstance(), nameId);
  return text::Utf8ToUtf16(text::FormatResource(format, name != nullptr ? name : ""));
}
