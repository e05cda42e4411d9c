#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace komiwojazer {

// A new array of count values of T whose cells are left unset, for tables that are written whole
// before they are read: nothing is spent clearing memory that is overwritten anyway. This is what
// std::make_unique_for_overwrite does, which libc++ lacks before version 16; for a trivially
// constructible T, new T[count] without an initializer sets nothing either.
template <typename T> [[nodiscard]] std::unique_ptr<T[]> makeUnsetArray(std::size_t count) {
    static_assert(std::is_trivially_default_constructible_v<T>,
                  "only cells without a constructor can be left unset");
    return std::unique_ptr<T[]>(new T[count]);
}

} // namespace komiwojazer
