// The fixtures of the host tests: every test starts from the state of a new
// process; Host starts the host on the stub script at SetUp, StartedInTest
// leaves it to the test, which configures the platform or the script first.
#pragma once

#include <gtest/gtest.h>

#include "tests/fresh_host.h"

namespace host_test {

using namespace fresh_host;
using Strings = std::vector<std::string>;

template <bool kStartAtSetUp>
class Fixture : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        if (kStartAtSetUp) startHostOrFail();
    }
    void TearDown() override { reset(); }

    // Start-up with the stub script and extra; returns what host::startUp
    // returned. exitCode() holds the code start-up chose when it ended early.
    bool startHost(std::string_view extra = {}, int showCommand = platform::kSwShowDefault) {
        writeScript(extra);
        return host::startUp(showCommand, exitCode_);
    }
    int exitCode() const { return exitCode_; }

    // Start-up that must succeed, for tests about what comes after it.
    void startHostOrFail(std::string_view extra = {}, int showCommand = platform::kSwShowDefault) {
        ASSERT_TRUE(startHost(extra, showCommand));
        ASSERT_NE(host::interpreter(), nullptr);
        ASSERT_NE(support::mainWindow(), 0);
    }

private:
    int exitCode_ = -1;
};
using Host = Fixture<true>;
using StartedInTest = Fixture<false>;

}  // namespace host_test
