// The agent's process on macOS: binds the real platform and hands over to
// the agent, which runs the application until it terminates.
#import <Foundation/Foundation.h>

#include "app/entry.h"
#include "mac/mac_platform.h"

int main(int argc, char** argv) {
  @autoreleasepool {
    // Made once and never destroyed: terminate: ends the process with exit(),
    // and nothing of the agent is torn down then, so no destructor may run
    // while AppKit could still call into the services.
    auto* services = new mac::MacPlatform();
    platform::bind(services);
    return agentMain(argc, argv);
  }
}
