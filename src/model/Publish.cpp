// Publishing beside the project file: the page, the three script files, the project file, the
// publish report and the scaled pictures, side by side and ready for upload.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "AppletAgent.h"
#include "Errors.h"
#include "FileUtil.h"
#include "ScriptText.h"

namespace {

const std::string kRule(77, '=');

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

bool TqelAppletAgent::PublishProject(const std::string& folder, const std::string& fileName,
                                     IDesignTree& tree) {
  const std::string to = fileutil::WithSeparator(folder);
  const std::string base = scripttext::PublishBaseName(fileName);
  if (base.empty()) {
    throw TvError("The project file name '" + fileName +
                  "' leaves no name for the published files");
  }
  // A project file named like one of the files the publish writes would be overwritten by it.
  std::set<std::string> outputs = {LowerAscii(base + ".html"), LowerAscii(base + "_PublishReport.txt"),
                                   LowerAscii(ScriptFiles[0]), "torvanecfg.js", "torvane.css"};
  for (size_t i = 0; i < Items.size(); ++i) {
    outputs.insert(LowerAscii("slider" + std::to_string(i) + ".jpg"));
    if (DoubleDensityPictures) outputs.insert(LowerAscii("slider" + std::to_string(i) + "@2x.jpg"));
    if (scripttext::IsPlainFileName(Items[i].IImageFile)) {
      outputs.insert(LowerAscii(Items[i].IImageFile));
    }
  }
  if (outputs.count(LowerAscii(fileName)) != 0) {
    throw TvError("The project file name '" + fileName +
                  "' is also the name of a file that publishing writes; choose another name");
  }

  // Publishes into one folder take turns.
  const fileutil::TFolderLock lock(to);
  MakeHTMLCodes(to + base + ".html", tree);

  // Copies replace their targets only once complete; a target that cannot be written stops the
  // publish with an error naming it. A missing source is left out.
  const std::string work = fileutil::WithSeparator(WorkFolder());
  fileutil::CopyFileReplacing(RuntimeScriptSource(), to + ScriptFiles[0]);
  fileutil::CopyFileReplacing(work + ScriptFiles[1], to + ScriptFiles[1]);
  fileutil::CopyFileReplacing(work + ScriptFiles[2], to + ScriptFiles[2]);

  SaveProject(to + base + ".tvn");
  MakePublishReport(to, base + "_PublishReport.txt");

  Progress().SetMaximum(100);
  TProgressScope status(Progress(), "Copying Publishable Files ... ...");
  const std::string preview = PreviewFolder();
  std::set<std::string> copied;
  for (const TItemData& item : Items) {
    for (const std::string& name : {item.IImageFile, DoubleDensityFileOf(item.IImageFile)}) {
      if (scripttext::IsPlainFileName(name) && copied.insert(name).second) {
        fileutil::CopyFileReplacing(preview + name, to + name);
      }
    }
  }
  Progress().Step(50);
  Progress().Step(50);
  return true;
}

std::string TqelAppletAgent::DoubleDensityFileOf(const std::string& imageFile) const {
  const std::string suffix = ".jpg";
  if (imageFile.size() <= suffix.size() ||
      imageFile.compare(imageFile.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return {};
  }
  const std::string name = imageFile.substr(0, imageFile.size() - suffix.size()) + "@2x" + suffix;
  return std::find(DoubleDensityFiles.begin(), DoubleDensityFiles.end(), name) !=
                 DoubleDensityFiles.end()
             ? name
             : std::string();
}

void TqelAppletAgent::MakePublishReport(const std::string& folder, const std::string& fileName) {
  std::vector<std::string> lines = {
      kRule,
      "This file includes a list of filename and you need to upload them to Web server",
      "to get the script to work. All these files are saved into the same directory along",
      "with the project file (*.tvn) as well as this file.",
      "",
      kRule,
      ""};
  Progress().SetMaximum(101);
  TProgressScope status(Progress(), "Making Publish Report ... ...");
  lines.push_back("[Script file(s)]:");
  for (const std::string& name : ScriptFiles) {
    lines.push_back("  " + name);
    Progress().Step(1);
  }
  lines.push_back("");
  lines.push_back("[Image File(s)]: They should be copied along with script files!");
  std::set<std::string> listed;
  for (const TItemData& item : Items) {
    for (const std::string& name : {item.IImageFile, DoubleDensityFileOf(item.IImageFile)}) {
      if (scripttext::IsPlainFileName(name) && listed.insert(name).second) {
        lines.push_back("  " + name);
      }
    }
  }
  Progress().Step(50);
  Progress().Step(50);
  lines.insert(lines.end(), {"", "", kRule, "End of Publish Report", kRule});
  fileutil::WriteTextLines(fileutil::WithSeparator(folder) + fileName, lines);
}

std::string TqelAppletAgent::OtherPublishedProject(const std::string& folder,
                                                   const std::string& fileName) const {
  namespace fs = std::filesystem;
  const std::string to = fileutil::WithSeparator(folder);
  bool shared = false;
  for (const std::string& name : ScriptFiles) shared = shared || fileutil::IsFile(to + name);
  if (!shared) return {};
  // The set belongs to the project that published there last: the newest publish report (or
  // project file with its page beside it) names it.
  const std::string reportTail = "_publishreport.txt";
  std::error_code error;
  std::string owner;
  fs::file_time_type newest = fs::file_time_type::min();
  for (fs::directory_iterator it(fileutil::FsPath(to), error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = fileutil::Utf8(it->path().filename());
    const std::string lower = LowerAscii(name);
    std::string base;
    if (lower.size() > reportTail.size() &&
        lower.compare(lower.size() - reportTail.size(), reportTail.size(), reportTail) == 0) {
      base = name.substr(0, name.size() - reportTail.size());
    } else if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".tvn") == 0 &&
               fileutil::IsFile(to + name.substr(0, name.size() - 4) + ".html")) {
      base = name.substr(0, name.size() - 4);
    }
    std::error_code timeError;
    const fs::file_time_type time = it->last_write_time(timeError);
    // Equal times: the first name in order, so the answer does not depend on the listing.
    if (base.empty() || timeError || time < newest ||
        (time == newest && LowerAscii(base) > LowerAscii(owner)))
      continue;
    newest = time;
    owner = base;
  }
  const std::string ours = scripttext::PublishBaseName(fileName);
  return LowerAscii(owner) == LowerAscii(ours) ? std::string() : owner;
}
