#include "mac/mac_updater.h"

#include "backend/trace.h"
#include "backend/updater_loading.h"
#include "mac/cf_values.h"
#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

#import <Foundation/Foundation.h>

// The messages of the framework's updater that the agent sends, declared
// here so that nothing links against the framework.
@protocol VSUpdater <NSObject>
- (void)setDelegate:(id)delegate;
- (void)setFeedURL:(NSURL*)feedURL;
- (void)setAutomaticallyChecksForUpdates:(BOOL)automatic;
- (void)checkForUpdatesInBackground;
- (void)setUpdateCheckInterval:(NSTimeInterval)interval;
- (void)checkForUpdates:(id)sender;
@end

@protocol VSUpdaterClass <NSObject>
+ (id<VSUpdater>)sharedUpdater;
@end

// Stands for the agent's delegate before the updater. It implements no
// delegate method, so every decision stays with the updater's defaults.
@interface VSUpdaterDelegate : NSObject
- (instancetype)initWithAgentDelegate:(platform::NibObject*)agentDelegate;
@property(nonatomic, readonly, assign) platform::NibObject* agentDelegate;
@end

@implementation VSUpdaterDelegate
- (instancetype)initWithAgentDelegate:(platform::NibObject*)agentDelegate {
  if ((self = [super init])) _agentDelegate = agentDelegate;
  return self;
}
@end

namespace mac {

namespace {

// Sparkle.framework among the bundle's private frameworks.
class BundledUpdaterFramework final : public backend::UpdaterFramework {
 public:
  bool find() override {
    NSString* frameworks = NSBundle.mainBundle.privateFrameworksPath;
    NSString* path = [frameworks stringByAppendingPathComponent:@"Sparkle.framework"];
    bundle_ = path ? [NSBundle bundleWithPath:path] : nil;
    return bundle_ != nil;
  }
  bool load(std::string* error) override {
    NSError* failure = nil;
    const bool loaded = [bundle_ loadAndReturnError:&failure];
    *error = fromNS(failure.localizedDescription);
    return loaded;
  }
  bool findUpdater() override {
    updater_ = NSClassFromString(@"SUUpdater");
    return [updater_ respondsToSelector:@selector(sharedUpdater)];
  }
  Class updaterClass() const { return updater_; }

 private:
  NSBundle* bundle_ = nil;
  Class updater_ = Nil;
};

// The framework's updater class, loaded at first use; Nil without the
// framework, said once in the log.
Class updaterClass() {
  static Class const cls = []() -> Class {
    BundledUpdaterFramework framework;
    if (auto reason = backend::loadUpdaterFramework(framework)) {
      NSLog(@"Updates are unavailable: %@", toNS(*reason));
      return Nil;
    }
    return framework.updaterClass();
  }();
  return cls;
}

// The shared updater, asked for each time as the framework hands it out,
// when it understands `message`; nil otherwise, and without the framework
// (a message to nil does nothing). A framework of another generation must
// not end the process with an unknown selector.
id<VSUpdater> updaterAnswering(SEL message) {
  id<VSUpdater> updater = [(Class<VSUpdaterClass>)updaterClass() sharedUpdater];
  return [updater respondsToSelector:message] ? updater : nil;
}

NSURL* urlFrom(const std::optional<std::string>& url) {
  if (!url) return nil;
  NSString* text = (__bridge_transfer NSString*)createCFString(*url);
  return text ? [NSURL URLWithString:text] : nil;
}

}  // namespace

struct MacUpdater::State {
  // The updater does not retain its delegate: this keeps it alive.
  VSUpdaterDelegate* delegate = nil;
};

MacUpdater::MacUpdater() : state_(std::make_unique<State>()) {}
MacUpdater::~MacUpdater() = default;

void MacUpdater::setDelegate(platform::NibObject* delegate) {
  tracer().updaterDelegate();
  state_->delegate = delegate ? [[VSUpdaterDelegate alloc] initWithAgentDelegate:delegate] : nil;
  [updaterAnswering(@selector(setDelegate:)) setDelegate:state_->delegate];
}

void MacUpdater::setFeedURL(const std::optional<std::string>& url) {
  tracer().updaterFeed(url);
  [updaterAnswering(@selector(setFeedURL:)) setFeedURL:urlFrom(url)];
}

void MacUpdater::setAutomaticallyChecksForUpdates(bool automatic) {
  tracer().updaterAutomatic(automatic);
  [updaterAnswering(@selector(setAutomaticallyChecksForUpdates:))
      setAutomaticallyChecksForUpdates:automatic];
}

void MacUpdater::checkForUpdatesInBackground() {
  tracer().updaterCheck(false);
  [updaterAnswering(@selector(checkForUpdatesInBackground)) checkForUpdatesInBackground];
}

void MacUpdater::setUpdateCheckInterval(double seconds) {
  tracer().updaterInterval(seconds);
  [updaterAnswering(@selector(setUpdateCheckInterval:)) setUpdateCheckInterval:seconds];
}

bool MacUpdater::isAvailable() { return updaterClass() != Nil; }

void MacUpdater::checkForUpdates(platform::NibObject*) {
  tracer().updaterCheck(true);
  // The sender of this action is not read by the updater; the agent's
  // sender has no Objective-C object to stand for it.
  [updaterAnswering(@selector(checkForUpdates:)) checkForUpdates:nil];
}

}  // namespace mac
