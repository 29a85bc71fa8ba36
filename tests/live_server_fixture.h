// A live server on 127.0.0.1 on a free port, in this process, for a test:
// its desktop, its limits and its wall clock (which a test may move on)
// are the test's own. Stopped at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <thread>

#include "app/entry.h"
#include "sim/scenario/scenario.h"
#include "sim/serve/live_server.h"
#include "tests/live_http_client.h"

namespace live_test {

using sim::serve::LiveLoop;
using sim::serve::LiveServer;
using sim::serve::ServeLimits;

inline sim::DesktopOptions desktopOptions() { return {agentMain, VISTREL_RESOURCE_DIR, {}, {}}; }

// The trace that a scenario file replays to.
inline std::string replay(const std::string& scenarioText) {
  std::istringstream in(scenarioText);
  std::ostringstream out;
  sim::Desktop desktop(sim::parseScenario(in, "session.scn"), out, desktopOptions());
  desktop.run();
  return out.str();
}

// A scenario whose lines, all due at once, fill the session's trace.
inline std::string filling(std::size_t lines) {
  const std::string value(2000, 'x');
  std::string text;
  for (std::size_t i = 0; i < lines; ++i)
    text += "at 0.001 defaults Key" + std::to_string(i % 50) + " string \"" + value +
            std::to_string(i) + "\"\n";
  return text;
}

class LiveServerTest : public testing::Test {
 protected:
  void start(ServeLimits limits = {}, const std::string& scenario = "",
             sim::LiveLimits session = {}) {
    auto clockStart = std::chrono::steady_clock::now();
    loop_ = std::make_unique<LiveLoop>(
        [scenario, session](sim::Nanos wallNow) {
          return std::make_unique<sim::LiveSession>(sim::LiveSetup::fromText(scenario, "live.scn"),
                                                    desktopOptions(), wallNow, session);
        },
        nullptr,
        [this, clockStart] {
          return std::chrono::duration_cast<std::chrono::nanoseconds>(
                     std::chrono::steady_clock::now() - clockStart)
                     .count() +
                 wallJump_.load();
        });
    server_ =
        std::make_unique<LiveServer>(*loop_, std::string(VISTREL_RESOURCE_DIR) + "/web", limits);
    ASSERT_TRUE(server_->bind(0));
    loop_->start();
    thread_ = std::thread([this] { server_->listen(); });
  }
  void TearDown() override {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
    if (loop_) loop_->stop();
    // The server uses the loop: it goes first, and a test may start again.
    server_.reset();
    loop_.reset();
  }

  int port() const { return server_->port(); }
  std::string own() const { return "127.0.0.1:" + std::to_string(port()); }
  std::pair<std::string, std::string> bearer() const {
    return {"Authorization", "Bearer " + server_->token()};
  }

  // A request with the token; its answer (status 0 when none came in time).
  Reply get(const std::string& path, Headers headers = {}) {
    headers.push_back(bearer());
    return exchange(port(), request("GET", path, port(), headers)).value_or(Reply{});
  }
  Reply post(const std::string& path, const std::string& body, Headers headers = {}) {
    headers.push_back(bearer());
    return exchange(port(), request("POST", path, port(), headers, body)).value_or(Reply{});
  }

  // Asks /state until `holds` is true of it, for a few seconds at most.
  nlohmann::json stateWhen(const std::function<bool(const nlohmann::json&)>& holds) {
    auto deadline = within(kWait);
    nlohmann::json state;
    for (int i = 0; i < 500 && std::chrono::steady_clock::now() < deadline; ++i) {
      auto r = get("/state");
      if (r.status == 200) state = nlohmann::json::parse(r.body);
      if (r.status == 200 && holds(state)) return state;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // between polls only
    }
    ADD_FAILURE() << "the state never came to hold: " << state.dump();
    return state;
  }

  std::unique_ptr<LiveLoop> loop_;
  std::unique_ptr<LiveServer> server_;
  std::thread thread_;
  std::atomic<sim::Nanos> wallJump_{0};  // added to the wall clock the loop reads
};

}  // namespace live_test
