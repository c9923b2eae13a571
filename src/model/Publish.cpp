// Publishing beside the project file: the page, the three script files, the project file, the
// publish report and the scaled pictures, side by side and ready for upload.
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Errors.h"
#include "FileUtil.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "images/ImageScaler.h"

namespace {

const std::string kRule(77, '=');

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Runs write(0) .. write(count - 1) on a few threads at once and steps `progress` (on the calling
// thread) as each ends. Each write waits mostly for the disk to flush its file, and the flushes of
// files written at the same time reach the disk together. After a failure no further write
// starts; once the running ones have ended, a TvError is thrown as `explain` words it (any other
// exception as it is).
void WriteTogether(size_t count, IProgress& progress, const std::function<void(size_t)>& write,
                   const std::function<TvFileError(const TvError&)>& explain) {
  constexpr size_t kWriters = 4;
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0, ended = 0, running = 0;
  std::exception_ptr error;
  const auto work = [&] {
    for (;;) {
      size_t k;
      {
        const std::lock_guard<std::mutex> lock(mutex);
        if (error || next >= count) break;
        k = next++;
      }
      std::exception_ptr caught;
      try {
        write(k);
      } catch (...) {
        caught = std::current_exception();
      }
      const std::lock_guard<std::mutex> lock(mutex);
      if (caught && !error) error = caught;
      ++ended;
      changed.notify_all();
    }
    const std::lock_guard<std::mutex> lock(mutex);
    --running;
    changed.notify_all();
  };
  std::vector<std::thread> threads;
  try {
    for (size_t i = 0; i < std::min(kWriters, count); ++i) {
      {
        const std::lock_guard<std::mutex> lock(mutex);
        ++running;
      }
      try {
        threads.emplace_back(work);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        --running;
        throw;
      }
    }
    std::unique_lock<std::mutex> lock(mutex);
    for (size_t stepped = 0; running > 0 || stepped < ended;) {
      changed.wait(lock, [&] { return ended > stepped || running == 0; });
      const size_t steps = ended - stepped;
      stepped = ended;
      lock.unlock();
      for (size_t i = 0; i < steps; ++i) progress.Step(1);  // one step per file, as one by one
      lock.lock();
    }
  } catch (...) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      if (!error) error = std::current_exception();
    }
    for (std::thread& thread : threads) thread.join();
    throw;
  }
  for (std::thread& thread : threads) thread.join();
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const TvError& failure) {
    throw explain(failure);
  }
}

}  // namespace

bool TProjectModel::PublishProject(const std::string& folder, const std::string& fileName,
                                   IDesignTree& tree) {
  const std::string to = fileutil::WithSeparator(folder);
  const std::string base = scripttext::PublishBaseName(fileName);
  if (base.empty()) {
    throw TvError(
        TV_MESSAGE("model", "The project file name '%1' leaves no name for the published files")
            .Arg(fileName));
  }
  // A project file named like one of the files the publish writes would be overwritten by it.
  std::set<std::string> outputs = {LowerAscii(base + ".html"),
                                   LowerAscii(base + "_PublishReport.txt"),
                                   LowerAscii(ScriptFiles[0]), "torvanecfg.js", "torvane.css"};
  std::vector<std::string> extensions = {".jpg"};
  if (ModernFormats & kWebpFormat) extensions.push_back(".webp");
  if (ModernFormats & kAvifFormat) extensions.push_back(".avif");
  for (size_t i = 0; i < Items.size(); ++i) {
    for (const std::string& extension : extensions) {
      outputs.insert("slider" + std::to_string(i) + extension);
      if (DoubleDensityPictures) outputs.insert("slider" + std::to_string(i) + "@2x" + extension);
    }
    if (scripttext::IsPublishedPictureName(Items[i].imageFile)) {
      outputs.insert(LowerAscii(Items[i].imageFile));
    }
  }
  if (outputs.count(LowerAscii(fileName)) != 0) {
    throw TvError(TV_MESSAGE("model",
                             "The project file name '%1' is also the name of a file that "
                             "publishing writes; choose another name")
                      .Arg(fileName));
  }

  // Publishes into one folder take turns.
  const fileutil::TFolderLock lock(to);
  // Temporary files of publishes that were killed halfway go now.
  fileutil::RemoveStaleTemporaryFiles(to);

  // Everything that can refuse the publish runs before the first file of the folder is written:
  // the design and its items (in the generator), the values a project file can hold, the names
  // of the pictures and folders standing where a file should go. Only failures that cannot be
  // foreseen (a full disk, a vanished picture) stop it halfway, and then the message says which
  // files were written and which were not.
  const std::vector<std::string> page = MakePage(tree);
  // An item whose picture was not made again keeps the name it had: only a name the generator
  // gives may be copied into the folder and listed.
  for (size_t i = 0; i < Items.size(); ++i) {
    const std::string& name = Items[i].imageFile;
    if (!name.empty() && !scripttext::IsPublishedPictureName(name)) {
      throw TvError(TV_MESSAGE("model",
                               "Item %1's picture name '%2' is not one that publishing makes "
                               "(slider0.jpg, slider1.jpg, ...); nothing was published")
                        .Arg(i + 1)
                        .Arg(name));
    }
  }
  const std::string projectText = ProjectText();
  const std::vector<std::string> report = PublishReportLines();
  const std::string work = fileutil::WithSeparator(WorkFolder());
  const std::string preview = PreviewFolder();
  // Each write leaves a target that already holds its new content as it is, and says whether it
  // wrote.
  struct TOutput {
    std::string target;
    std::function<bool()> write;
  };
  std::vector<TOutput> plan;
  const auto copy = [&](const std::string& from, const std::string& name) {
    // A missing source is left out.
    if (fileutil::IsFile(from)) {
      plan.push_back({to + name, [from, target = to + name] {
                        return fileutil::CopyFileIfChanged(from, target);
                      }});
    }
  };
  const auto text = [&](const std::string& name, const std::vector<std::string>& lines) {
    plan.push_back({to + name, [&lines, target = to + name] {
                      return fileutil::WriteFileIfChanged(target, fileutil::JoinLines(lines));
                    }});
  };
  text(base + ".html", page);
  copy(RuntimeScriptSource(), ScriptFiles[0]);
  copy(work + ScriptFiles[1], ScriptFiles[1]);
  copy(work + ScriptFiles[2], ScriptFiles[2]);
  plan.push_back(
      {to + base + ".tvn", [&] { return SaveProjectText(to + base + ".tvn", projectText); }});
  text(base + "_PublishReport.txt", report);
  const size_t firstPicture = plan.size();
  std::set<std::string> pictures;
  for (const TItemData& item : Items) {
    if (!scripttext::IsPublishedPictureName(item.imageFile)) continue;
    for (const std::string& name : PublishedPicturesOf(item.imageFile)) {
      if (pictures.insert(name).second) copy(preview + name, name);
    }
  }
  for (const TOutput& output : plan) fileutil::CheckWritableTarget(output.target);

  Progress().SetMaximum(static_cast<int>(plan.size()));
  TProgressScope status(Progress(), TV_MESSAGE_NOOP("model", "Copying Publishable Files ... ..."));
  LastPublish = {};
  enum TState : char { kPending, kUnchanged, kWritten };
  std::vector<TState> states(plan.size(), kPending);
  // The first failure: it names the files written and not written (in plan order).
  const auto failed = [&](const TvError& failure) {
    std::string written, missing;
    for (size_t k = 0; k < plan.size(); ++k) {
      std::string& list = states[k] != kPending ? written : missing;
      list += (list.empty() ? "" : ", ") + fileutil::NameOf(plan[k].target);
    }
    return TvFileError(TV_MESSAGE("model", "%1\nWritten: %2.\nNot written: %3.")
                           .Arg(failure.Message())
                           .Arg(written.empty() ? TMessageArgument(TV_MESSAGE("model", "nothing"))
                                                : TMessageArgument(written))
                           .Arg(missing));
  };
  for (size_t i = 0; i < firstPicture; ++i) {
    try {
      states[i] = plan[i].write() ? kWritten : kUnchanged;
    } catch (const TvError& failure) {
      throw failed(failure);
    }
    Progress().Step(1);
  }
  // The pictures, most of the files, are written side by side.
  WriteTogether(
      plan.size() - firstPicture, Progress(),
      [&](size_t k) {
        const size_t i = firstPicture + k;
        states[i] = plan[i].write() ? kWritten : kUnchanged;
      },
      failed);
  for (size_t i = 0; i < plan.size(); ++i) {
    if (states[i] == kWritten) {
      LastPublish.changed.push_back(fileutil::NameOf(plan[i].target));
    } else {
      ++LastPublish.unchanged;
    }
  }
  LastPublish.published = true;
  return true;
}

TMessage PublishChangesText(const TPublishChanges& changes) {
  std::string names;
  for (const std::string& name : changes.changed) names += (names.empty() ? "" : ", ") + name;
  return TV_MESSAGE("model", "Changed: %1; %L2 unchanged")
      .Arg(names.empty() ? TMessageArgument(TV_MESSAGE("model", "nothing"))
                         : TMessageArgument(names))
      .Arg(changes.unchanged);
}

std::vector<std::string> TProjectModel::PublishedPicturesOf(const std::string& imageFile) const {
  std::vector<std::string> names;
  const auto addWithFormats = [&](const std::string& jpeg) {
    if (jpeg.empty()) return;
    names.push_back(jpeg);
    if (ModernFormatFiles.empty()) return;
    const std::string stem = jpeg.substr(0, jpeg.size() - 4);  // without ".jpg"
    for (const char* extension : {".avif", ".webp"}) {
      if (std::find(ModernFormatFiles.begin(), ModernFormatFiles.end(), stem + extension) !=
          ModernFormatFiles.end()) {
        names.push_back(stem + extension);
      }
    }
  };
  addWithFormats(imageFile);
  addWithFormats(DoubleDensityFileOf(imageFile));
  return names;
}

std::string TProjectModel::DoubleDensityFileOf(const std::string& imageFile) const {
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

std::vector<std::string> TProjectModel::PublishReportLines() {
  std::vector<std::string> lines = {
      kRule,
      "This file includes a list of filename and you need to upload them to Web server",
      "to get the script to work. All these files are saved into the same directory along",
      "with the project file (*.tvn) as well as this file.",
      "",
      kRule,
      ""};
  lines.push_back("[Script file(s)]:");
  for (const std::string& name : ScriptFiles) {
    lines.push_back("  " + name);
    Progress().Step(1);
  }
  lines.push_back("");
  lines.push_back("[Image File(s)]: They should be copied along with script files!");
  std::set<std::string> listed;
  for (const TItemData& item : Items) {
    if (!scripttext::IsPublishedPictureName(item.imageFile)) continue;
    for (const std::string& name : PublishedPicturesOf(item.imageFile)) {
      if (listed.insert(name).second) lines.push_back("  " + name);
    }
  }
  Progress().Step(50);
  if (const std::vector<std::string> warnings = LinkWarnings(); !warnings.empty()) {
    lines.push_back("");
    lines.push_back(
        "[Warning(s)]: Links that do more than open a page; check that you meant them!");
    for (const std::string& warning : warnings) lines.push_back("  " + warning);
  }
  Progress().Step(50);
  lines.insert(lines.end(), {"", "", kRule, "End of Publish Report", kRule});
  return lines;
}

void TProjectModel::MakePublishReport(const std::string& folder, const std::string& fileName) {
  Progress().SetMaximum(101);
  TProgressScope status(Progress(), TV_MESSAGE_NOOP("model", "Making Publish Report ... ..."));
  fileutil::WriteTextLines(fileutil::WithSeparator(folder) + fileName, PublishReportLines());
}

std::vector<std::string> TProjectModel::LinkWarnings() const {
  constexpr size_t kShownLength = 80;
  std::vector<std::string> lines;
  for (size_t k = 0; k < Items.size(); ++k) {
    const TItemData& item = Items[k];
    const std::string hazard = scripttext::LinkHazard(item.link);
    if (hazard.empty()) continue;
    std::string link = item.link;
    if (link.size() > kShownLength) {
      size_t cut = kShownLength - 3;
      while (cut > 0 && (static_cast<unsigned char>(link[cut]) & 0xC0) == 0x80) --cut;
      link = link.substr(0, cut) + "...";
    }
    const std::string picture = fileutil::NameOf(item.originalPath);
    lines.push_back("item " + std::to_string(k + 1) +
                    (picture.empty() ? "" : " (" + picture + ")") + ": the link " + link + " " +
                    hazard);
  }
  return lines;
}

std::string OtherPublishedProject(const std::string& folder, const std::string& fileName) {
  namespace fs = std::filesystem;
  const std::string to = fileutil::WithSeparator(folder);
  bool shared = false;
  for (const std::string& name : TProjectModel({}).ScriptFiles)
    shared = shared || fileutil::IsFile(to + name);
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
