#pragma once
// A display session over a temporary program folder, driven through its
// browser timers on a virtual clock with a fixed "now".
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "support/session_driver.h"
#include "support/test_support.h"

namespace testing_support {

// Wednesday, 11 June 2025, at the given time of day.
inline plat::DateTime Wednesday(int hour = 10, int minute = 15, int second = 30) {
  plat::DateTime t;
  t.year = 2025, t.month = 6, t.day = 11, t.hour = hour, t.minute = minute, t.second = second, t.dayOfWeek = 3;
  return t;
}

class DisplayFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNow(Wednesday());
    dir_.Write("Config/tessarine.ini", "[Settings]\r\nport=8077\r\npreloadTime=1200\r\n");
  }
  void TearDown() override {
    d_.reset();
    SetUniServerModule(nullptr);
    server_.reset();
    plat::SetNowFunction({});
  }
  void SetNow(plat::DateTime t) {
    now_ = t;
    plat::SetNowFunction([this] { return now_; });
  }
  // Opens the display session. Without a day plan it gets the program
  // folder as its base folder and its log starts empty.
  void Open(const std::string& standort = "Halle") {
    d_.reset();  // a display opened before ends first
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
    d_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"standort", standort}});
    if (f().lblPath->Caption() == "lblPath") {
      f().lblPath->SetCaption(dir_.sys());
      f().memoLog->Lines().Clear();  // "standort not found"
    }
  }
  TMainForm& f() { return d_->Form(); }
  // Writes a text file of CR LF lines below the program folder (the name
  // may use backslashes).
  void WriteLines(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    dir_.Write(path, text);
  }
  std::vector<std::string> Scripts() const { return d_->Scripts(); }

  TempDir dir_;
  plat::DateTime now_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> d_;
};

}  // namespace testing_support
