#include "sim/services/sim_bundle.h"

#include <iostream>

#include "backend/info_file.h"

namespace sim {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::map<std::string, std::string> bundleInfoFor(const std::string& resourceDir,
                                                 const std::vector<SetupCommand>& setup) {
  std::map<std::string, std::string> info;
  if (auto error = backend::readInfoFile(resourceDir + "/Info.txt", &info)) {
    std::cerr << "vistrel-desktop: " << *error << " (bundle information)\n";
    info.clear();
  }
  for (const auto& c : setup) {
    if (auto* set = std::get_if<SetInfo>(&c.action))
      info[set->key] = set->value;
    else if (auto* remove = std::get_if<RemoveInfo>(&c.action))
      info.erase(remove->key);
  }
  return info;
}

std::string pathOfFileURL(const std::string& url) {
  const std::string scheme = "file://";
  if (url.rfind(scheme, 0) != 0) return "";
  std::string path;
  for (std::size_t i = scheme.size(); i < url.size(); ++i) {
    int hi = 0, lo = 0;
    if (url[i] == '%' && i + 2 < url.size() && (hi = hexValue(url[i + 1])) >= 0 &&
        (lo = hexValue(url[i + 2])) >= 0) {
      path += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      path += url[i];
    }
  }
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> SimBundle::objectForInfoDictionaryKey(const std::string& key) {
  if (!ctx_.bundleInfo) return std::nullopt;
  auto it = ctx_.bundleInfo->find(key);
  if (it == ctx_.bundleInfo->end()) return std::nullopt;
  return it->second;
}

std::string SimBundle::bundlePath() {
  const Process* agent = ctx_.world.process(ctx_.world.agentPid);
  return agent && agent->bundleURL ? pathOfFileURL(*agent->bundleURL) : "";
}

}  // namespace sim
