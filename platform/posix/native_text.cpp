// POSIX build: see native_text.h.
#include "platform/posix/native_text.h"

#include <climits>
#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kEscapeBase = 0xDC00;

bool is_escaped_byte(wchar_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// Encodes `text` in the locale's encoding. Escaped bytes come back as they
// were when `keep_bytes` is set, as "?" otherwise; characters the locale
// cannot encode become "?".
std::string encode(const std::wstring& text, bool keep_bytes) {
  std::string out;
  out.reserve(text.size());
  std::mbstate_t state{};
  char buf[MB_LEN_MAX];
  for (wchar_t c : text) {
    if (static_cast<unsigned>(c) < 0x80) {  // ASCII is the same everywhere
      out += static_cast<char>(c);
    } else if (is_escaped_byte(c)) {
      out += keep_bytes ? static_cast<char>(c - kEscapeBase) : '?';
    } else {
      std::size_t n = std::wcrtomb(buf, c, &state);
      if (n == static_cast<std::size_t>(-1)) {
        state = std::mbstate_t{};
        out += '?';
      } else {
        out.append(buf, n);
      }
    }
  }
  return out;
}

}  // namespace

std::wstring from_native(const std::string& bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  std::mbstate_t state{};
  std::size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<wchar_t>(b);
      ++i;
      continue;
    }
    wchar_t c = 0;
    std::size_t n = std::mbrtowc(&c, bytes.data() + i, bytes.size() - i, &state);
    if (n == 0 || n > bytes.size() - i || is_escaped_byte(c)) {
      // Invalid, incomplete or ambiguous: keep the byte itself.
      state = std::mbstate_t{};
      out += static_cast<wchar_t>(kEscapeBase + b);
      ++i;
    } else {
      out += c;
      i += n;
    }
  }
  return out;
}

std::string to_native(const std::wstring& text) { return encode(text, true); }

std::string to_display(const std::wstring& text) { return encode(text, false); }

bool same_ignoring_case(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
      return false;
  }
  return true;
}
