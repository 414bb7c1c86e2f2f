#pragma once
// Uploads: the upload window and the drop zone.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/uploaded_files.h"

namespace plat::ui {

using MultiCompletedEvent = Event<Component*, const std::vector<UploadedFile>&>;

// The filter is the browser's accept list (checked in the browser only).
// The messages are the texts of the upload: uploading, pleaseWait,
// uploadError, timeout, maxFiles, cancel, processing, upload, selectFile,
// browse.
#define TESS_FILE_UPLOAD_PROPERTIES(P)   \
  P(Text, Filter, "filter", )            \
  P(Int, MaxFiles, "maxFiles", 0)        \
  P(Int, TimeoutSecs, "timeoutSecs", 0)  \
  P(Key, Messages, "messages", )         \
  P(Key, MultipleFiles, "multipleFiles", )

// The upload route streams the posted files to cache files (ReceiveUpload),
// then, under the session's lock, hands them to the control with
// AcceptReceivedFiles and answers the browser with what that returns. The
// browser then sends an "upload" event naming those files; only files this
// control received are taken. OnMultiCompleted gets them in the order of the
// event, and afterwards their cache files are erased (also when the handler
// raises). Files never claimed are erased with the control, after
// kUnclaimedMs, and the oldest of them once more than kMaxUnclaimedFiles or
// kMaxUnclaimedBytes wait (a page that uploads and never claims cannot fill
// the disk).
class TUniCustomFileUpload : public Control {
 public:
  explicit TUniCustomFileUpload(Form* owner);
  ~TUniCustomFileUpload() override;
  TESS_PROPERTIES(Control, TESS_FILE_UPLOAD_PROPERTIES)
  std::string Message(std::string_view key) const;
  void SetMessage(std::string_view key, std::string_view text);

  MultiCompletedEvent OnMultiCompleted;

  static constexpr std::size_t kMaxUnclaimedFiles = 64;
  static constexpr std::uint64_t kMaxUnclaimedBytes = std::uint64_t{16} << 30;
  static constexpr std::int64_t kUnclaimedMs = 10 * 60 * 1000;
  std::size_t UnclaimedFiles() const { return received_.size(); }

  // The answer for the browser: [{name, cache}] where cache is a token for
  // the file, not its path.
  Json AcceptReceivedFiles(std::vector<UploadedFile> files);
  // The upload control of that id on the page that may take files now, or
  // nullptr. Call under the session's lock.
  static TUniCustomFileUpload* UploadTarget(ChangeStream& page, int id);

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 protected:
  virtual void UploadFinished() {}

 private:
  struct Received {
    UploadedFile file;
    std::string token;
    std::uint64_t bytes = 0;
    std::int64_t receivedMs = 0;
  };
  // Erases unclaimed files beyond the bounds, oldest first; the newest
  // `keep` stay (the files just received).
  void DropUnclaimed(std::size_t keep);
  std::vector<Received> received_;
};

// The window is open while "show" is set (by Execute, and again by every
// Execute).
#define TESS_UPLOAD_WINDOW_PROPERTIES(P) \
  P(Text, Title, "title", )              \
  P(Key, Show, "show", )

// The upload window: shown by Execute, which returns at once; the files come
// later through OnMultiCompleted.
class TUniFileUpload : public TUniCustomFileUpload {
 public:
  explicit TUniFileUpload(Form* owner) : TUniCustomFileUpload(owner) {}
  const char* ClassName() const override { return "TUniFileUpload"; }
  TESS_PROPERTIES(TUniCustomFileUpload, TESS_UPLOAD_WINDOW_PROPERTIES)
  void Execute();
  bool AcceptsBrowserEvents() const override;

 protected:
  void UploadFinished() override;
};

#define TESS_UPLOAD_BUTTON_PROPERTIES(P) P(Text, Caption, "caption", )

// A drop zone on the page: files dropped on it or chosen by a click.
class TUniFileUploadButton : public TUniCustomFileUpload {
 public:
  explicit TUniFileUploadButton(Form* owner) : TUniCustomFileUpload(owner) {}
  const char* ClassName() const override { return "TUniFileUploadButton"; }
  TESS_PROPERTIES(TUniCustomFileUpload, TESS_UPLOAD_BUTTON_PROPERTIES)
};

}  // namespace plat::ui
