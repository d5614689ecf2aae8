// The tests' entry: the same locale on every machine, so that names outside
// ASCII convert the same way wherever the tests run.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
  if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) std::setlocale(LC_ALL, "");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
