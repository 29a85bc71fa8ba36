// Launch at login through the login-item service: which statuses list the
// app, what to ask of the service, and when observers must hear of a change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/login_item_status.h"

namespace {

using backend::ServiceRequest;
using backend::ServiceStatus;

constexpr ServiceStatus kAll[] = {ServiceStatus::NotRegistered, ServiceStatus::Enabled,
                                  ServiceStatus::RequiresApproval, ServiceStatus::NotFound};

TEST(LoginItemStatus, ListedOnlyWhenEnabledThoughRegisteredWhileAwaitingApproval) {
  struct Case {
    ServiceStatus status;
    bool registered, listed;
  };
  const Case cases[] = {
      {ServiceStatus::NotRegistered, false, false},
      {ServiceStatus::Enabled, true, true},
      // The app asked, but it will not launch at login until the user approves.
      {ServiceStatus::RequiresApproval, true, false},
      {ServiceStatus::NotFound, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(backend::isRegistered(c.status), c.registered) << static_cast<int>(c.status);
    EXPECT_EQ(backend::isListed(c.status), c.listed) << static_cast<int>(c.status);
  }
}

TEST(LoginItemStatus, ReadsTheServicesRawValuesAndTakesUnknownOnesAsNotFound) {
  EXPECT_EQ(backend::serviceStatusFromRaw(0), ServiceStatus::NotRegistered);
  EXPECT_EQ(backend::serviceStatusFromRaw(1), ServiceStatus::Enabled);
  EXPECT_EQ(backend::serviceStatusFromRaw(2), ServiceStatus::RequiresApproval);
  EXPECT_EQ(backend::serviceStatusFromRaw(3), ServiceStatus::NotFound);
  for (long raw : {-1L, 4L, 99L, 1L << 40})
    EXPECT_EQ(backend::serviceStatusFromRaw(raw), ServiceStatus::NotFound) << raw;
}

TEST(LoginItemStatus, ListsTheBundleURLExactlyWhileEnabled) {
  const std::string url = "file:///Applications/Vistrel.app/";
  for (ServiceStatus status : kAll) {
    auto items = backend::listedItems(status, url);
    if (status == ServiceStatus::Enabled)
      EXPECT_EQ(items, std::vector<std::string>{url});
    else
      EXPECT_TRUE(items.empty());
  }
}

TEST(LoginItemStatus, AsksTheServiceOrTheUserOnlyForWhatIsMissing) {
  struct Case {
    ServiceStatus status;
    bool wantListed;
    ServiceRequest request;
  };
  const Case cases[] = {
      {ServiceStatus::NotRegistered, true, ServiceRequest::Register},
      {ServiceStatus::NotRegistered, false, ServiceRequest::None},
      {ServiceStatus::Enabled, true, ServiceRequest::None},
      {ServiceStatus::Enabled, false, ServiceRequest::Unregister},
      // Registering again is refused: only the user can approve it.
      {ServiceStatus::RequiresApproval, true, ServiceRequest::OpenSettings},
      {ServiceStatus::RequiresApproval, false, ServiceRequest::Unregister},
      {ServiceStatus::NotFound, true, ServiceRequest::Register},
      {ServiceStatus::NotFound, false, ServiceRequest::None},
  };
  for (const auto& c : cases)
    EXPECT_EQ(backend::requestFor(c.status, c.wantListed), c.request)
        << "status " << static_cast<int>(c.status) << ", want listed " << c.wantListed;
}

TEST(LoginItemStatus, TheUserIsSentToSystemSettingsWhenRegisteringLeavesTheAppOff) {
  struct Case {
    bool registered;
    ServiceStatus now;
    bool needsUser;
  };
  const Case cases[] = {
      {true, ServiceStatus::Enabled, false},
      {true, ServiceStatus::RequiresApproval, true},
      {false, ServiceStatus::RequiresApproval, true},
      {false, ServiceStatus::NotRegistered, true},
      {false, ServiceStatus::NotFound, true},
      {false, ServiceStatus::Enabled, true},  // refused, whatever the status says
  };
  for (const auto& c : cases)
    EXPECT_EQ(backend::needsUserAfterRegistering(c.registered, c.now), c.needsUser)
        << "registered " << c.registered << ", now " << static_cast<int>(c.now);
}

TEST(LoginItemStatus, AWatchSeesEveryChangeOfTheListAndNothingElse) {
  backend::StatusWatch watch(ServiceStatus::NotRegistered);
  EXPECT_EQ(watch.last(), ServiceStatus::NotRegistered);
  EXPECT_FALSE(watch.update(ServiceStatus::NotRegistered));
  EXPECT_FALSE(watch.update(ServiceStatus::NotFound)) << "neither lists the app";
  EXPECT_FALSE(watch.update(ServiceStatus::RequiresApproval)) << "waiting is not listed either";
  EXPECT_EQ(watch.last(), ServiceStatus::RequiresApproval);

  // Approved in System Settings: the box ticks itself.
  EXPECT_TRUE(watch.update(ServiceStatus::Enabled));
  EXPECT_FALSE(watch.update(ServiceStatus::Enabled));
  // Switched off there again: it clears.
  EXPECT_TRUE(watch.update(ServiceStatus::RequiresApproval));
  EXPECT_TRUE(watch.update(ServiceStatus::Enabled));
  EXPECT_TRUE(watch.update(ServiceStatus::NotFound));
  EXPECT_TRUE(watch.update(ServiceStatus::Enabled));
  EXPECT_TRUE(watch.update(ServiceStatus::NotRegistered));
  EXPECT_FALSE(watch.update(ServiceStatus::NotRegistered)) << "a change is seen once";
}

}  // namespace
