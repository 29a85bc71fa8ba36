// The main menu that gives the agent's windows their standard keys.
#include <gtest/gtest.h>

#include <string>

#include "backend/main_menu.h"

namespace {

const backend::MainMenuItem* itemWithKey(const std::vector<backend::MainMenu>& menus,
                                         const std::string& key) {
  for (const auto& menu : menus)
    for (const auto& item : menu.items)
      if (item.keyEquivalent == key) return &item;
  return nullptr;
}

TEST(MainMenu, CommandWClosesTheKeyWindowAndCommandQQuits) {
  const auto menus = backend::standardMainMenu("Vistrel");
  struct Case {
    const char* key;
    const char* action;
    const char* title;
  };
  for (const Case& c :
       {Case{"w", "performClose:", "Close"}, Case{"q", "terminate:", "Quit Vistrel"}}) {
    const auto* item = itemWithKey(menus, c.key);
    ASSERT_NE(item, nullptr) << c.key;
    EXPECT_EQ(item->action, c.action);
    EXPECT_EQ(item->title, c.title);
  }
  // The application menu comes first, whatever its title says.
  ASSERT_FALSE(menus.empty());
  EXPECT_EQ(menus.front().items.front().action, "terminate:");
}

}  // namespace
