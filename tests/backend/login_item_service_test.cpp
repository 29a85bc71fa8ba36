// Listing the app through the login-item service: the request made for
// each status, what the user is sent to, what the trace and log say, and
// that observers hear of every request that may have changed the status.
#include "backend/login_item_service.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/login_item_path.h"
#include "tests/backend/captured_trace.h"

namespace {

using backend::ServiceStatus;

struct FakeService final : backend::LoginItemService {
  ServiceStatus current = ServiceStatus::NotRegistered;
  // What the status becomes after a successful registration.
  ServiceStatus afterRegistering = ServiceStatus::Enabled;
  bool refuse = false;
  std::vector<std::string> calls;

  ServiceStatus status() override { return current; }
  bool registerApp(std::string* error) override {
    calls.push_back("register");
    if (refuse)
      *error = "Operation not permitted";
    else
      current = afterRegistering;
    return !refuse;
  }
  bool unregisterApp(std::string* error) override {
    calls.push_back("unregister");
    if (refuse)
      *error = "Operation not permitted";
    else
      current = ServiceStatus::NotRegistered;
    return !refuse;
  }
  void openSettings() override { calls.push_back("settings"); }
  void log(const std::string& line) override { calls.push_back("log " + line); }
  void statusMayHaveChanged() override { calls.push_back("changed?"); }
};

class LoginItemServiceTest : public ::testing::Test {
 protected:
  backend_test::CapturedTrace captured_;
  backend::Trace& trace_ = captured_.trace();
  FakeService service_;
  const std::string url_ = "file:///Applications/Vistrel.app/";
};

TEST_F(LoginItemServiceTest, RegisteringListsTheAppAndTellsTheObservers) {
  EXPECT_TRUE(backend::listApp(service_, trace_, url_, false));
  EXPECT_EQ(service_.calls, (std::vector<std::string>{"register", "changed?"}));
  EXPECT_EQ(captured_.text(), "0.000 loginitems.insert \"" + url_ + "\" last\n");

  // Listed already: nothing is asked.
  service_.calls.clear();
  EXPECT_TRUE(backend::listApp(service_, trace_, url_, true));
  EXPECT_TRUE(service_.calls.empty());
}

TEST_F(LoginItemServiceTest, ARegistrationLeftWaitingSendsTheUserToSystemSettings) {
  service_.afterRegistering = ServiceStatus::RequiresApproval;
  EXPECT_FALSE(backend::listApp(service_, trace_, url_, false));
  EXPECT_EQ(service_.calls, (std::vector<std::string>{"register", "changed?", "settings"}));

  // Ticked again while it waits: registering again would be refused.
  service_.calls.clear();
  EXPECT_FALSE(backend::listApp(service_, trace_, url_, false));
  EXPECT_EQ(service_.calls, std::vector<std::string>{"settings"});
}

TEST_F(LoginItemServiceTest, ARefusalIsLoggedNotTracedAndStillLooksAtTheStatus) {
  service_.refuse = true;
  EXPECT_FALSE(backend::listApp(service_, trace_, url_, false));
  EXPECT_EQ(service_.calls,
            (std::vector<std::string>{
                "register",
                "log Launch at login: registering with the login items failed: Operation not "
                "permitted",
                "changed?", "settings"}));
  EXPECT_EQ(captured_.text(), "");

  service_.calls.clear();
  service_.current = ServiceStatus::Enabled;
  EXPECT_FALSE(backend::unlistApp(service_, trace_, url_));
  EXPECT_EQ(service_.calls.size(), 2u);  // unregister, log; no change told
  EXPECT_EQ(captured_.text(), "");
}

TEST_F(LoginItemServiceTest, UnlistingEndsAWaitingRegistrationTooAndNothingElse) {
  service_.current = ServiceStatus::RequiresApproval;
  EXPECT_TRUE(backend::unlistApp(service_, trace_, url_));
  EXPECT_EQ(service_.calls, (std::vector<std::string>{"unregister", "changed?"}));
  EXPECT_EQ(captured_.text(), "0.000 loginitems.remove \"" + url_ + "\"\n");

  service_.calls.clear();
  EXPECT_FALSE(backend::unlistApp(service_, trace_, url_));  // not registered
  service_.current = ServiceStatus::NotFound;
  EXPECT_FALSE(backend::unlistApp(service_, trace_, url_));
  EXPECT_TRUE(service_.calls.empty());
}

TEST(LoginItemBundleURL, AnEntryNamingTheBundleIsSpelledAsTheAgentSpellsIt) {
  // Composes the one decomposed character these paths hold, as Foundation
  // would compose any.
  auto compose = [](std::string s) {
    for (auto at = s.find("e\xCC\x81"); at != std::string::npos; at = s.find("e\xCC\x81"))
      s.replace(at, 3, "\xC3\xA9");
    return s;
  };
  const std::string bundle = "/private/var/Caf\xC3\xA9.app";
  EXPECT_EQ(backend::asBundleURLWhenSameFile("file:///var/Cafe%CC%81.app", bundle, compose),
            "file:///private/var/Caf%C3%A9.app/");
  EXPECT_EQ(backend::asBundleURLWhenSameFile("file:///var/Cafe.app/", bundle, compose),
            "file:///var/Cafe.app/");
  EXPECT_EQ(backend::asBundleURLWhenSameFile("https://example.invalid/", bundle, compose),
            "https://example.invalid/");
  EXPECT_EQ(backend::asBundleURLWhenSameFile(std::nullopt, bundle, compose), std::nullopt);
}

}  // namespace
