// Thousands of generated recordings, each repaired for real and held to an
// independent model (recording_model.h): the length and every byte from 4 on
// never change; bytes 0 to 3 change only on " repaired", and then point at the
// lowest marker at offset 4 or more; the outcome and the tallies are the
// model's; and a second run finds every repaired file sound.
//
// Seeded and reproducible: MG1_PROPERTY_SEED and MG1_PROPERTY_CASES choose
// another run.
#include <cstdlib>
#include <random>
#include <sstream>

#include "platform/console.h"
#include "repair/tally.h"
#include "tests/recording_model.h"
#include "tests/test_support.h"

namespace {

std::uint64_t env_number(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

// Read boundaries of the scan (64 KiB, then 256 KiB pieces) and of the search's
// 64-byte rounds, where markers are most worth placing.
const std::size_t kBoundaries[] = {64, 128, 4096, 65536, 65536 + 262144};

struct Generated {
  Bytes bytes;
  std::string description;
};

Generated generate(std::mt19937_64& rng) {
  auto below = [&](std::uint64_t n) { return n == 0 ? 0 : rng() % n; };
  std::ostringstream what;

  std::size_t size;
  switch (below(20)) {
    case 0: case 1: case 2: case 3: case 4: case 5: size = below(65); break;
    case 6: case 7: case 8: case 9: case 10: case 11: size = 64 + below(4096); break;
    case 12: case 13: case 14: case 15: case 16: size = 4096 + below(70000); break;
    case 17: case 18: size = 60000 + below(100000); break;
    default: size = 300000 + below(60000); break;
  }
  what << "size " << size;

  Bytes b(size);
  std::uint64_t filler = below(6);
  unsigned char wrong_byte = static_cast<unsigned char>(1 + below(7));
  for (std::size_t i = 0; i < size; ++i) {
    switch (filler) {
      case 0: b[i] = static_cast<unsigned char>(rng()); break;
      case 1: b[i] = below(3) == 0 ? static_cast<unsigned char>(rng()) : 0; break;
      case 2: b[i] = 0x03; break;
      case 3: b[i] = 0xF4; break;
      case 4: b[i] = i % 8 == wrong_byte ? static_cast<unsigned char>(kMarker[i % 8] ^ 0x01) : kMarker[i % 8]; break;
      default: b[i] = (i / 4) % 5 == 0 ? (i % 4 == 0 ? 3 : 0) : static_cast<unsigned char>(rng()); break;
    }
  }
  what << ", filler " << filler;

  std::vector<std::size_t> placed;
  std::uint64_t markers = below(4);
  for (std::uint64_t m = 0; m < markers && size >= 8; ++m) {
    std::size_t at;
    switch (below(5)) {
      case 0: at = below(4); break;                              // overlapping the field
      case 1: at = size - 8; break;                              // at the very end
      case 2: {                                                  // around a boundary
        std::size_t edge = kBoundaries[below(5)];
        at = edge + 8 > size ? below(size - 7) : edge - below(std::min<std::size_t>(edge, 9));
        break;
      }
      default: at = below(size - 7); break;
    }
    if (at + 8 > size) at = size - 8;
    for (std::size_t k = 0; k < 8; ++k) b[at + k] = kMarker[k];
    placed.push_back(at);
    what << ", marker at " << at;
  }
  if (size >= 12 && below(4) == 0) {  // the start of a marker cut off by the end
    std::size_t keep = 1 + below(7);
    for (std::size_t k = 0; k < keep; ++k) b[size - keep + k] = kMarker[k];
    what << ", " << keep << " marker bytes at the end";
  }

  if (size >= 4) {
    std::uint32_t field = 0;
    switch (below(5)) {
      case 0: case 1: field = 0; break;
      case 2: field = static_cast<std::uint32_t>(below(size + 16)); break;
      case 3: field = placed.empty() ? 0 : static_cast<std::uint32_t>(placed[below(placed.size())]); break;
      default: field = static_cast<std::uint32_t>(rng()); break;
    }
    b = with_field(b, field);
    what << ", field " << field;
  }
  return {b, what.str()};
}

class PropertyTest : public ScratchFolder {};

TEST_F(PropertyTest, RepairsMatchTheModel) {
  const std::uint64_t seed = env_number("MG1_PROPERTY_SEED", 20261211);
  const std::uint64_t cases = env_number("MG1_PROPERTY_CASES", 10000);
  std::mt19937_64 rng(seed);
  std::wstring output;
  console_capture(&output);
  reset_tally();
  RepairTally expected{0, 0, 0};
  int repaired = 0;
  for (std::uint64_t n = 0; n < cases; ++n) {
    Generated g = generate(rng);
    ModelResult model = model_repair(g.bytes);
    write_bytes("rec.mg1", g.bytes);
    output.clear();
    repair_file(L"rec.mg1");
    if (model.outcome == RepairOutcome::Repaired) ++expected.recordings_repaired;
    if (model.outcome == RepairOutcome::ScanError) ++expected.invalid_files;
    std::string context = "seed " + std::to_string(seed) + ", case " + std::to_string(n) + ": " +
                          g.description;
    ASSERT_EQ(output, outcome_message(model.outcome)) << context;
    ASSERT_EQ(read_bytes("rec.mg1"), model.after) << context;
    ASSERT_EQ(repair_tally.recordings_repaired, expected.recordings_repaired) << context;
    ASSERT_EQ(repair_tally.invalid_files, expected.invalid_files) << context;
    if (model.outcome == RepairOutcome::Repaired) {
      ++repaired;
      output.clear();
      repair_file(L"rec.mg1");
      ASSERT_EQ(output, L" OK\n") << context;
      ASSERT_EQ(read_bytes("rec.mg1"), model.after) << context;
    }
  }
  console_capture(nullptr);
  std::cout << cases << " generated recordings (seed " << seed << "), " << repaired
            << " repaired, " << expected.invalid_files << " without a usable marker\n";
}

}  // namespace
