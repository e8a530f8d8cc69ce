// Result type of the SWF layer: a value or an error with a code and a message
// for people. Parsers return early with SWF_TRY; nothing in this layer throws on
// bad input.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace swf {

enum class ErrorCode {
    NotSwf,          // signature is not FWS, CWS or ZWS
    UnsupportedVersion,
    Truncated,       // the data ends inside a structure
    Malformed,       // a structure's fields contradict each other
    Decompression,   // zlib or LZMA stream is damaged or does not match its length
    LimitExceeded,   // a Limits value was reached
    Unsupported,     // valid but not decodable here (e.g. an image format)
    Io,
};

struct Error {
    ErrorCode code = ErrorCode::Malformed;
    std::string message;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_v(std::move(value)) {}
    Result(Error error) : m_v(std::move(error)) {}

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(m_v); }
    const T& value() const& { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    const Error& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, Error> m_v;
};

// For operations without a value.
struct Ok {};
using Status = Result<Ok>;

inline Error makeError(ErrorCode code, std::string message) { return Error{code, std::move(message)}; }

} // namespace swf

#define SWF_CONCAT_INNER(a, b) a##b
#define SWF_CONCAT(a, b) SWF_CONCAT_INNER(a, b)
// SWF_TRY(expr): returns the error of a failed Result from the enclosing function.
#define SWF_TRY(expr)                                              \
    do {                                                           \
        auto&& SWF_CONCAT(swfTry_, __LINE__) = (expr);             \
        if (!SWF_CONCAT(swfTry_, __LINE__).ok())                   \
            return SWF_CONCAT(swfTry_, __LINE__).error();          \
    } while (false)
