#pragma once
// Seeded random-input testing of the file readers. Each target takes one
// input (the bytes of a file), runs the reader on it and checks what must
// hold for every input; the driver feeds it mutations of seed inputs, in an
// order fixed by the seed, for a fixed time or number of runs.
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A broken property: the driver reports it with the input that broke it.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline void Check(bool ok, const std::string& what) {
  if (!ok) throw Failure(what);
}

struct Target {
  std::string name;
  // Tokens the mutator inserts: the markup and separators of the format.
  std::vector<std::string> dictionary;
  // Called once before the first run (set-up that outlives the runs).
  std::function<void()> setUp;
  // Runs one input; true when the reader took it in (parsed it), which
  // makes a mutation more likely to be kept as a seed for further ones.
  std::function<bool(std::string_view input)> run;
  // The longest input made; a reader whose work grows with the lines of
  // its file (a day plan runs three steps per line) gets a file of its size.
  std::size_t maxSize = 64 * 1024;
};

// Adds a target to the driver's table (from a static initialiser).
bool Register(Target target);

// A folder below the temporary folder (shared memory when there is one, as
// the readers write and flush files), removed at exit.
const std::string& WorkFolder();  // with a trailing '/'

}  // namespace fuzz
