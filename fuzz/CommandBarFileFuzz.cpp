// Fuzz target: arbitrary bytes as the command-bar file (outcmd.dat) of the
// profile. Besides the sanitizers' findings it checks what must hold for
// any input: text that is refused is refused with a reason; text that is
// read, written out again, reads back to the same bars.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "host/model/CommandBarLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<host::BarRecord> bars;
  try {
    bars = host::CommandBarLibrary::Read(text);
  } catch (const std::runtime_error&) {
    return 0;
  }
  const std::string written = host::CommandBarLibrary::Write(bars);
  if (host::CommandBarLibrary::Write(host::CommandBarLibrary::Read(written)) != written) std::abort();
  return 0;
}
