// User text must reach the browser exactly as typed and must never break out of its string: the
// generated configuration script is run in node with a stand-in runtime that prints what the
// constructor received, and every string is compared with what went in.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "MemoryTree.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buffer[3];
  for (const char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(c));
    out += buffer;
  }
  return out;
}

// Prints the constructor's string arguments and each configuration entry as hex of its UTF-8
// bytes, one per line, so the comparison needs no JSON reader.
const char* const kStandInRuntime = R"(
var window = globalThis;
globalThis.Bmaf = true;
function hex(s) { return Buffer.from(String(s), 'utf8').toString('hex'); }
globalThis.BXae = function (id, width, height, step, delay, gap, trailer, bg, cfg, ib, cb) {
  console.log(hex(id));
  console.log([width, height, step, delay, gap, trailer, ib, cb].join(','));
  console.log(hex(bg));
  for (const entry of cfg) {
    for (const value of entry.slice(0, 4)) console.log(hex(value));
    console.log(entry[4] + 'x' + entry[5]);
  }
};
)";

TEST(GeneratorEscaping, EveryTextReachesTheRuntimeUnchangedAndTheScriptIsAscii) {
  TTempDir dir;
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  model.Slider.divId = "div 'one' \"two\" </script><b>&amp;";
  TMemoryTree tree;
  const std::vector<std::vector<std::string>> values = {
      {"a'b.jpg", "page.html?q='x'&y=\"z\"", "_self", "Don't miss"},
      {"back\\slash.jpg", "javascript:'</script><script>alert(1)</script>'", "_blank",
       "line one\nline two\r\nthree\ttab"},
      {"gr\xC3\xBC\xC3\x9F.jpg", "http://example.com/\xE2\x80\xA8sep\xE2\x80\xA9", "fr\xC3\xA4me",
       "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 emoji \xF0\x9F\x8E\x89"},
      {"", "", "", "-->\x01\x7F<!--"},
  };
  for (const auto& v : values) {
    TItemData item = TestItem(v[0], v[1], v[3]);
    item.target = v[2];
    model.Items.push_back(item);
    tree.AppendChild(0, "Item");
  }
  model.MakeHTMLCodes(dir / "page.html", tree);

  const std::string script = ReadAll(dir / "torvanecfg.js");
  for (const char c : script) {
    ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "the script is not pure ASCII";
  }
  EXPECT_EQ(script.find("</script>"), std::string::npos);
  WriteAll(dir / "run.js", kStandInRuntime + script);
  const TRunResult run = RunCommand("node " + ShellQuote(dir / "run.js"), dir.Path().string());
  ASSERT_EQ(run.exitCode, 0) << run.err;

  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, Hex(model.Slider.divId));
  std::getline(lines, line);
  EXPECT_EQ(line, "370,128,1,39,0,0,4,0");
  std::getline(lines, line);
  EXPECT_EQ(line, Hex("FFFFFF"));
  for (const auto& v : values) {
    for (const std::string& value : v) {
      std::getline(lines, line);
      EXPECT_EQ(line, Hex(value)) << "value: " << value;
    }
    std::getline(lines, line);
    EXPECT_EQ(line, "160x120");
  }

  // The page carries the id as a character-escaped attribute.
  const std::vector<std::string> page = CrLfLines(dir / "page.html");
  EXPECT_EQ(page[19],
            "<div id=\"div &#39;one&#39; &quot;two&quot; &lt;/script&gt;&lt;b&gt;&amp;amp;\" "
            "style=\"width:370px;height:128px;\"></div>");
}

TEST(GeneratorEscaping, AttributeAndStringEscapesCoverNonAsciiAndBrokenBytes) {
  using scripttext::HtmlAttribute;
  using scripttext::JsString;
  EXPECT_EQ(JsString("\xC3\xA9\xE2\x80\xA8\xF0\x9F\x98\x80"), "\\u00E9\\u2028\\uD83D\\uDE00");
  EXPECT_EQ(JsString("a\xFF"
                     "b"),
            "a\\uFFFDb");  // a stray byte cannot open a sequence
  EXPECT_EQ(HtmlAttribute("\xC3\xA9 \xF0\x9F\x98\x80"), "&#xE9; &#x1F600;");
  EXPECT_EQ(HtmlAttribute(std::string("a\0b", 3)), "a&#xFFFD;b");
}

TEST(GeneratorEscaping, ScriptNamesInEveryScriptRunAsTheSameName) {
  using scripttext::IsScriptIdentifier;
  for (const char* name : {"Slider1", "_x", "$",
                           "Galer\xC3\xAD"
                           "a",
                           "\xCE\xA3\xCE\xBB\xCE\xAC\xCE\xB9", "\xE6\xBB\x91\xE5\x9D\x97",
                           "a\xE2\x80\x8C"
                           "b",
                           "\xF0\x9D\x90\x80x"})
    EXPECT_TRUE(IsScriptIdentifier(name)) << name;
  for (const char* name : {"", "1st", "My Slider", "a-b",
                           "\xC2\xB7"
                           "a",
                           "a\xFF", "\xE2\x82\xAC"})
    EXPECT_FALSE(IsScriptIdentifier(name)) << name;
  EXPECT_EQ(scripttext::JsIdentifier("Galer\xC3\xAD"
                                     "a\xF0\x9D\x90\x80"),
            "Galer\\u00EDa\\u{1D400}");

  // The whole configuration script of such a name runs, and hands the runtime its box and items.
  TTempDir dir;
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  const std::string name =
      "Galer\xC3\xAD"
      "a\xF0\x9D\x90\x80";
  model.Slider.name = name;
  model.Slider.configName = name + "cfg";
  model.Slider.divId = name + "_div";
  TMemoryTree tree;
  model.Items.push_back(TestItem("a.jpg", "", "tip"));
  tree.AppendChild(0, "Item");
  model.MakeHTMLCodes(dir / "page.html", tree);
  WriteAll(dir / "run.js", kStandInRuntime + ReadAll(dir / "torvanecfg.js"));
  const TRunResult run = RunCommand("node " + ShellQuote(dir / "run.js"), dir.Path().string());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), Hex(name + "_div"));
  EXPECT_NE(run.out.find(Hex("tip")), std::string::npos);
}

}  // namespace
