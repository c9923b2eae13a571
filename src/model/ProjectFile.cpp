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
  explicit TLineReader(fileutil::TTextLineReader& lines) : lines_(lines) {}
  bool Read(std::string& line) { return lines_.Next(line); }
  // Reads lines until one equals tag; the current line already counts.
  bool SkipTo(std::string& line, const std::string& tag) {
    while (line != tag) {
      if (!Read(line)) return false;
    }
    return true;
  }

 private:
  fileutil::TTextLineReader& lines_;
};

}  // namespace

void TqelAppletAgent::CheckStorableValues() const {
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
}

std::string TqelAppletAgent::ProjectText() {
  CheckStorableValues();
  IProgress& progress = Progress();
  progress.SetMaximum(9 * static_cast<int>(Items.size()) + 15);
  std::string text;
  const auto add = [&text](const std::string& line) {
    text += line;
    text += "\r\n";
  };
  for (const char* line : {"<Warning_Info>",
                           "Note: This file was created and maintained by Torvane 1.1.",
                           "Do not modify it or script project may not be opened again!",
                           "</Warning_Info>", "<Product_Name>", kProductLine, "</Product_Name>",
                           "<Product_Version>", "1.1", "</Product_Version>"}) {
    add(line);
  }
  progress.Step(10);
  std::string line;
  for (const std::string& value : AppletDataToStrings(AppletData)) line += value + Separator;
  add("<Applet_Parameters>");
  add(line);
  add("</Applet_Parameters>");
  progress.Step(5);
  add("<Item_Parameters>");
  for (const TItemData& item : Items) {
    line.clear();
    for (const std::string& value : ItemDataToStrings(item)) {
      line += value + Separator;
      progress.Step(1);
    }
    add(line);
  }
  add("</Item_Parameters>");
  return text;
}

void TqelAppletAgent::SaveProject(const std::string& fileName) {
  SaveProjectText(fileName, ProjectText());
}

void TqelAppletAgent::SaveProjectText(const std::string& fileName, const std::string& text) {
  TProgressScope scope(Progress(), "Saving Data ... ...");
  fileutil::WriteFileReplacing(fileName, text);
}

TLoadResult TqelAppletAgent::LoadProject(const std::string& fileName, IDesignTree& tree) {
  fileutil::TTextLineReader lines(fileName, kMaxProjectFileBytes);
  return LoadProjectFrom(lines, fileName, tree);
}

TLoadResult TqelAppletAgent::LoadProjectText(const std::string& text, const std::string& fileName,
                                             IDesignTree& tree) {
  fileutil::TTextLineReader lines(text.data(), text.size(), fileName);
  return LoadProjectFrom(lines, fileName, tree);
}

TLoadResult TqelAppletAgent::LoadProjectFrom(fileutil::TTextLineReader& lines,
                                             const std::string& fileName, IDesignTree& tree) {
  // The file is read to its end (or to the end of the item block) before the model changes, so a
  // file that cannot be read, or holds too many items, leaves the model as it was.
  TLineReader reader(lines);
  std::string line;
  bool complete = false;
  bool sliderRead = false;
  bool itemsReached = false;
  TAppletData slider;
  TItemArray items;

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
      slider = StringsToAppletData(values);
      sliderRead = true;
      if (reader.SkipTo(line, "<Item_Parameters>")) {
        itemsReached = true;
        TProgressScope scope(Progress(), "Loading Data ... ...");
        TStringArray fields(kItemFieldCount);
        while (reader.Read(line)) {
          if (line == "</Item_Parameters>") {
            complete = true;
            break;
          }
          if (items.size() >= kMaxItems) {
            RebuildItemNodes(tree);
            throw TvError("The project file " + fileName + " holds more than " +
                          std::to_string(kMaxItems) + " images (line " +
                          std::to_string(lines.LineNumber()) + "); at most " +
                          std::to_string(kMaxItems) + " can be opened");
          }
          for (int f = 1; f <= kItemFieldCount; ++f) {
            fields[static_cast<size_t>(f - 1)] = GetField(line, f, Separator);
          }
          items.push_back(StringsToItemData(fields));
        }
      }
    }
  }
  if (!tagged) {
    RebuildItemNodes(tree);
    Messages().Show(TMessageKind::Error, kRejected);
    return TLoadResult::Rejected;
  }
  if (sliderRead) AppletData = std::move(slider);
  // The previous design's items do not belong to new parameters: they go once the slider line is
  // read, and the items read so far take their place.
  if (sliderRead) Items = std::move(items);
  RebuildItemNodes(tree);
  if (complete) return TLoadResult::Loaded;

  // The file ended inside its blocks. Whatever was read stays, every item of the model has its
  // node, and the user learns that the design may be incomplete.
  std::string what;
  if (!sliderRead) {
    what = "before its slider parameters; nothing was read.";
  } else if (!itemsReached) {
    what = "before its image list; only the slider parameters were read.";
  } else {
    what = "inside its image list; " + std::to_string(Items.size()) + " image(s) were read.";
  }
  Messages().Show(TMessageKind::Warning,
                  "The project file " + fileName + " ended early, " + what +
                      " The design may be incomplete.");
  return TLoadResult::EndedEarly;
}
