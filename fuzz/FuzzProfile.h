#pragma once
// A profile of the fuzz target's own (ORVANE_HOME in a temporary folder),
// for the life of the process and removed at its exit, after whatever used
// it has closed its files. Without one nothing can run: the target stops.

#include <cstdio>
#include <cstdlib>

#include "tests/support/TemporaryProfile.h"

class FuzzProfile : public TemporaryProfile {
 public:
  FuzzProfile() : TemporaryProfile("orvane-fuzz") {
    if (!Ok()) {
      std::perror("mkdtemp");
      std::abort();
    }
  }
};
