// Text rules for the files we generate: how user text is escaped into the configuration script
// and the page, which parameter values may be written at all, and the names of published files.
//
// The design arrives from the panels or from a project file that may have been shared, so every
// value is checked or escaped before it reaches a script or a page: nothing a project file holds
// can run as script in the published page, and the browser receives exactly the text typed.
#pragma once

#include <string>

#include "ProjectModel.h"

namespace scripttext {

// The body of a single-quoted JavaScript string (quotes not included) that reads back as the
// given UTF-8 text. The result is pure ASCII: quotes, backslashes, line breaks, control
// characters, "<", ">" and "&" are escaped, and every non-ASCII character is written as \uXXXX
// (characters beyond U+FFFF as a surrogate pair). Bytes that are not valid UTF-8 become U+FFFD.
std::string JsString(const std::string& utf8);

// The text of a double-quoted HTML attribute value that reads back as the given UTF-8 text; pure
// ASCII, with markup characters and non-ASCII characters written as character references.
std::string HtmlAttribute(const std::string& utf8);

// "-"? digits, nothing else (no blanks, no "+", no hexadecimal).
bool IsWholeNumber(const std::string& text);
// A name the page's script can use (UTF-8): a first character that may begin a script name
// (a Unicode letter of ID_Start, "$" or "_") and then characters that may continue one
// (ID_Continue,
// "$", zero-width joiner and non-joiner). Not empty; text that is not valid UTF-8 is no name.
bool IsScriptIdentifier(const std::string& text);
bool IsScriptNameStart(char32_t code);
bool IsScriptNamePart(char32_t code);
// A script name as pure ASCII that the script reads as the same name: every non-ASCII character
// as \uXXXX (\u{XXXXX} beyond U+FFFF). Also right inside a single-quoted string.
std::string JsIdentifier(const std::string& utf8);
// Exactly six hexadecimal digits.
bool IsHexColor(const std::string& text);
// A bare file name that can only ever name a file inside the folder it is joined to: not empty,
// no folder separator, no "..", no drive colon, no control characters, not "." .
bool IsPlainFileName(const std::string& text);
// A name the generator gives a published picture: "slider" and a whole number without leading
// zeros, then ".jpg" ("slider0.jpg", "slider12.jpg"). Only such names are copied, listed or
// published as an item's picture: a project cannot make publishing pick up any other file.
bool IsPublishedPictureName(const std::string& text);

// What following a link does besides opening a page or a mail, in words for a warning ("runs
// script", "reaches local files", "can carry a page with script"), or "" for an ordinary link.
// The scheme is read as browsers read it: leading blanks and control characters and every tab or
// line break left out, letter case ignored.
std::string LinkHazard(const std::string& link);

// The base name of the published files for a project file name: every occurrence of its
// extension (from the last "." on), compared without regard to letter case, is removed.
// "show.tvn" and "show" give "show"; "x.TVNy.tvn" gives "xy".
std::string PublishBaseName(const std::string& fileName);

// The values of a design as they are written into the generated files, after checking them.
struct TCheckedDesign {
  std::string width, height, step, delay, gap, trailerSpace;  // canonical decimal text
  int heightValue = 0;
  int imageBorderWidth = 0, imageBorderStyle = 0;
  int containerBorderWidth = 0, containerBorderStyle = 0;
};

// Checks every slider value the generator writes without escaping and throws TvError naming the
// field and the value ("The slider's step 'alert(1)' is not a whole number") on the first bad
// one. Numbers are written back in canonical form (no leading blanks, "+" or zeros), so "010"
// cannot turn into an octal literal in the script. The items' widths and heights are checked by
// the generator, and only for items whose picture it does not make again.
TCheckedDesign CheckDesign(const TSliderData& data, const TItemArray& items);

// The border widths that take room (a border of style "none" takes none), and the slider box's
// outer height: the picture height plus both borders twice.
int EffectiveImageBorder(const TCheckedDesign& checked);
int EffectiveContainerBorder(const TCheckedDesign& checked);
long long OuterHeight(const TCheckedDesign& checked);

// Canonical decimal text of a whole number (leading blanks, a "+" and leading zeros dropped, "-0"
// gives "0"); what is left must satisfy IsWholeNumber and fit 32 bits, else TvError with `what`
// and the value.
std::string CanonicalWholeNumber(const std::string& text, const TMessage& what);
// The same for an item's width or height, which may also be empty (then "" is returned).
std::string CanonicalItemSize(const std::string& text, const TMessage& what);

}  // namespace scripttext
