#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace keyrelay::test {

// An Xvfb server of the test's own, without a window manager, for the cases that the
// shared desktop (Xvfb + openbox) cannot show. Fails the test when it does not start.
class PrivateXServer {
public:
    explicit PrivateXServer(const std::vector<std::string>& extraArguments = {});
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":<number>", empty when the server did not start.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace keyrelay::test
