// Fuzz target: arbitrary bytes as .reg text for ImportRegText, in a profile
// of its own. Besides the sanitizers' findings it checks what must hold for
// any input: a refused text names its line and writes nothing; an accepted
// one exports to text that imports into an empty registry and exports again
// unchanged.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz/FuzzProfile.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

namespace {


[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

void Clear() {
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (RegDeleteTree(root, static_cast<const char*>(nullptr)) != ERROR_SUCCESS) {
      Fail("cannot empty the registry", "");
    }
  }
}

std::string ExportAll() {
  std::string text;
  std::string error;
  if (!registry::ExportRegText("", &text, &error)) Fail("export failed:", error);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzProfile profile;
  Clear();
  static const std::string empty = ExportAll();

  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (!registry::ImportRegText(input, &error)) {
    if (error.rfind("line ", 0) != 0) Fail("a refusal that names no line:", error);
    if (ExportAll() != empty) Fail("a refused text changed the registry:", error);
    return 0;
  }
  const std::string first = ExportAll();
  Clear();
  if (!registry::ImportRegText(first, &error)) {
    Fail("exported text does not import:", error + "\n" + first);
  }
  const std::string second = ExportAll();
  if (second != first) Fail("export, import, export changed the text:", first + "\n--\n" + second);
  return 0;
}
