#pragma once
// What a writer hands back: the thing it made, or why it could not make it. The reason names
// where the input went wrong: the line of a text (from 1) or the byte offset of a binary.
//
//     Outcome<Bytes> file = Level2BasicFile(listing, 'A');
//     if (!file) Tell(file.error);   // "line 7: 65530 is above 65529, the highest line number"
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tonvale {

// A reason, on its way to become the Outcome of any type.
struct Failure {
    std::string message;
};

inline Failure FailAtLine(std::size_t line, std::string_view what) {
    return {"line " + std::to_string(line) + ": " + std::string(what)};
}
inline Failure FailAtOffset(std::size_t offset, std::string_view what) {
    return {"offset " + std::to_string(offset) + ": " + std::string(what)};
}

template <class T> struct Outcome {
    Outcome(T made) : value(std::move(made)) {}
    Outcome(Failure failure) : error(std::move(failure.message)) {}

    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    const T* operator->() const { return &*value; }

    std::optional<T> value;
    std::string error; // empty when made
};

} // namespace tonvale
