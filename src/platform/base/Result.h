#pragma once
// How a function says that it failed. New code uses one of two shapes, nothing else:
//
//  - std::optional<T>: a value, or none, where "none" needs no explanation because the caller
//    knows what to do about it ("this text is not a number", "no volt text for so large a value").
//  - Result<T> (or Result<> when there is no value): a value, or the reason it could not be had,
//    where the caller must tell someone why ("the file cannot be read: Permission denied").
//    The reason is text the caller shows as it is; a caller that must tell failures apart gets
//    a structured reason instead, Result<T, E> with its own E (as the data-file reader does).
//
// Not used for failure: a bool beside an error string, an optional string that means "failed",
// a hand-made struct with a value and an error field, exceptions.
// (board/ lies below platform/ and cannot use Result: its option parser, ApplySimOption, still
// answers with the reason as an optional string.)
//
//     Result<std::string> Load(const std::string& path) {
//         if (path.empty()) return Fail("no file name");
//         return content;
//     }
//     const auto loaded = Load(path);
//     if (!loaded.ok()) { messages.exclamation(loaded.error()); return; }
//     use(*loaded);
//
// A Result does not turn into bool by itself: `ok()` is always spelt out, so it is never read
// the wrong way round (an optional error text is true on failure, a Result is ok on success).
//
// A window that cannot go on tells the user through the message seam (Messages.h) and returns;
// a headless command writes one line to standard error and exits non-zero.
#include <concepts>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace qb::platform {

// The reason handed to a Result; made by Fail.
template <typename E>
struct Failure {
    E error;
};

// A failure with a reason in words (or with a structured reason E).
inline Failure<std::string> Fail(std::string reason) { return {std::move(reason)}; }
template <typename E>
    requires(!std::convertible_to<E, std::string>)
Failure<E> Fail(E reason) {
    return {std::move(reason)};
}

template <typename T = void, typename E = std::string>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool ok() const { return state_.index() == 0; }

    // The value; only when ok().
    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // The reason; only when !ok().
    const E& error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(Failure<E> failure) : error_(std::move(failure.error)) {}

    bool ok() const { return !error_.has_value(); }

    // The reason; only when !ok().
    const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

} // namespace qb::platform
