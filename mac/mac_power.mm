// Sleep and wake, from the workspace's own notification centre (the default
// centre never hears of them).
#include "mac/mac_workspace.h"

#import <AppKit/AppKit.h>

#include <memory>

namespace mac {

void MacWorkspace::observeSleep(std::function<void(bool asleep)> observer) {
  auto told = std::make_shared<std::function<void(bool)>>(std::move(observer));
  NSNotificationCenter* center = [[NSWorkspace sharedWorkspace] notificationCenter];
  NSOperationQueue* main = [NSOperationQueue mainQueue];
  // Kept for the life of the process: the centre holds the registrations.
  [center addObserverForName:NSWorkspaceWillSleepNotification
                      object:nil
                       queue:main
                  usingBlock:^(NSNotification*) {
                    (*told)(true);
                  }];
  [center addObserverForName:NSWorkspaceDidWakeNotification
                      object:nil
                       queue:main
                  usingBlock:^(NSNotification*) {
                    (*told)(false);
                  }];
}

}  // namespace mac
