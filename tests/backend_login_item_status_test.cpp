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

TEST(LoginItemStatus, RegisteredWhenEnabledOrAwaitingApproval) {
  EXPECT_FALSE(backend::isRegistered(ServiceStatus::NotRegistered));
  EXPECT_TRUE(backend::isRegistered(ServiceStatus::Enabled));
  EXPECT_TRUE(backend::isRegistered(ServiceStatus::RequiresApproval))
      << "the user has yet to approve it, but the app asked and is listed";
  EXPECT_FALSE(backend::isRegistered(ServiceStatus::NotFound));
}

TEST(LoginItemStatus, ReadsTheServicesRawValuesAndTakesUnknownOnesAsNotFound) {
  EXPECT_EQ(backend::serviceStatusFromRaw(0), ServiceStatus::NotRegistered);
  EXPECT_EQ(backend::serviceStatusFromRaw(1), ServiceStatus::Enabled);
  EXPECT_EQ(backend::serviceStatusFromRaw(2), ServiceStatus::RequiresApproval);
  EXPECT_EQ(backend::serviceStatusFromRaw(3), ServiceStatus::NotFound);
  for (long raw : {-1L, 4L, 99L, 1L << 40})
    EXPECT_EQ(backend::serviceStatusFromRaw(raw), ServiceStatus::NotFound) << raw;
}

TEST(LoginItemStatus, ListsTheBundleURLExactlyWhileRegistered) {
  const std::string url = "file:///Applications/Vistrel.app/";
  for (ServiceStatus status : kAll) {
    auto items = backend::listedItems(status, url);
    if (backend::isRegistered(status))
      EXPECT_EQ(items, std::vector<std::string>{url});
    else
      EXPECT_TRUE(items.empty());
  }
}

TEST(LoginItemStatus, AsksTheServiceOnlyForWhatIsMissing) {
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
      {ServiceStatus::RequiresApproval, true, ServiceRequest::None},
      {ServiceStatus::RequiresApproval, false, ServiceRequest::Unregister},
      {ServiceStatus::NotFound, true, ServiceRequest::Register},
      {ServiceStatus::NotFound, false, ServiceRequest::None},
  };
  for (const auto& c : cases)
    EXPECT_EQ(backend::requestFor(c.status, c.wantListed), c.request)
        << "status " << static_cast<int>(c.status) << ", want listed " << c.wantListed;
}

TEST(LoginItemStatus, AWatchSeesEveryChangeOfRegistrationAndNothingElse) {
  backend::StatusWatch watch(ServiceStatus::NotRegistered);
  EXPECT_EQ(watch.last(), ServiceStatus::NotRegistered);
  EXPECT_FALSE(watch.update(ServiceStatus::NotRegistered));
  EXPECT_FALSE(watch.update(ServiceStatus::NotFound)) << "neither lists the app";

  // Registered by the app or by the user in System Settings: the same change.
  EXPECT_TRUE(watch.update(ServiceStatus::RequiresApproval));
  EXPECT_EQ(watch.last(), ServiceStatus::RequiresApproval);
  EXPECT_FALSE(watch.update(ServiceStatus::Enabled)) << "approval leaves the list as it was";
  EXPECT_FALSE(watch.update(ServiceStatus::RequiresApproval));
  EXPECT_EQ(watch.last(), ServiceStatus::RequiresApproval);

  EXPECT_TRUE(watch.update(ServiceStatus::NotFound));
  EXPECT_TRUE(watch.update(ServiceStatus::Enabled));
  EXPECT_TRUE(watch.update(ServiceStatus::NotRegistered));
  EXPECT_FALSE(watch.update(ServiceStatus::NotRegistered)) << "a change is seen once";
}

}  // namespace
