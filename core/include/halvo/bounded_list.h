#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <iterator>
#include <utility>

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

    // Iterator-pair algorithms: the browser build's standard library has no range algorithms yet.
    friend constexpr bool operator==(const BoundedList& a, const BoundedList& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

    /// Equal to any range holding the same values in the same order (a std::vector in tests, say).
    template <class R>
        requires requires(const R& r) {
            { *std::begin(r) == std::declval<const T&>() } -> std::convertible_to<bool>;
            std::end(r);
        }
    friend constexpr bool operator==(const BoundedList& a, const R& b) {
        return std::equal(a.begin(), a.end(), std::begin(b), std::end(b));
    }

private:
    std::array<T, N> items_{};
    size_type size_ = 0;
};

}  // namespace halvo
