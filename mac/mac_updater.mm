#include "mac/mac_updater.h"

#include "backend/trace.h"
#include "mac/cf_values.h"
#include "mac/mac_trace.h"

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

// The framework's updater class, loaded at first use; Nil without the
// framework, said once in the log.
Class updaterClass() {
  static Class const cls = []() -> Class {
    NSString* reason = nil;
    Class found = Nil;
    NSString* frameworks = NSBundle.mainBundle.privateFrameworksPath;
    NSString* path = [frameworks stringByAppendingPathComponent:@"Sparkle.framework"];
    NSBundle* framework = path ? [NSBundle bundleWithPath:path] : nil;
    NSError* error = nil;
    if (!framework) {
      reason = @"the application bundle has no Sparkle.framework";
    } else if (![framework loadAndReturnError:&error]) {
      reason = error ? error.localizedDescription : @"Sparkle.framework does not load";
    } else {
      found = NSClassFromString(@"SUUpdater");
      if (![found respondsToSelector:@selector(sharedUpdater)]) {
        found = Nil;
        reason = @"Sparkle.framework has no SUUpdater";
      }
    }
    if (reason) NSLog(@"Updates are unavailable: %@", reason);
    return found;
  }();
  return cls;
}

// The shared updater, asked for each time as the framework hands it out.
id<VSUpdater> sharedUpdater() {
  Class cls = updaterClass();
  return cls ? [(Class<VSUpdaterClass>)cls sharedUpdater] : nil;
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

// Each message is sent only when the updater understands it: a framework of
// another generation must not end the process with an unknown selector.

void MacUpdater::setDelegate(platform::NibObject* delegate) {
  tracer().updaterDelegate();
  state_->delegate = delegate ? [[VSUpdaterDelegate alloc] initWithAgentDelegate:delegate] : nil;
  id<VSUpdater> updater = sharedUpdater();
  if ([updater respondsToSelector:@selector(setDelegate:)]) [updater setDelegate:state_->delegate];
}

void MacUpdater::setFeedURL(const std::optional<std::string>& url) {
  tracer().updaterFeed(url);
  id<VSUpdater> updater = sharedUpdater();
  if ([updater respondsToSelector:@selector(setFeedURL:)]) [updater setFeedURL:urlFrom(url)];
}

void MacUpdater::setAutomaticallyChecksForUpdates(bool automatic) {
  tracer().updaterAutomatic(automatic);
  id<VSUpdater> updater = sharedUpdater();
  if ([updater respondsToSelector:@selector(setAutomaticallyChecksForUpdates:)])
    [updater setAutomaticallyChecksForUpdates:automatic];
}

void MacUpdater::checkForUpdatesInBackground() {
  tracer().updaterCheck(false);
  id<VSUpdater> updater = sharedUpdater();
  if ([updater respondsToSelector:@selector(checkForUpdatesInBackground)])
    [updater checkForUpdatesInBackground];
}

void MacUpdater::setUpdateCheckInterval(double seconds) {
  tracer().updaterInterval(seconds);
  id<VSUpdater> updater = sharedUpdater();
  if ([updater respondsToSelector:@selector(setUpdateCheckInterval:)])
    [updater setUpdateCheckInterval:seconds];
}

bool MacUpdater::isAvailable() { return updaterClass() != Nil; }

void MacUpdater::checkForUpdates(platform::NibObject*) {
  tracer().updaterCheck(true);
  id<VSUpdater> updater = sharedUpdater();
  // The sender of this action is not read by the updater; the agent's
  // sender has no Objective-C object to stand for it.
  if ([updater respondsToSelector:@selector(checkForUpdates:)]) [updater checkForUpdates:nil];
}

}  // namespace mac
