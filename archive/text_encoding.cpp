#include "archive/text_encoding.h"

#include <cstdint>

namespace dw {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order. 0x98 has no character.
constexpr char32_t kHighHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t Decode1251(uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kHighHalf[byte - 0x80];
  return char32_t{0x0410} + (byte - 0xC0);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

int Encode1251(char32_t c) {
  if (c < 0x80) return int(c);
  if (c >= 0x0410 && c <= 0x044F) return int(c - 0x0410 + 0xC0);
  if (c == kReplacement) return -1;
  for (int i = 0; i < 64; ++i)
    if (kHighHalf[i] == c) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at text[at]; malformed input yields U+FFFD for
// one byte, so the scan always moves on.
char32_t NextCodePoint(const std::string& text, size_t& at) {
  const auto lead = uint8_t(text[at++]);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 && lead < 0xF8   ? 3
              : lead >= 0xE0                ? 2
              : lead >= 0xC2 && lead < 0xE0 ? 1
                                            : -1;
  if (extra < 0 || at + size_t(extra) > text.size()) return kReplacement;
  char32_t c = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    const auto next = uint8_t(text[at + size_t(i)]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (next & 0x3F);
  }
  at += size_t(extra);
  return c;
}

}  // namespace

std::string Cp1251ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char b : bytes) AppendUtf8(out, Decode1251(uint8_t(b)));
  return out;
}

std::string Utf8ToCp1251(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const int byte = Encode1251(NextCodePoint(text, at));
    out += byte < 0 ? '?' : char(byte);
  }
  return out;
}

bool IsUtf8(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    // A malformed sequence decodes to U+FFFD from one byte; the real
    // character takes three.
    if (NextCodePoint(text, at) == kReplacement && at - start == 1) return false;
  }
  return true;
}

std::string FileNameAsUtf8(const std::string& bytes) {
  return IsUtf8(bytes) ? bytes : Cp1251ToUtf8(bytes);
}

std::optional<std::string> Utf8ToCp1251Exact(const std::string& text, std::string& missing) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    const int byte = Encode1251(NextCodePoint(text, at));
    if (byte < 0) {
      missing = text.substr(start, at - start);
      return std::nullopt;
    }
    out += char(byte);
  }
  return out;
}

}  // namespace dw
