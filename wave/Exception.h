#pragma once
// Every failure the program reports to the user is one of these: an exception
// that carries the exact text the user will read.

#include <exception>
#include <string>

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
