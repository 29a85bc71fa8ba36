#include "sim/desktop/desktop.h"
#include "sim/scenario/scenario_limits.h"
#include "sim/stored/stored_file.h"

namespace sim {

// A scenario may name as many items as the list holds.
static_assert(limits::kMaxLoginItems == kMaxLoginItems);

// The file, when one is given, comes first; the scenario's `login-item`
// lines are added after its entries.
void Desktop::setUpLoginItems() {
  if (options_.loginItemsFile) {
    std::string report;
    loginItems_.attachFile(*options_.loginItemsFile, &report);
    printStoredFileReport(report);
  }
  for (const auto& c : scenario_.setup)
    if (auto* item = std::get_if<AddLoginItem>(&c.action)) loginItems_.preset(item->url);
}

// Another program edits the list: it appends what it adds.
void Desktop::addLoginItem(const std::string& url) {
  loginItems_.insert(platform::LoginItemPosition::Last, url);
}

void Desktop::removeLoginItem(const std::string& url) { loginItems_.removeURL(url); }

}  // namespace sim
