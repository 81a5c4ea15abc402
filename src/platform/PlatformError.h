#pragma once

#include <stdexcept>
#include <string>

namespace keyrelay {

// The one failure type of the platform services and of the delivery operations.
// `number` and `description` are what the program's messages quote ("Error 5 ...").
class PlatformError : public std::runtime_error {
public:
    PlatformError(long number, const std::string& description)
        : std::runtime_error(description), number_(number), description_(description) {}

    long number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    long number_;
    std::string description_;
};

// Numbers used by the platform-neutral code. Native implementations report the
// operating system's own numbers where it gives one.
namespace errors {
inline constexpr long InvalidArgument = 5;     // malformed keystroke string, no matching window
inline constexpr long FileNotFound = 53;       // a file or program that does not exist
inline constexpr long PermissionDenied = 70;   // refused by the system
inline constexpr long DeviceUnavailable = 68;  // no display, no injection extension
}  // namespace errors

}  // namespace keyrelay
