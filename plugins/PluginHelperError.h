#pragma once
// A failure of the plug-in helper itself (it cannot be started, it answered nonsense),
// as opposed to anything a plug-in library did inside it.

#include <stdexcept>
#include <string>

class EPluginHelper : public std::runtime_error {
public:
    explicit EPluginHelper(const std::string& message) : std::runtime_error(message) {}
};
