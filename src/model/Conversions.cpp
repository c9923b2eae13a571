#include "Conversions.h"

#include <array>
#include <cstdio>
#include <limits>

#include "Errors.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Characters first..first+count-1 (1-based), as far as they exist.
std::string Piece(const std::string& text, size_t first, size_t count) {
  return first - 1 < text.size() ? text.substr(first - 1, count) : std::string();
}

}  // namespace

std::string ColorToHex(TColor color, const TSystemColorLookup& lookup) {
  if ((color & kSystemColorFlag) != 0 && lookup) color = lookup(color);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%06X", static_cast<unsigned>(color));
  const std::string hex = buffer;
  return Piece(hex, 5, 2) + Piece(hex, 3, 2) + Piece(hex, 1, 2);
}

TColor HexToColor(const std::string& text) {
  const std::string reordered = "$00" + Piece(text, 5, 2) + Piece(text, 3, 2) + Piece(text, 1, 2);
  return static_cast<TColor>(StrToInt(reordered));
}

std::string GetField(const std::string& line, int n, const std::string& sep) {
  std::string field;
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    const size_t at = start <= line.size() ? line.find(sep, start) : std::string::npos;
    if (at == std::string::npos || sep.empty()) {
      // No separator left: this and every further field read as empty.
      return std::string();
    }
    field = line.substr(start, at - start);
    start = at + sep.size();
  }
  return field;
}

std::string CssColor(const std::string& text) { return "#" + text; }

std::string CssPixels(const std::string& text) { return text + "px"; }

std::string CssBorderStyle(const std::string& text) {
  static const std::array<const char*, 10> kWords = {"none",         "dotted", "dashed", "solid",
                                                     "double",       "groove", "ridge",  "inset",
                                                     "window-inset", "outset"};
  // A decimal integer only: "$3" or "0x3" is no border style.
  int index = 0;
  if (!TryStrToDecimalInt(text, index)) throw TvConvertError(text);
  return index >= 0 && index <= 9 ? kWords[static_cast<size_t>(index)] : "solid";
}

namespace {

bool ParseInt(const std::string& text, int& value, bool allowHex) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (!allowHex) {
    // decimal digits only
  } else if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  long long result = 0;
  for (; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0 || digit >= base) return false;
    result = result * base + digit;
    // Hexadecimal text may use all 32 bits (colours with the top bit set); decimal must fit int.
    const long long limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 2147483648LL : 2147483647LL);
    if (result > limit) return false;
  }
  // Hexadecimal text above the int range stands for the 32-bit pattern (a colour with the top bit
  // set); the sign is applied once, to that value.
  const long long magnitude =
      base == 16 && result > std::numeric_limits<int>::max() ? result - 0x100000000LL : result;
  const long long signedValue = negative ? -magnitude : magnitude;
  value =
      static_cast<int>(static_cast<unsigned>(static_cast<long long>(signedValue) & 0xFFFFFFFFLL));
  return true;
}

}  // namespace

bool TryStrToInt(const std::string& text, int& value) { return ParseInt(text, value, true); }

bool TryStrToDecimalInt(const std::string& text, int& value) {
  return ParseInt(text, value, false);
}

int StrToInt(const std::string& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw TvConvertError(text);
  return value;
}

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

std::string JoinLines(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    line += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
  }
  return line;
}
