// Fuzz target: one recording's repair. Each input is written to a file and
// repaired; the outcome and the bytes afterwards must be the model's, and a
// second repair must find the file sound.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "repair/repair.h"
#include "tests/recording_model.h"

namespace {

// The file every input is written to, by absolute path: libFuzzer reads its
// corpus by relative paths, so the current folder must stay as it is.
const std::string& scratch_file() {
  static const std::string path = [] {
    char folder[] = "/tmp/mg1fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    return std::string(folder) + "/fuzz.mg1";
  }();
  return path;
}

std::vector<unsigned char> read_back() {
  std::ifstream in(scratch_file(), std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::wstring name(scratch_file().begin(), scratch_file().end());
  std::vector<unsigned char> before(data, data + size);
  {
    std::ofstream out(scratch_file(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ModelResult expected = model_repair(before);
  RepairOutcome outcome = repair_recording(name);
  if (outcome != expected.outcome) std::abort();
  if (read_back() != expected.after) std::abort();
  if (outcome == RepairOutcome::Repaired && repair_recording(name) != RepairOutcome::Ok)
    std::abort();
  return 0;
}
