#pragma once
// The outcome of an operation that can fail with a message for the user: a value, or an Error
// whose message is one line naming the problem (no "facetor: " prefix, no line end). Readers,
// parsers and the batch commands return it; callers test it before they use the value.
//
//     Result<Material> m = customMaterial(...);
//     if (!m)
//         return argumentError(m.error().message);
//     use(*m);

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// What went wrong, as the user reads it.
struct Error {
    std::string message;
    friend bool operator==(const Error&, const Error&) = default;
};

// An Error with that message: `return fail("no such file");` converts to any Result.
inline Error fail(std::string message) { return Error{std::move(message)}; }

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    T& value() &
    {
        assert(ok());
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        assert(ok());
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        assert(ok());
        return std::get<0>(std::move(m_state));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    // The value, or fallback when there is none.
    T value_or(T fallback) const& { return ok() ? std::get<0>(m_state) : std::move(fallback); }

    // The error; only when !ok().
    const Error& error() const
    {
        assert(!ok());
        return std::get<1>(m_state);
    }

private:
    std::variant<T, Error> m_state;
};

// An operation that returns nothing but can fail.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const
    {
        assert(m_failed);
        return m_error;
    }

private:
    Error m_error;
    bool m_failed = false;
};

using Status = Result<void>;

} // namespace platform
