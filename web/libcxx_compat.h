// Included first into every file of the browser build: Emscripten 3.1.6 ships libc++ 13,
// which lacks std::bit_cast although its compiler has the builtin behind it.
#pragma once
#include <bit>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
  requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> &&
           is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
