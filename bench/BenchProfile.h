#pragma once
// A profile folder of a benchmark's own (ORVANE_HOME), in English (United
// States), removed when the benchmark is done.

#include "platform/nls/Nls.h"
#include "tests/support/TemporaryProfile.h"

class BenchProfile : public TemporaryProfile {
 public:
  BenchProfile() : TemporaryProfile("orvane-bench") { nls::SetUserDefaultLocale(1033); }

  std::filesystem::path File() const { return TemporaryProfile::File("outlook.db"); }
};
