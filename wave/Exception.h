#pragma once
// Every failure the program reports to the user is one of these: an exception
// that carries the exact text the user will read.

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Memory exhaustion (or a size beyond what a wave may hold) while a stream grows.
// Commands that catch it tell the user to clear the undo buffer.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// What the commands show when a wave cannot grow.
inline constexpr const char* OutOfMemoryText = "Error: Out of memory. Please try to clear undo buffer.";

// Runs work; running out of memory on the way (std::bad_alloc, or a container refusing
// a length) becomes EStreamError with the out-of-memory text, so callers catch one kind.
template <class Work>
decltype(auto) TranslateOutOfMemory(Work&& work)
{
    try {
        return std::forward<Work>(work)();
    } catch (const std::bad_alloc&) {
        throw EStreamError(OutOfMemoryText);
    } catch (const std::length_error&) {
        throw EStreamError(OutOfMemoryText);
    }
}

// A file that cannot be opened, created, read or written. Kept apart from
// EStreamError on purpose: a missing file must never be reported as lack of memory.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

class EFOpenError : public EFileError {
public:
    using EFileError::EFileError;
};

class EFCreateError : public EFileError {
public:
    using EFileError::EFileError;
};

// Bytes that did not reach a file being written (a full disk, a quota, a failing
// device); the text names the file and the system's reason.
class EFWriteError : public EFileError {
public:
    using EFileError::EFileError;
};
