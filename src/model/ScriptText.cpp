#include "ScriptText.h"

#include <cctype>

#include <array>
#include <cstdio>
#include <string_view>

#include <unicode/uchar.h>

#include "Errors.h"
#include "FileUtil.h"

namespace scripttext {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[i] (advancing i); bytes that are not valid UTF-8 read as U+FFFD.
char32_t NextCodePoint(const std::string& text, size_t& i) {
  const char32_t code = fileutil::NextCodePoint(text, i);
  return code == fileutil::kNoCodePoint ? kReplacement : code;
}

std::string Hex4(unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04X", value & 0xFFFF);
  return buffer;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsReservedWord(const std::string& text) {
  static const std::array<std::string_view, 48> kWords = {
      "break",      "case",      "catch",  "class",    "const",      "continue",  "debugger",
      "default",    "delete",    "do",     "else",     "enum",       "export",    "extends",
      "false",      "finally",   "for",    "function", "if",         "import",    "in",
      "instanceof", "new",       "null",   "return",   "super",      "switch",    "this",
      "throw",      "true",      "try",    "typeof",   "var",        "void",      "while",
      "with",       "yield",     "let",    "static",   "implements", "interface", "package",
      "private",    "protected", "public", "await",    "arguments",  "eval"};
  for (const std::string_view word : kWords) {
    if (text == word) return true;
  }
  return false;
}

}  // namespace

std::string JsString(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() + 8);
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t code = NextCodePoint(utf8, i);
    switch (code) {
      case '\\':
        out += "\\\\";
        continue;
      case '\'':
        out += "\\'";
        continue;
      case '"':
        out += "\\\"";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
      case '<':
      case '>':
      case '&':
        out += Hex4(static_cast<unsigned>(code));
        continue;
      default:
        break;
    }
    if (code >= 0x20 && code < 0x7F) {
      out += static_cast<char>(code);
    } else if (code <= 0xFFFF) {
      out += Hex4(static_cast<unsigned>(code));
    } else {
      const unsigned value = static_cast<unsigned>(code) - 0x10000;
      out += Hex4(0xD800 + (value >> 10));
      out += Hex4(0xDC00 + (value & 0x3FF));
    }
  }
  return out;
}

std::string HtmlAttribute(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t code = NextCodePoint(utf8, i);
    switch (code) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        out += "&quot;";
        continue;
      case '\'':
        out += "&#39;";
        continue;
      default:
        break;
    }
    if (code >= 0x20 && code < 0x7F) {
      out += static_cast<char>(code);
      continue;
    }
    if (code == 0) code = kReplacement;  // a NUL cannot stand in a page
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(code));
    out += buffer;
  }
  return out;
}

bool IsWholeNumber(const std::string& text) {
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return true;
}

bool IsScriptNameStart(char32_t code) {
  return code == '$' || code == '_' ||
         (code <= 0x10FFFF && u_hasBinaryProperty(static_cast<UChar32>(code), UCHAR_ID_START));
}

bool IsScriptNamePart(char32_t code) {
  return code == '$' || code == 0x200C || code == 0x200D ||
         (code <= 0x10FFFF && u_hasBinaryProperty(static_cast<UChar32>(code), UCHAR_ID_CONTINUE));
}

bool IsScriptIdentifier(const std::string& text) {
  size_t i = 0;
  bool first = true;
  while (i < text.size()) {
    const char32_t code = fileutil::NextCodePoint(text, i);
    if (code == fileutil::kNoCodePoint) return false;
    if (!(first ? IsScriptNameStart(code) : IsScriptNamePart(code))) return false;
    first = false;
  }
  return !first;
}

std::string JsIdentifier(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t code = NextCodePoint(utf8, i);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code <= 0xFFFF) {
      out += Hex4(static_cast<unsigned>(code));
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\u{%X}", static_cast<unsigned>(code));
      out += buffer;
    }
  }
  return out;
}

bool IsHexColor(const std::string& text) {
  if (text.size() != 6) return false;
  for (const char c : text) {
    const char lower = LowerAscii(c);
    if (!IsDigit(c) && !(lower >= 'a' && lower <= 'f')) return false;
  }
  return true;
}

bool IsPlainFileName(const std::string& text) {
  if (text.empty() || text == "." || text.find("..") != std::string::npos) return false;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

std::string LinkHazard(const std::string& link) {
  std::string scheme;
  bool started = false;
  for (const char c : link) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\t' || c == '\n' || c == '\r' || (!started && u <= 0x20)) continue;
    started = true;
    if (c == ':') break;
    if (!std::isalnum(u) && c != '+' && c != '-' && c != '.') return {};  // no scheme
    scheme += static_cast<char>(std::tolower(u));
  }
  if (scheme == "javascript" || scheme == "vbscript") return "runs script";
  if (scheme == "file") return "reaches local files";
  if (scheme == "data") return "can carry a page with script";
  return {};
}

bool IsPublishedPictureName(const std::string& text) {
  const std::string head = "slider", tail = ".jpg";
  if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  const std::string number = text.substr(head.size(), text.size() - head.size() - tail.size());
  return number.find_first_not_of("0123456789") == std::string::npos &&
         (number == "0" || number[0] != '0') && number.size() <= 9;
}

std::string PublishBaseName(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return fileName;
  std::string extension = fileName.substr(dot);
  for (char& c : extension) c = LowerAscii(c);
  std::string lower = fileName;
  for (char& c : lower) c = LowerAscii(c);
  std::string base;
  size_t from = 0;
  for (size_t at = lower.find(extension); at != std::string::npos;
       at = lower.find(extension, from)) {
    base += fileName.substr(from, at - from);
    from = at + extension.size();
  }
  base += fileName.substr(from);
  return base;
}

std::string CanonicalWholeNumber(const std::string& text, const TMessage& what) {
  // Leading blanks and a "+" are accepted as the integer conversions accept them, and dropped.
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  std::string number = text.substr(at);
  const bool plus = !number.empty() && number[0] == '+';
  if (plus) number.erase(0, 1);
  if (!IsWholeNumber(number) || (plus && number[0] == '-')) {
    throw TvError(TV_MESSAGE("model", "%1 '%2' is not a whole number").Arg(what).Arg(text));
  }
  const bool negative = number[0] == '-';
  size_t first = negative ? 1 : 0;
  while (first + 1 < number.size() && number[first] == '0') ++first;
  const std::string digits = number.substr(first);
  if (digits.size() > 10 ||
      (digits.size() == 10 && digits > (negative ? "2147483648" : "2147483647"))) {
    throw TvError(TV_MESSAGE("model", "%1 '%2' is out of range").Arg(what).Arg(text));
  }
  if (digits == "0") return digits;
  return negative ? "-" + digits : digits;
}

std::string CanonicalItemSize(const std::string& text, const TMessage& what) {
  if (text.empty()) return text;
  return CanonicalWholeNumber(text, what);
}

TCheckedDesign CheckDesign(const TSliderData& data, const TItemArray&) {
  const auto identifier = [](const std::string& text, const TMessage& what) {
    if (!IsScriptIdentifier(text)) {
      throw TvError(TV_MESSAGE("model",
                               "%1 '%2' is not a script name (letters, digits, '_' and '$', not "
                               "starting with a digit)")
                        .Arg(what)
                        .Arg(text));
    }
  };
  identifier(data.name, TV_MESSAGE("model", "The slider's name"));
  identifier(data.configName, TV_MESSAGE("model", "The slider's configuration name"));
  if (IsReservedWord(data.configName)) {
    throw TvError(TV_MESSAGE("model",
                             "The slider's configuration name '%1' is a reserved word of the "
                             "script language")
                      .Arg(data.configName));
  }
  const auto color = [](const std::string& text, const TMessage& what) {
    if (!IsHexColor(text))
      throw TvError(
          TV_MESSAGE("model", "%1 '%2' is not six hexadecimal digits").Arg(what).Arg(text));
  };
  color(data.backgroundColour, TV_MESSAGE("model", "The slider's background colour"));
  color(data.imageBorderColour, TV_MESSAGE("model", "The slider's image border colour"));
  color(data.containerBorderColour, TV_MESSAGE("model", "The slider's container border colour"));

  TCheckedDesign checked;
  checked.width = CanonicalWholeNumber(data.width, TV_MESSAGE("model", "The slider's width"));
  checked.height = CanonicalWholeNumber(data.height, TV_MESSAGE("model", "The slider's height"));
  checked.step = CanonicalWholeNumber(data.step, TV_MESSAGE("model", "The slider's step"));
  checked.delay = CanonicalWholeNumber(data.delay, TV_MESSAGE("model", "The slider's delay"));
  checked.gap = CanonicalWholeNumber(data.gap, TV_MESSAGE("model", "The slider's gap"));
  checked.trailerSpace =
      CanonicalWholeNumber(data.trailerSpace, TV_MESSAGE("model", "The slider's trailer space"));
  const auto number = [](const std::string& text, const TMessage& what) {
    return std::stoi(CanonicalWholeNumber(text, what));
  };
  checked.heightValue = std::stoi(checked.height);
  if (checked.heightValue < 1) {
    throw TvError(
        TV_MESSAGE("model", "The slider's height '%1' must be at least 1 pixel").Arg(data.height));
  }
  checked.imageBorderWidth =
      number(data.imageBorderWidth, TV_MESSAGE("model", "The slider's image border width"));
  checked.imageBorderStyle =
      number(data.imageBorderStyle, TV_MESSAGE("model", "The slider's image border style"));
  checked.containerBorderWidth =
      number(data.containerBorderWidth, TV_MESSAGE("model", "The slider's container border width"));
  checked.containerBorderStyle =
      number(data.containerBorderStyle, TV_MESSAGE("model", "The slider's container border style"));
  return checked;
}

int EffectiveImageBorder(const TCheckedDesign& checked) {
  return checked.imageBorderStyle == 0 ? 0 : checked.imageBorderWidth;
}

int EffectiveContainerBorder(const TCheckedDesign& checked) {
  return checked.containerBorderStyle == 0 ? 0 : checked.containerBorderWidth;
}

long long OuterHeight(const TCheckedDesign& checked) {
  return static_cast<long long>(checked.heightValue) + 2LL * EffectiveImageBorder(checked) +
         2LL * EffectiveContainerBorder(checked);
}

}  // namespace scripttext
