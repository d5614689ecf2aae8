// POSIX build: see wine_registry.h.
#include "platform/posix/wine_registry.h"

#include "platform/posix/native_text.h"

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One UTF-8 character at line[*i] (Wine writes ASCII, but be lenient); a
// byte that does not decode stands for itself.
wchar_t next_char(const std::string& line, std::size_t* i) {
  unsigned char b = static_cast<unsigned char>(line[*i]);
  int extra = b >= 0xF8 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra == 0 || *i + static_cast<std::size_t>(extra) >= line.size()) {
    ++*i;
    return static_cast<wchar_t>(b);
  }
  unsigned long c = b & (0x3Fu >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char cont = static_cast<unsigned char>(line[*i + static_cast<std::size_t>(k)]);
    if ((cont & 0xC0) != 0x80) {
      ++*i;
      return static_cast<wchar_t>(b);
    }
    c = (c << 6) | (cont & 0x3F);
  }
  *i += static_cast<std::size_t>(extra) + 1;
  return static_cast<wchar_t>(c);
}

// Reads escaped text from line[*i] up to the unescaped `end` character, and
// leaves *i just past it. False if the line ends first.
bool read_escaped(const std::string& line, std::size_t* i, char end, std::wstring* out) {
  static const char kNamed[] = "a\ab\be\x1b" "f\fn\nr\rt\tv\v";
  while (*i < line.size()) {
    char c = line[*i];
    if (c == end) {
      ++*i;
      return true;
    }
    if (c != '\\') {
      *out += next_char(line, i);
      continue;
    }
    if (++*i >= line.size()) return false;
    c = line[*i];
    if (c == 'x' && *i + 1 < line.size() && hex_digit(line[*i + 1]) >= 0) {
      unsigned value = 0;
      ++*i;
      for (int n = 0; n < 4 && *i < line.size() && hex_digit(line[*i]) >= 0; ++n, ++*i)
        value = value * 16 + static_cast<unsigned>(hex_digit(line[*i]));
      *out += static_cast<wchar_t>(value);
    } else if (c >= '0' && c <= '7') {
      unsigned value = 0;
      for (int n = 0; n < 3 && *i < line.size() && line[*i] >= '0' && line[*i] <= '7'; ++n, ++*i)
        value = value * 8 + static_cast<unsigned>(line[*i] - '0');
      *out += static_cast<wchar_t>(value);
    } else {
      wchar_t named = static_cast<wchar_t>(static_cast<unsigned char>(c));
      for (const char* p = kNamed; *p != '\0'; p += 2) {
        if (*p == c) named = static_cast<wchar_t>(static_cast<unsigned char>(p[1]));
      }
      *out += named;  // \\, \", \] and unknown escapes stand for the character
      ++*i;
    }
  }
  return false;
}

// A value line: "name"=data or @=data. Sets `is_string` and `text` for
// string data; false if the line is not a well-formed value line.
bool parse_value_line(const std::string& line, std::wstring* name, bool* is_string,
                      std::wstring* text) {
  std::size_t i = 0;
  if (line[0] == '@') {
    i = 1;
  } else if (line[0] == '"') {
    i = 1;
    if (!read_escaped(line, &i, '"', name)) return false;
  } else {
    return false;
  }
  if (i >= line.size() || line[i] != '=') return false;
  ++i;
  if (line.compare(i, 4, "str(") == 0) {
    std::size_t close = line.find("):", i);
    if (close == std::string::npos) return false;
    i = close + 2;
  }
  *is_string = i < line.size() && line[i] == '"';
  if (!*is_string) return true;
  ++i;
  if (!read_escaped(line, &i, '"', text)) return false;
  return true;
}

}  // namespace

bool find_registry_string(const std::string& file, const std::wstring& key,
                          const std::wstring& name, std::wstring* data) {
  const std::wstring wanted = name == L"@" ? std::wstring() : name;
  bool in_key = false;
  std::size_t pos = 0;
  bool first_line = true;
  while (pos < file.size()) {
    std::size_t end = file.find('\n', pos);
    if (end == std::string::npos) end = file.size();
    std::string line = file.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first_line) {
      if (line.compare(0, 23, "WINE REGISTRY Version 2") != 0) return false;
      first_line = false;
      continue;
    }
    if (line.empty()) continue;
    if (line[0] == '[') {
      std::size_t i = 1;
      std::wstring section;
      in_key = read_escaped(line, &i, ']', &section) && same_ignoring_case(section, key);
      continue;
    }
    if (!in_key) continue;
    std::wstring value_name, text;
    bool is_string = false;
    if (!parse_value_line(line, &value_name, &is_string, &text)) continue;
    if (!same_ignoring_case(value_name, wanted)) continue;
    if (!is_string) return false;
    std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    *data = text;
    return true;
  }
  return false;
}
