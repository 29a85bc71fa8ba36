#include "sim/services/sim_services.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace sim {

platform::ObserverToken SimNotificationCenter::addObserverForName(
    const std::string& name, const void* object,
    std::function<void(const platform::Notification&)> block) {
  auto registration = std::make_shared<Registration>(Registration{nullptr, name, object, block});
  registrations_.push_back(registration);
  return registration;
}

void SimNotificationCenter::addObserver(
    const void* observer, const std::string& name, const void* object,
    std::function<void(const platform::Notification&)> selector) {
  registrations_.push_back(
      std::make_shared<Registration>(Registration{observer, name, object, std::move(selector)}));
}

void SimNotificationCenter::removeObserver(const void* observer) {
  std::erase_if(registrations_, [&](const auto& r) { return r->observer == observer; });
}

void SimNotificationCenter::postNotificationName(const std::string& name, const void* object) {
  ctx_.trace.notify(name);
  platform::Notification note{name, object};
  // Observers may register or leave while they are told: tell a snapshot.
  auto snapshot = registrations_;
  for (const auto& r : snapshot)
    if (r->name == name && (!r->object || r->object == object)) r->callback(note);
}

platform::MonitorToken SimEvents::addGlobalMonitor(std::uint64_t mask,
                                                   std::function<void()> handler) {
  auto monitor = std::make_shared<Monitor>(Monitor{mask, std::move(handler)});
  monitors_.push_back(monitor);
  ctx_.trace.monitorInstall(mask);
  return monitor;
}

void SimEvents::deliverRightMouseDown() {
  std::erase_if(monitors_, [](const auto& m) { return m.expired(); });
  auto snapshot = monitors_;
  for (const auto& weak : snapshot)
    if (auto m = weak.lock(); m && (m->mask & platform::kEventMaskRightMouseDown)) m->handler();
}

platform::Ref<platform::KeyboardEvent> SimEvents::createKeyboardEvent(std::uint16_t keyCode,
                                                                      bool keyDown) {
  return platform::make<platform::KeyboardEvent>(keyCode, keyDown);
}

void SimEvents::postToPid(pid_t pid, const platform::KeyboardEvent& event) {
  const Process* target = ctx_.world.process(pid);
  ctx_.trace.eventPost(event.keyDown(), event.keyCode(),
                       target ? quoted(target->name) : std::to_string(pid));
  if (target && pid == ctx_.world.dock.pid && event.keyDown() &&
      event.keyCode() == platform::kVKEscape)
    ctx_.world.escape();
}

namespace {
platform::RunningApplication running(const Process& p) { return {p.bundleID, p.bundleURL, p.pid}; }
}  // namespace

std::vector<platform::RunningApplication> SimWorkspace::runningApplications() {
  std::vector<platform::RunningApplication> apps;
  for (const auto& p : ctx_.world.processes()) apps.push_back(running(p));
  return apps;
}

std::vector<platform::RunningApplication> SimWorkspace::runningApplicationsWithBundleIdentifier(
    const std::string& bundleIdentifier) {
  std::vector<platform::RunningApplication> apps;
  for (pid_t pid : ctx_.world.pidsWithBundleID(bundleIdentifier))
    apps.push_back(running(*ctx_.world.process(pid)));
  return apps;
}

bool SimWorkspace::openURL(const std::string& url) {
  ctx_.trace.urlOpen(url);
  return true;
}

void SimWorkspace::log(const std::string& text) { ctx_.trace.log(text); }
void SimWorkspace::reportSetupFinding(const platform::SetupFinding& finding) {
  ctx_.trace.setupFinding(finding);
}
void SimWorkspace::reportStalePermission(bool stale) { ctx_.trace.stalePermission(stale); }

bool prefAsBool(const platform::PrefValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b;
  if (auto* i = std::get_if<std::int64_t>(&v)) return *i != 0;
  if (auto* d = std::get_if<double>(&v)) return *d != 0;
  std::string s = std::get<std::string>(v);
  std::string lower;
  for (char c : s) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "yes" || lower == "true") return true;
  return std::strtoll(s.c_str(), nullptr, 10) != 0;
}

std::int64_t prefAsInteger(const platform::PrefValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  if (auto* i = std::get_if<std::int64_t>(&v)) return *i;
  if (auto* d = std::get_if<double>(&v)) {
    // Out-of-range values saturate rather than overflow.
    if (std::isnan(*d)) return 0;
    if (*d >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
    if (*d <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(*d);
  }
  return std::strtoll(std::get<std::string>(v).c_str(), nullptr, 10);
}

float prefAsFloat(const platform::PrefValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1.0f : 0.0f;
  if (auto* i = std::get_if<std::int64_t>(&v)) return static_cast<float>(*i);
  if (auto* d = std::get_if<double>(&v)) return static_cast<float>(*d);
  return std::strtof(std::get<std::string>(v).c_str(), nullptr);
}

SimUserDefaults::SimUserDefaults(SessionContext& ctx) : ctx_(ctx) {
  ctx_.defaults.onChange = [this](const std::string& key) { changed(key); };
}

SimUserDefaults::~SimUserDefaults() { ctx_.defaults.onChange = nullptr; }

std::optional<platform::PrefValue> SimUserDefaults::valueForKey(const std::string& key) {
  return ctx_.defaults.get(key);
}

bool SimUserDefaults::boolForKey(const std::string& key) {
  auto v = ctx_.defaults.get(key);
  return v && prefAsBool(*v);
}

std::int64_t SimUserDefaults::integerForKey(const std::string& key) {
  auto v = ctx_.defaults.get(key);
  return v ? prefAsInteger(*v) : 0;
}

float SimUserDefaults::floatForKey(const std::string& key) {
  auto v = ctx_.defaults.get(key);
  return v ? prefAsFloat(*v) : 0.0f;
}

void SimUserDefaults::setBool(bool value, const std::string& key) { ctx_.defaults.set(key, value); }

void SimUserDefaults::setInteger(std::int64_t value, const std::string& key) {
  ctx_.defaults.set(key, value);
}

void SimUserDefaults::setFloat(float value, const std::string& key) {
  ctx_.defaults.set(key, static_cast<double>(value));
}

bool SimUserDefaults::synchronize() { return ctx_.defaults.synchronize(); }

void SimUserDefaults::addObserver(platform::KeyValueObserver* observer, const std::string& keyPath,
                                  unsigned, const void* context) {
  observations_.push_back({observer, keyPath, context});
}

void SimUserDefaults::changed(const std::string& key) {
  const std::string path = "values." + key;
  auto snapshot = observations_;
  for (const auto& o : snapshot)
    if (o.keyPath == path) o.observer->observeValueForKeyPath(path, this, o.context);
}

}  // namespace sim
