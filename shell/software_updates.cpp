#include "app/app_delegate.h"

std::optional<std::string> AppDelegate::getFeedURL() { return std::nullopt; }

void AppDelegate::checkUpates(platform::NibObject*) {}

void AppDelegate::configureUpdater() {}
