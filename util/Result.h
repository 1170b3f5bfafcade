#pragma once
// A value or the message that says why there is none. Readers of untrusted
// bytes return this instead of throwing, so a damaged file can never unwind
// through code that does not expect it.

#include <string>
#include <utility>
#include <variant>

namespace glyphor {

struct Failure {
    std::string message;
    bool operator==(const Failure&) const = default;
};

template <class T> class Result {
public:
    Result(T value)
        : m_v(std::move(value))
    {
    }
    Result(Failure f)
        : m_v(std::move(f))
    {
    }

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(m_v); }
    const T& value() const { return std::get<0>(m_v); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const std::string& message() const { return std::get<1>(m_v).message; }

    // Equal values, or failures for the same reason.
    bool operator==(const Result&) const = default;

private:
    std::variant<T, Failure> m_v;
};

} // namespace glyphor
