#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include <objbase.h>

#include "base/com_setup_win.h"

namespace quillcrest {
namespace {

// The tests run on one thread, like the program's user interface, inside the same COM set-up.
class ComEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { com_ = std::make_unique<ComSetup>(); }
    void TearDown() override { com_.reset(); }

  private:
    std::unique_ptr<ComSetup> com_;
};

::testing::Environment* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

// Each case runs on a thread of its own, so that the apartment the tests share is left alone.
void OnFreshThread(const std::function<void()>& body) {
    std::thread(body).join();
}

TEST(ComSetupTest, EntersApartmentAndLeavesItAgain) {
    ASSERT_NE(kComEnvironment, nullptr);
    OnFreshThread([] {
        {
            ComSetup setup;
            EXPECT_EQ(setup.apartmentResult(), S_OK);
            EXPECT_TRUE(SUCCEEDED(setup.securityResult()) || setup.securityResult() == RPC_E_TOO_LATE);
            // The thread is single-threaded now: it cannot switch to the multithreaded kind.
            EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        }
        // Left again: the thread is free to choose.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    });
}

TEST(ComSetupTest, LeavesAnotherApartmentKindAlone) {
    OnFreshThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            ComSetup setup;
            EXPECT_EQ(setup.apartmentResult(), RPC_E_CHANGED_MODE);
        }
        // Still in the apartment the thread chose itself.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    });
}

}  // namespace
}  // namespace quillcrest
