#include "backend/main_menu.h"

namespace backend {

std::vector<MainMenu> standardMainMenu(const std::string& appName) {
  // terminate: reaches the application, performClose: the key window.
  return {
      {appName, {{"Quit " + appName, "terminate:", "q"}}},
      {"Window", {{"Close", "performClose:", "w"}}},
  };
}

}  // namespace backend
