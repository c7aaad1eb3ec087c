#pragma once
// Generates DispMember::call thunks from interface member pointers, so a
// dispatch table is written as data:
//
//   {"Longitude", 2, DispKind::kPropertyGet, {}, 0, VT_R8, "property Longitude",
//    com::GetThunk<&IPrayerCalculator::get_Longitude, VT_R8>},
//
// Inputs arrive already converted to their parameter types (TableInvoke does
// that); enumerations travel as I4.

#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/com/Dispatch.h"

namespace com {

template <typename T>
T ArgumentAs(const VARIANT& v) {
  if constexpr (std::is_enum_v<T>) {
    return static_cast<T>(v.lVal);
  } else {
    return FromVariant<T>(v);
  }
}

template <typename Member>
struct MemberTraits;
template <typename C, typename... A>
struct MemberTraits<HRESULT (C::*)(A...)> {
  using Class = C;
  using Args = std::tuple<A...>;
  static constexpr std::size_t kArity = sizeof...(A);
};

// A property get or a method with a single out parameter.
template <auto Member, VARTYPE ResultType>
HRESULT GetThunk(void* object, VARIANT* /*args*/, VARIANT* result) {
  using Traits = MemberTraits<decltype(Member)>;
  using Out = std::remove_pointer_t<std::tuple_element_t<0, typename Traits::Args>>;
  Out value{};
  const HRESULT hr = (static_cast<typename Traits::Class*>(object)->*Member)(&value);
  if (SUCCEEDED(hr)) {
    if constexpr (std::is_enum_v<Out>) {
      ToVariant(ResultType, static_cast<LONG>(value), result);
    } else {
      ToVariant(ResultType, value, result);
    }
  }
  return hr;
}

// A property put or a method whose parameters are all inputs.
template <auto Member>
HRESULT CallThunk(void* object, VARIANT* args, VARIANT* /*result*/) {
  using Traits = MemberTraits<decltype(Member)>;
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (static_cast<typename Traits::Class*>(object)->*Member)(
        ArgumentAs<std::tuple_element_t<I, typename Traits::Args>>(args[I])...);
  }(std::make_index_sequence<Traits::kArity>{});
}

}  // namespace com
