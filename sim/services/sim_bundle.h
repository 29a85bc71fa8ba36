// The agent's application bundle: its information dictionary, made of the
// resource file Info.txt and the scenario's `info` lines, and its location,
// taken from the agent process's bundle URL.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/bundle.h"
#include "sim/scenario/scenario.h"
#include "sim/services/session_context.h"

namespace sim {

class SimBundle final : public platform::Bundle {
 public:
  explicit SimBundle(SessionContext& ctx) : ctx_(ctx) {}

  std::optional<std::string> objectForInfoDictionaryKey(const std::string& key) override;
  std::string bundlePath() override;
  std::optional<bool> isTranslocated() override { return ctx_.world.translocated; }

 private:
  SessionContext& ctx_;
};

// The bundle's information: the `KEY "VALUE"` lines of RESOURCE_DIR/Info.txt,
// then the scenario's set-up lines in order: `info KEY "VALUE"` sets (or
// replaces) one key, `no info KEY` removes it; other keys of the file stay.
// A damaged file is reported on standard error and contributes nothing.
std::map<std::string, std::string> bundleInfoFor(const std::string& resourceDir,
                                                 const std::vector<SetupCommand>& setup);

// The path of a file URL ("file:///A%20B/" -> "/A B"); empty for other URLs.
std::string pathOfFileURL(const std::string& url);

}  // namespace sim
