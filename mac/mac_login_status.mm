// The watch of the login item's status while the settings window shows it:
// one timer, which the lists of macOS 13 and later hear through the default
// notification centre.
#include "mac/mac_login_items.h"

#import <Foundation/Foundation.h>

#include "mac/ns_strings.h"

namespace mac {

namespace {
// How often the status is looked at while watched: the user can change it
// in System Settings at any time, and the service tells no one.
constexpr NSTimeInterval kStatusCheckSeconds = 5.0;
NSTimer* statusTimer = nil;
}  // namespace

void MacLoginItems::watchStatus() {
  [statusTimer invalidate];
  NSString* name = toNS(kLoginItemStatusCheckNotification);
  statusTimer = [NSTimer scheduledTimerWithTimeInterval:kStatusCheckSeconds
                                                repeats:YES
                                                  block:^(NSTimer*) {
                                                    [[NSNotificationCenter defaultCenter]
                                                        postNotificationName:name
                                                                      object:nil];
                                                  }];
  statusTimer.tolerance = 1.0;
}

void MacLoginItems::stopWatchingStatus() {
  [statusTimer invalidate];
  statusTimer = nil;
}

}  // namespace mac
