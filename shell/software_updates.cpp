#include "app/app_delegate.h"
#include "app/preferences.h"

namespace {
constexpr const char* kBetaFeedURL = "https://updates.vistrel.app/downloads/betas/Vistrel.xml";
constexpr double kBetaUpdateCheckInterval = 43200.0;  // 12 hours
}  // namespace

std::optional<std::string> AppDelegate::getFeedURL() {
  std::optional<std::string> feed;
  if (platform::current().userDefaults().boolForKey(prefs::kChecksForBetaUpdates))
    feed = kBetaFeedURL;
  else
    feed = platform::current().bundle().objectForInfoDictionaryKey("SUFeedURL");
  return feed ? platform::URLWithString(*feed) : std::nullopt;
}

void AppDelegate::checkUpates(platform::NibObject*) {
  platform::current().application().activateIgnoringOtherApps(true);
  // Computed again so that a change of the beta setting counts at once.
  auto& updater = platform::current().updater();
  updater.setFeedURL(getFeedURL());
  updater.checkForUpdates(this);
}

void AppDelegate::configureUpdater() {
  auto& updater = platform::current().updater();
  auto& defaults = platform::current().userDefaults();
  updater.setDelegate(this);
  updater.setFeedURL(getFeedURL());
  updater.setAutomaticallyChecksForUpdates(defaults.boolForKey(prefs::kEnableAutomaticChecks));
  // One check at every launch, whatever the automatic setting.
  updater.checkForUpdatesInBackground();
  if (defaults.boolForKey(prefs::kChecksForBetaUpdates))
    updater.setUpdateCheckInterval(kBetaUpdateCheckInterval);
}
