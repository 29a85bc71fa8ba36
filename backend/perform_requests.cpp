#include "backend/perform_requests.h"

#include <algorithm>

namespace backend {

PerformRequests::Id PerformRequests::add(const void* target, const std::string& selector) {
  Id id = next_++;
  requests_.push_back({id, target, selector});
  return id;
}

bool PerformRequests::ran(Id id) {
  auto it = std::find_if(requests_.begin(), requests_.end(),
                         [&](const Request& r) { return r.id == id; });
  if (it == requests_.end()) return false;
  requests_.erase(it);
  return true;
}

std::vector<PerformRequests::Id> PerformRequests::cancelWhere(const void* target,
                                                              const std::string* selector) {
  std::vector<Id> ids;
  std::erase_if(requests_, [&](const Request& r) {
    if (r.target != target || (selector && r.selector != *selector)) return false;
    ids.push_back(r.id);
    return true;
  });
  return ids;
}

std::vector<PerformRequests::Id> PerformRequests::cancel(const void* target) {
  return cancelWhere(target, nullptr);
}

std::vector<PerformRequests::Id> PerformRequests::cancel(const void* target,
                                                         const std::string& selector) {
  return cancelWhere(target, &selector);
}

}  // namespace backend
