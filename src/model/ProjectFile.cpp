// The project file: tagged text, one line for the slider parameters and one line per item, every
// value followed by the separator. Written as UTF-8 with CR LF; read with CR LF or LF, UTF-8 or
// Windows-1252.
#include <cstddef>

#include "AppletAgent.h"
#include "Errors.h"
#include "FileUtil.h"
#include "WYSIWYG_Utility.h"

namespace {

const char* const kProductLine = "Torvane";
const char* const kRejected = "This file wasn't saved by Torvane 1.1, open failed!";

const char* const kAppletFieldNames[kAppletFieldCount] = {
    "slider name", "configuration name", "container id", "width", "height", "step", "delay", "gap",
    "trailer space", "background colour", "spare configuration name", "image border width",
    "image border style", "image border colour", "container border width",
    "container border style", "container border colour", "local root folder", "web root folder",
    "path option"};
const char* const kItemFieldNames[kItemFieldCount] = {
    "image file", "original image", "link", "target", "tooltip", "width", "height", "level",
    "spare value"};

// A value that holds the separator or a line break would come back from the file as different
// values; refuse it before anything is written.
void CheckStorable(const std::string& value, const std::string& what, const std::string& sep) {
  if (value.find(sep) != std::string::npos) {
    throw TvError("The " + what + " '" + value + "' contains \"" + sep +
                  "\", which a project file cannot hold");
  }
  if (value.find_first_of("\r\n") != std::string::npos) {
    throw TvError("The " + what + " '" + value + "' contains a line break, which a project file " +
                  "cannot hold");
  }
}

// Reading the file line by line, with the end of the file as the only way out.
class TLineReader {
 public:
  explicit TLineReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  bool Read(std::string& line) {
    if (next_ >= lines_.size()) return false;
    line = lines_[next_++];
    return true;
  }
  // Reads lines until one equals tag; the current line already counts.
  bool SkipTo(std::string& line, const std::string& tag) {
    while (line != tag) {
      if (!Read(line)) return false;
    }
    return true;
  }

 private:
  std::vector<std::string> lines_;
  size_t next_ = 0;
};

}  // namespace

void TqelAppletAgent::SaveProject(const std::string& fileName) {
  const TStringArray slider = AppletDataToStrings(AppletData);
  for (size_t f = 0; f < slider.size(); ++f) {
    CheckStorable(slider[f], std::string("slider's ") + kAppletFieldNames[f], Separator);
  }
  for (size_t i = 0; i < Items.size(); ++i) {
    const TStringArray values = ItemDataToStrings(Items[i]);
    for (size_t f = 0; f < values.size(); ++f) {
      CheckStorable(values[f], "image " + std::to_string(i + 1) + "'s " + kItemFieldNames[f],
                    Separator);
    }
  }

  IProgress& progress = Progress();
  progress.SetMaximum(9 * static_cast<int>(Items.size()) + 15);
  TProgressScope scope(progress, "Saving Data ... ...");

  std::vector<std::string> lines = {"<Warning_Info>",
                                    "Note: This file was created and maintained by Torvane 1.1.",
                                    "Do not modify it or script project may not be opened again!",
                                    "</Warning_Info>",
                                    "<Product_Name>",
                                    kProductLine,
                                    "</Product_Name>",
                                    "<Product_Version>",
                                    "1.1",
                                    "</Product_Version>"};
  progress.Step(10);
  std::string line;
  for (const std::string& value : slider) line += value + Separator;
  lines.insert(lines.end(), {"<Applet_Parameters>", line, "</Applet_Parameters>"});
  progress.Step(5);
  lines.push_back("<Item_Parameters>");
  for (const TItemData& item : Items) {
    line.clear();
    for (const std::string& value : ItemDataToStrings(item)) {
      line += value + Separator;
      progress.Step(1);
    }
    lines.push_back(line);
  }
  lines.push_back("</Item_Parameters>");
  fileutil::WriteTextLines(fileName, lines);
}

TLoadResult TqelAppletAgent::LoadProject(const std::string& fileName, IDesignTree& tree) {
  // The whole file is read before anything changes, so a file that cannot be read leaves the
  // model as it was.
  TLineReader reader(fileutil::ReadTextLines(fileName));
  std::string line;
  bool complete = false;
  bool sliderRead = false;
  bool itemsReached = false;

  // A file without the product tag anywhere is no project file at all: it is refused like a
  // foreign one rather than reported as one that ended early.
  const bool tagged = reader.Read(line) && reader.SkipTo(line, "<Product_Name>");
  if (tagged && reader.Read(line)) {
    if (line != kProductLine) {
      // The model stays as it was; its items get their nodes back so that tree and model agree.
      RebuildItemNodes(tree);
      Messages().Show(TMessageKind::Error, kRejected);
      return TLoadResult::Rejected;
    }
    if (reader.Read(line) && reader.SkipTo(line, "<Product_Version>") && reader.Read(line) &&
        reader.Read(line) && reader.SkipTo(line, "<Applet_Parameters>") && reader.Read(line)) {
      TStringArray values;
      for (int f = 1; f <= kAppletFieldCount; ++f) values.push_back(GetField(line, f, Separator));
      AppletData = StringsToAppletData(values);
      sliderRead = true;
      if (reader.SkipTo(line, "<Item_Parameters>")) {
        itemsReached = true;
        TProgressScope scope(Progress(), "Loading Data ... ...");
        Items.clear();
        while (reader.Read(line)) {
          if (line == "</Item_Parameters>") {
            complete = true;
            break;
          }
          TStringArray fields;
          for (int f = 1; f <= kItemFieldCount; ++f) fields.push_back(GetField(line, f, Separator));
          Items.push_back(StringsToItemData(fields));
        }
        RebuildItemNodes(tree);
      }
    }
  }
  if (complete) return TLoadResult::Loaded;
  if (!tagged) {
    RebuildItemNodes(tree);
    Messages().Show(TMessageKind::Error, kRejected);
    return TLoadResult::Rejected;
  }

  // The file ended inside its blocks. Whatever was read stays, every item of the model has its
  // node, and the user learns that the design may be incomplete.
  std::string what;
  if (!sliderRead) {
    what = "before its slider parameters; nothing was read.";
    RebuildItemNodes(tree);
  } else if (!itemsReached) {
    what = "before its image list; only the slider parameters were read.";
    Items.clear();  // the previous design's items do not belong to the new parameters
  } else {
    what = "inside its image list; " + std::to_string(Items.size()) + " image(s) were read.";
  }
  Messages().Show(TMessageKind::Warning,
                  "The project file " + fileName + " ended early, " + what +
                      " The design may be incomplete.");
  return TLoadResult::EndedEarly;
}
