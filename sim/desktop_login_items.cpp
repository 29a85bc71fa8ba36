#include "sim/desktop.h"
#include "sim/stored_file.h"

namespace sim {

// The file, when one is given, comes first; the scenario's `login-item`
// lines are added after its entries.
void Desktop::setUpLoginItems() {
  if (options_.loginItemsFile) {
    std::string report;
    loginItems_.attachFile(*options_.loginItemsFile, &report);
    printStoredFileReport(report);
  }
  for (const auto& c : scenario_.setup)
    if (c.is("login-item")) loginItems_.preset(c.word(1));
}

// Another program edits the list: it appends what it adds.
void Desktop::applyLoginItemsInput(const Command& c) {
  if (c.word(1) == "add")
    loginItems_.insert(platform::LoginItemPosition::Last, c.word(2));
  else
    loginItems_.removeURL(c.word(2));
}

}  // namespace sim
