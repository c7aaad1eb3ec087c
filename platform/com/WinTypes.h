#pragma once
// The scalar types of the Windows API, with their Windows names, so that code
// written against the platform reads the same here as it would there.

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using LCID = DWORD;

// An OLE Automation date: days since 30 December 1899 00:00, the fraction
// being the time of day (see VariantTime.h for negative values).
using DATE = double;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
