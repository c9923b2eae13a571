// The project file: tagged text, one line for the slider parameters and one line per item, every
// value followed by the separator. Written as UTF-8 with CR LF; read with CR LF or LF, UTF-8 or
// Windows-1252.
#include <cstddef>

#include "Conversions.h"
#include "Errors.h"
#include "FileUtil.h"
#include "ProjectModel.h"
#include "ScriptText.h"

namespace {

const char* const kProductLine = "Torvane";
TMessage Rejected() {
  return TV_MESSAGE("model", "This file wasn't saved by Torvane 1.1, open failed!");
}

// A value that holds the separator or a line break would come back from the file as different
// values; refuse it before anything is written.
void CheckStorable(const std::string& value, const TMessage& what, const std::string& sep) {
  if (value.find(sep) != std::string::npos) {
    throw TvError(
        TV_MESSAGE("model", "The %1 '%2' contains \"%3\", which a project file cannot hold")
            .Arg(what)
            .Arg(value)
            .Arg(sep));
  }
  if (value.find_first_of("\r\n") != std::string::npos) {
    throw TvError(
        TV_MESSAGE("model", "The %1 '%2' contains a line break, which a project file cannot hold")
            .Arg(what)
            .Arg(value));
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

void TProjectModel::CheckStorableValues() const {
  const TStringArray slider = SliderStrings(Slider);
  for (size_t f = 0; f < slider.size(); ++f) {
    CheckStorable(slider[f],
                  TV_MESSAGE("model", "slider's %1").Arg(TMessage(kSliderFieldTable[f].name)),
                  Separator);
  }
  for (size_t i = 0; i < Items.size(); ++i) {
    const TStringArray values = ItemStrings(Items[i]);
    for (size_t f = 0; f < values.size(); ++f) {
      CheckStorable(
          values[f],
          TV_MESSAGE("model", "image %1's %2").Arg(i + 1).Arg(TMessage(kItemFieldTable[f].name)),
          Separator);
    }
  }
}

std::string TProjectModel::ProjectText() {
  CheckStorableValues();
  IProgress& progress = Progress();
  progress.SetMaximum(9 * static_cast<int>(Items.size()) + 15);
  std::string text;
  const auto add = [&text](const std::string& line) {
    text += line;
    text += "\r\n";
  };
  for (const char* line :
       {"<Warning_Info>", "Note: This file was created and maintained by Torvane 1.1.",
        "Do not modify it or script project may not be opened again!", "</Warning_Info>",
        "<Product_Name>", kProductLine, "</Product_Name>", "<Product_Version>", "1.1",
        "</Product_Version>"}) {
    add(line);
  }
  progress.Step(10);
  std::string line;
  for (const std::string& value : SliderStrings(Slider)) line += value + Separator;
  add("<Applet_Parameters>");
  add(line);
  add("</Applet_Parameters>");
  progress.Step(5);
  add("<Item_Parameters>");
  for (const TItemData& item : Items) {
    line.clear();
    for (const std::string& value : ItemStrings(item)) {
      line += value + Separator;
      progress.Step(1);
    }
    add(line);
  }
  add("</Item_Parameters>");
  return text;
}

void TProjectModel::SaveProject(const std::string& fileName) {
  SaveProjectText(fileName, ProjectText());
}

bool TProjectModel::SaveProjectText(const std::string& fileName, const std::string& text) {
  TProgressScope scope(Progress(), TV_MESSAGE_NOOP("model", "Saving Data ... ..."));
  return fileutil::WriteFileIfChanged(fileName, text);
}

TLoadResult TProjectModel::LoadProject(const std::string& fileName, IDesignTree& tree) {
  fileutil::TTextLineReader lines(fileName, kMaxProjectFileBytes);
  return LoadProjectFrom(lines, fileName, tree);
}

TLoadResult TProjectModel::LoadProjectText(const std::string& text, const std::string& fileName,
                                           IDesignTree& tree) {
  fileutil::TTextLineReader lines(text.data(), text.size(), fileName);
  return LoadProjectFrom(lines, fileName, tree);
}

namespace {

// What a read of a project file found, before anything of the model changes.
struct TReadProject {
  bool tagged = false;   // the product tag was found
  bool foreign = false;  // the line after it names another product
  bool sliderRead = false;
  bool itemsReached = false;
  bool complete = false;  // the item block was closed
  TSliderData slider;
  TItemArray items;
  long long sliderLine = 0;     // line number of the slider line
  long long firstItemLine = 0;  // line number of the first item line
};

// Reads the file to its end (or to the end of the item block). Throws TvError for a file with too
// many items; the caller's model is untouched either way.
TReadProject ReadProject(fileutil::TTextLineReader& lines, const std::string& fileName,
                         const std::string& separator, IProgress& progress) {
  TLineReader reader(lines);
  TReadProject read;
  std::string line;
  // A file without the product tag anywhere is no project file at all: it is refused like a
  // foreign one rather than reported as one that ended early.
  read.tagged = reader.Read(line) && reader.SkipTo(line, "<Product_Name>");
  if (!read.tagged || !reader.Read(line)) return read;
  if (line != kProductLine) {
    read.foreign = true;
    return read;
  }
  if (!(reader.Read(line) && reader.SkipTo(line, "<Product_Version>") && reader.Read(line) &&
        reader.Read(line) && reader.SkipTo(line, "<Applet_Parameters>") && reader.Read(line)))
    return read;
  read.sliderLine = lines.LineNumber();
  TStringArray values;
  for (int f = 1; f <= kSliderFieldCount; ++f) values.push_back(GetField(line, f, separator));
  read.slider = SliderFromStrings(values);
  read.sliderRead = true;
  if (!reader.SkipTo(line, "<Item_Parameters>")) return read;
  read.itemsReached = true;
  read.firstItemLine = lines.LineNumber() + 1;
  TProgressScope scope(progress, TV_MESSAGE_NOOP("model", "Loading Data ... ..."));
  TStringArray fields(kItemFieldCount);
  while (reader.Read(line)) {
    if (line == "</Item_Parameters>") {
      read.complete = true;
      break;
    }
    if (read.items.size() >= TProjectModel::kMaxItems) {
      throw TvError(TV_MESSAGE("model",
                               "The project file %1 holds more than %L2 images (line %L3); at "
                               "most %L2 can be opened")
                        .Arg(fileName)
                        .Arg(TProjectModel::kMaxItems)
                        .Arg(lines.LineNumber()));
    }
    for (int f = 1; f <= kItemFieldCount; ++f) {
      fields[static_cast<size_t>(f - 1)] = GetField(line, f, separator);
    }
    read.items.push_back(ItemFromStrings(fields));
  }
  return read;
}

TMessage EndedEarlyText(const TReadProject& read, size_t itemsKept) {
  if (!read.sliderRead) return TV_MESSAGE("model", "before its slider parameters");
  if (!read.itemsReached) return TV_MESSAGE("model", "before its image list");
  return TV_MESSAGE("model", "inside its image list, after %L1 image(s)").Arg(itemsKept);
}

// The values the property panels show must be values they can show, or the panels would hold
// other values than the design and the next save would write those (each field's kind is in the
// design's field tables). Throws TvError naming the file, the line and the field of the first value
// that is not what its field needs.
void CheckReadValues(const TReadProject& read, const std::string& fileName) {
  // owner: the field's owner with a placeholder for the field's name
  const auto check = [&](const auto& record, const auto& table, const TMessage& owner,
                         long long line) {
    for (const auto& field : table) {
      const std::string& value = record.*field.member;
      if (FitsKind(value, field.kind)) continue;
      throw TvError(TV_MESSAGE("model",
                               "The project file %1 was not opened: line %L2 holds %3 '%4', which "
                               "is not %5.")
                        .Arg(fileName)
                        .Arg(line)
                        .Arg(TMessage(owner).Arg(TMessage(field.name)))
                        .Arg(value)
                        .Arg(KindText(field.kind)));
    }
  };
  check(read.slider, kSliderFieldTable, TV_MESSAGE("model", "the slider's %1"), read.sliderLine);
  for (size_t i = 0; i < read.items.size(); ++i) {
    check(read.items[i], kItemFieldTable, TV_MESSAGE("model", "image %1's %2").Arg(i + 1),
          read.firstItemLine + static_cast<long long>(i));
  }
}

}  // namespace

TLoadResult TProjectModel::LoadProjectFrom(fileutil::TTextLineReader& lines,
                                           const std::string& fileName, IDesignTree& tree) {
  TReadProject read;
  try {
    read = ReadProject(lines, fileName, Separator, Progress());
  } catch (...) {
    RebuildItemNodes(tree);
    throw;
  }
  if (!read.tagged || read.foreign) {
    // The model stays as it was; its items get their nodes back so that tree and model agree.
    RebuildItemNodes(tree);
    Messages().Show(TMessageKind::Error, Rejected());
    return TLoadResult::Rejected;
  }
  // The previous design's items do not belong to new parameters: they go once the slider line is
  // read, and the items read so far take their place.
  if (read.sliderRead) {
    Slider = std::move(read.slider);
    Items = std::move(read.items);
  }
  RebuildItemNodes(tree);
  if (read.complete) return TLoadResult::Loaded;

  // The file ended inside its blocks. Whatever was read stays, every item of the model has its
  // node, and the user learns that the design may be incomplete.
  Messages().Show(
      TMessageKind::Warning,
      TV_MESSAGE("model", "The project file %1 ended early, %2. The design may be incomplete.")
          .Arg(fileName)
          .Arg(EndedEarlyText(read, Items.size())));
  return TLoadResult::EndedEarly;
}

TLoadResult TProjectModel::OpenProject(const std::string& fileName, IDesignTree& tree) {
  TReadProject read;
  try {
    fileutil::TTextLineReader lines(fileName, kMaxProjectFileBytes);
    read = ReadProject(lines, fileName, Separator, Progress());
    if (read.tagged && !read.foreign && !read.complete) {
      throw TvError(TV_MESSAGE("model",
                               "The project file %1 ends early, %2, and was not opened: it may "
                               "have been cut short.")
                        .Arg(fileName)
                        .Arg(EndedEarlyText(read, read.items.size())));
    }
    if (read.complete) CheckReadValues(read, fileName);
  } catch (...) {
    RebuildItemNodes(tree);
    throw;
  }
  if (!read.complete) {
    RebuildItemNodes(tree);
    Messages().Show(TMessageKind::Error, Rejected());
    return TLoadResult::Rejected;
  }
  Slider = std::move(read.slider);
  Items = std::move(read.items);
  RebuildItemNodes(tree);
  return TLoadResult::Loaded;
}
