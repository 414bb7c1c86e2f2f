#include "fuzz/display_session.h"

#include <filesystem>
#include <fstream>

#include "fuzz/fuzz.h"
#include "platform/clock.h"

namespace fuzz {
namespace {

constexpr int kRunsPerSession = 40;

void CheckNoBox(const plat::ui::Json& ops) {
  for (const plat::ui::Json& op : testing_support::OpsOf(ops, "box")) {
    throw Failure("the display showed a message box: " + op.value("text", ""));
  }
}

}  // namespace

DisplaySession::DisplaySession() : folder_(WorkFolder() + "program/") {
  std::filesystem::copy(TESS_FUZZ_DEMO, folder_, std::filesystem::copy_options::recursive);
  // Wednesday, 11 June 2025, 10:15:30: the same time windows on every run.
  plat::SetNowFunction([] {
    plat::DateTime t;
    t.year = 2025, t.month = 6, t.day = 11, t.hour = 10, t.minute = 15, t.second = 30, t.dayOfWeek = 3;
    return t;
  });
}

DisplaySession::~DisplaySession() {
  driver_.reset();
  SetUniServerModule(nullptr);
  server_.reset();
  plat::SetNowFunction({});
}

TMainForm& DisplaySession::Form() {
  if (!driver_) {
    driver_.reset();
    SetUniServerModule(nullptr);
    server_ = std::make_unique<TUniServerModule>(folder_);
    SetUniServerModule(server_.get());
    driver_ = std::make_unique<testing_support::SessionDriver>(
        *server_, std::map<std::string, std::string>{{"standort", "Fuzz"}});
    // Without a day plan at the start the display has no base folder yet;
    // the program folder is the one a plan would give.
    driver_->Form().lblPath->SetCaption(driver_->Form().apppath);
    runs_ = 0;
  }
  return driver_->Form();
}

void DisplaySession::Write(std::string_view relative, std::string_view bytes) const {
  const std::filesystem::path p = std::filesystem::path(folder_) / relative;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void DisplaySession::Step(void (*step)(TMainForm&), int advanceMs) {
  if (++runs_ > kRunsPerSession) driver_.reset();
  TMainForm& f = Form();
  try {
    step(f);
  } catch (const std::exception& e) {
    throw Failure(std::string("a display step raised: ") + e.what());
  }
  CheckNoBox(driver_->Send(plat::ui::Json::array()));
  const std::size_t seen = driver_->Ops().size();
  driver_->Advance(advanceMs);
  for (std::size_t i = seen; i < driver_->Ops().size(); ++i) {
    if (driver_->Ops()[i].value("op", "") == "box") {
      throw Failure("the display showed a message box: " + driver_->Ops()[i].value("text", ""));
    }
  }
}

}  // namespace fuzz
