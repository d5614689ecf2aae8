// POSIX build: registry.h over the registry files of the Wine prefix the
// game is installed in.
#include <fstream>
#include <iterator>

#include "platform/posix/wine_prefix.h"
#include "platform/posix/wine_registry.h"
#include "platform/registry.h"

namespace {

// Registry files of a real prefix are a few MiB at most; anything far
// larger is not one, and is not read.
constexpr std::streamsize kMaxRegistryFile = 256 << 20;

bool read_file(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamsize size = in.tellg();
  if (size < 0 || size > kMaxRegistryFile) return false;
  in.seekg(0);
  text->assign(static_cast<std::size_t>(size), '\0');
  in.read(&(*text)[0], size);
  text->resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

}  // namespace

bool read_registry_string(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                          std::size_t capacity, std::wstring* data) {
  std::string prefix = wine_prefix();
  if (prefix.empty()) return false;
  std::string text;
  if (!read_file(prefix + (root == RegistryRoot::LocalMachine ? "/system.reg" : "/user.reg"),
                 &text))
    return false;
  std::wstring value;
  if (!find_registry_string(text, key, name, &value) || value.size() + 1 > capacity) return false;
  *data = value;
  return true;
}
