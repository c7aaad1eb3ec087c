#pragma once
// The calculation method codes of the city line (its eighth field), which
// are not the calculator's enumeration values. The add-in reads and writes
// city lines with them, and the host reads the installed city files with
// them for `orvane calc --city`: one table for both.

#include "resources/OrvaneTypeLib.h"

namespace city_line {

// Code 0..5 to its CalculationMethod.
inline constexpr int kMethodOfCode[] = {eWIL, eQurah, eKarachi, eEgypt, eISNA, eWIL};

struct MethodCode {
  int method;
  int code;
};
// eCustom has no code of its own; it computes at 18 degrees on both sides,
// as Karachi does, so it is written as Karachi's code.
inline constexpr MethodCode kCodeOfMethod[] = {{eEgypt, 3}, {eISNA, 4},  {eQurah, 1},
                                               {eKarachi, 2}, {eWIL, 0}, {eCustom, 2}};

// The method of a code; codes outside the table read as Muslim World
// League, like 0 and 5.
constexpr int MethodOfCode(long code) { return code >= 0 && code <= 5 ? kMethodOfCode[code] : eWIL; }

// The code written for a method; what is not a method is written as
// Egypt's, the default.
constexpr int MethodCodeOf(int method) {
  for (const MethodCode& entry : kCodeOfMethod) {
    if (entry.method == method) return entry.code;
  }
  return kCodeOfMethod[0].code;
}

}  // namespace city_line
