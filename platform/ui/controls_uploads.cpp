// The upload window and the upload drop zone.
#include "platform/ui/controls_uploads.h"

#include <algorithm>
#include <filesystem>

#include "platform/clock.h"
#include "platform/log.h"

#include "platform/ui/controls_util.h"
#include "platform/ui/form.h"

namespace plat::ui {

namespace {

// The name part of a system path (either separator).
std::string CacheToken(const std::string& cache) {
  std::size_t cut = cache.find_last_of("/\\");
  return cut == std::string::npos ? cache : cache.substr(cut + 1);
}

}  // namespace

TUniCustomFileUpload::TUniCustomFileUpload(Form* owner) : Control(owner) {
  RegisterEvent("OnMultiCompleted", &OnMultiCompleted);
}

TUniCustomFileUpload::~TUniCustomFileUpload() {
  std::vector<UploadedFile> unclaimed;
  for (const Received& r : received_) unclaimed.push_back(r.file);
  EraseUploadedFiles(unclaimed);
}

std::string TUniCustomFileUpload::Message(std::string_view key) const {
  const Json& m = Prop("messages");
  if (!m.is_object()) return {};
  auto it = m.find(key);
  return it != m.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void TUniCustomFileUpload::SetMessage(std::string_view key, std::string_view text) {
  Json m = Prop("messages").is_object() ? Prop("messages") : Json::object();
  m[std::string(key)] = std::string(text);
  SetProp("messages", std::move(m));
}

Json TUniCustomFileUpload::AcceptReceivedFiles(std::vector<UploadedFile> files) {
  Json answer = Json::array();
  const std::int64_t now = MonotonicMs();
  for (UploadedFile& f : files) {
    Received r{std::move(f), {}};
    r.token = CacheToken(r.file.cache);
    std::error_code ec;
    r.bytes = std::filesystem::file_size(r.file.cache, ec);
    if (ec) r.bytes = 0;
    r.receivedMs = now;
    answer.push_back({{"name", r.file.name}, {"cache", r.token}});
    received_.push_back(std::move(r));
  }
  DropUnclaimed(files.size());
  return answer;
}

void TUniCustomFileUpload::DropUnclaimed(std::size_t keep) {
  const std::int64_t now = MonotonicMs();
  std::uint64_t bytes = 0;
  for (const Received& r : received_) bytes += r.bytes;
  std::vector<UploadedFile> doomed;
  std::size_t i = 0;
  while (i + keep < received_.size()) {
    const Received& r = received_[i];
    if (now - r.receivedMs < kUnclaimedMs && received_.size() <= kMaxUnclaimedFiles && bytes <= kMaxUnclaimedBytes) {
      ++i;
      continue;
    }
    bytes -= r.bytes;
    doomed.push_back(r.file);
    received_.erase(received_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (doomed.empty()) return;
  LogLine((Stream() ? Stream()->LogName() + ": " : std::string()) + Name() + ": " + std::to_string(doomed.size()) +
          " uploaded files never claimed, removed");
  EraseUploadedFiles(doomed);
}

TUniCustomFileUpload* TUniCustomFileUpload::UploadTarget(ChangeStream& page, int id) {
  auto* c = dynamic_cast<TUniCustomFileUpload*>(page.FindById(id));
  return c && c->AcceptsBrowserEvents() ? c : nullptr;
}

bool TUniCustomFileUpload::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (type != "upload") return Control::HandleBrowserEvent(type, ev);
  auto it = ev.find("files");
  if (it == ev.end() || !it->is_array()) return detail::Refused(*this, ev, "no files");
  // Only files this control received; each once.
  std::vector<UploadedFile> files;
  for (const Json& f : *it) {
    const std::string token =
        f.is_object() && f.contains("cache") && f["cache"].is_string() ? f["cache"].get<std::string>() : std::string();
    auto r = std::find_if(received_.begin(), received_.end(),
                          [&](const Received& x) { return !token.empty() && x.token == token; });
    if (r == received_.end()) {
      detail::Refused(*this, f, "not a file received for this upload");
      continue;
    }
    files.push_back(std::move(r->file));
    received_.erase(r);
  }
  if (files.empty()) return detail::Refused(*this, ev, "no file of this upload");

  // The cache files go after the handler, however it ends.
  struct Eraser {
    const std::vector<UploadedFile>& files;
    ~Eraser() { EraseUploadedFiles(files); }
  } eraser{files};
  UploadFinished();
  OnMultiCompleted(this, files);
  return true;
}

void TUniFileUpload::Execute() {
  // Sent even when "show" is already true: the browser closes the window by
  // itself and does not say so.
  StoreFromBrowser("show", true);
  MarkChanged("show");
}

void TUniFileUpload::UploadFinished() { StoreFromBrowser("show", false); }

bool TUniFileUpload::AcceptsBrowserEvents() const {
  // A window of its own: its place on the form does not matter, but it
  // takes files only while Execute has it open.
  return Enabled() && Prop("show") == true && Owner() && Owner()->IsShown();
}

}  // namespace plat::ui
