#include "platform/io/file_lock.h"

#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "platform/io/path.h"
#include "platform/io/utf8.h"

namespace plat::io {
namespace {

struct Entry {
  std::recursive_mutex mutex;
  int users = 0;  // holders and waiters; the entry goes when none is left
};

// The locks of the files being written now.
struct Table {
  std::mutex mutex;
  std::unordered_map<std::string, Entry> entries;  // nodes stay where they are
};

Table& Locks() {
  static Table* table = new Table;  // never destroyed: writers may run during exit
  return *table;
}

std::string LockKey(std::string_view systemPath) {
  const std::filesystem::path resolved = Resolve(systemPath);
  std::error_code ec;
  std::filesystem::path real = std::filesystem::weakly_canonical(resolved, ec);
  if (ec) real = std::filesystem::absolute(resolved, ec);
  if (ec) real = resolved;
  return utf8::ToLower(real.string());
}

}  // namespace

FileLock::FileLock(std::string_view systemPath) : key_(LockKey(systemPath)) {
  Table& t = Locks();
  Entry* e;
  {
    std::lock_guard<std::mutex> guard(t.mutex);
    e = &t.entries[key_];
    ++e->users;
  }
  e->mutex.lock();
}

FileLock::~FileLock() {
  Table& t = Locks();
  std::lock_guard<std::mutex> guard(t.mutex);
  auto it = t.entries.find(key_);
  it->second.mutex.unlock();
  if (--it->second.users == 0) t.entries.erase(it);
}

}  // namespace plat::io
