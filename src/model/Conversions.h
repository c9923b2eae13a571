// Conversions of parameter text: colours, fields of a separated line, CSS border pieces, integers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A screen colour: red in the lowest byte, then green, then blue (00BBGGRR). A value with the top
// bit set names a system colour (such as the button face) rather than a mix.
using TColor = std::uint32_t;
constexpr TColor kSystemColorFlag = 0x80000000u;

// Looks up the current RGB value of a system colour; the UI provides it.
using TSystemColorLookup = std::function<TColor(TColor)>;

// Colour to "RRGGBB", upper case. System colours are resolved through lookup (when given).
std::string ColorToHex(TColor color, const TSystemColorLookup& lookup = {});
// "RRGGBB" to a colour. Throws TvConvertError (naming "$00BBGGRR") on a non-hex digit.
TColor HexToColor(const std::string& text);

// The n-th (1-based) field of a line in which every field is followed by sep. Never fails:
// missing fields, n <= 0 and the text after the last separator read as empty.
std::string GetField(const std::string& line, int n, const std::string& sep);

std::string CssColor(const std::string& text);   // "#" + text
std::string CssPixels(const std::string& text);  // text + "px"
// Decimal index 0..9 to its word, any other decimal integer to "solid"; text that is not a decimal
// integer (hexadecimal included) throws TvConvertError.
std::string CssBorderStyle(const std::string& text);

// Whole-number parsing as the rest of the program uses it: optional leading blanks, an optional
// sign, then decimal digits, or "$" / "0x" followed by hexadecimal digits; the value must fit 32
// bits. Anything else throws TvConvertError("'text' is not a valid integer value").
int StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int& value);
// The same without the hexadecimal forms.
bool TryStrToDecimalInt(const std::string& text, int& value);

// The text on one line, as a project file keeps every value: each line break (CR LF, CR or LF)
// becomes one blank.
std::string JoinLines(const std::string& text);

// Leading and trailing blanks and control characters removed.
std::string Trim(const std::string& text);
