#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <ranges>

namespace halvo {

/// A list of at most N values held in place: a plain value that never allocates, so it needs no exceptions.
template <class T, std::size_t N>
class BoundedList {
public:
    using value_type = T;
    using size_type = std::size_t;
    using iterator = const T*;
    using const_iterator = const T*;

    /// Appends a value; a full list keeps what it has and returns false.
    constexpr bool push_back(const T& value) {
        if (size_ == N) return false;
        items_[size_++] = value;
        return true;
    }

    constexpr bool empty() const { return size_ == 0; }
    constexpr size_type size() const { return size_; }
    static constexpr size_type capacity() { return N; }
    constexpr const T& operator[](size_type i) const { return items_[i]; }
    constexpr const_iterator begin() const { return items_.data(); }
    constexpr const_iterator end() const { return items_.data() + size_; }

    friend constexpr bool operator==(const BoundedList& a, const BoundedList& b) { return std::ranges::equal(a, b); }

    /// Equal to any range holding the same values in the same order (a std::vector in tests, say).
    template <std::ranges::input_range R>
        requires std::equality_comparable_with<const T&, std::ranges::range_reference_t<const R>>
    friend constexpr bool operator==(const BoundedList& a, const R& b) {
        return std::ranges::equal(a, b);
    }

private:
    std::array<T, N> items_{};
    size_type size_ = 0;
};

}  // namespace halvo
