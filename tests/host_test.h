// The fixture of the host tests: every test starts from the state of a new
// process with the host started on the stub script. A suite whose tests
// configure the platform or the script first asks for Start::InTest and
// starts the host itself.
#pragma once

#include <gtest/gtest.h>

#include "tests/fresh_host.h"

namespace host_test {

using namespace fresh_host;

class Host : public ::testing::Test {
protected:
    enum class Start { AtSetUp, InTest };
    explicit Host(Start when = Start::AtSetUp) : startAtSetUp_(when == Start::AtSetUp) {}

    void SetUp() override {
        reset();
        if (startAtSetUp_) startHostOrFail();
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
    bool startAtSetUp_;
    int exitCode_ = -1;
};

// A suite of tests that start the host themselves.
struct StartedInTest : Host {
    StartedInTest() : Host(Start::InTest) {}
};

}  // namespace host_test
