// The design's outputs. Each writer (TExporter) takes a copy of the design (const) and the run's
// context and reports what it did in a result; nothing of the caller's design changes. What
// writing brings up to date (item levels, converted links, picture names and sizes) comes back in
// the result, for the owner of the design to take over. The window runs every writer on a worker
// the same way, and torvane-cli picks one by its command. The project model (TProjectModel) does
// the work inside.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ProjectModel.h"

// How a run writes, besides the design.
struct TPublishOptions {
  bool pictureCache = true;        // scaled pictures kept between runs (TProjectModel)
  std::string pictureCacheFolder;  // empty: the user's cache folder
  bool readableRuntime = false;    // publish the runtime's readable source
  bool doubleDensity = false;      // pictures at twice the height too
  unsigned modernFormats = 0;      // TModernFormat bits
  unsigned workers = 0;            // pictures scaled at once (0: one per core)
  TCancelToken* cancel = nullptr;  // none: the run cannot be stopped
};

// Where a run finds the program's files (the runtime script) and does its work (the
// configuration script, the style sheet and the "preview" folder of scaled pictures).
struct TRunFolders {
  std::string program;
  std::string work;                   // empty: the program's folder
  std::string workFolder() const;     // with its separator
  std::string previewFolder() const;  // workFolder() + "preview" + separator
};

// What the preview folder holds from earlier runs: kept by the design's owner from one run to the
// next. Runs add to it; ClearPreview empties it.
struct TPreviewState {
  std::vector<std::string> files;  // names put there since it was last cleared
  // The pictures at twice the height and in further formats that the last generation made there
  // (the report and a publish list them beside their items' pictures).
  std::vector<std::string> doubleDensityFiles;
  std::vector<std::string> modernFormatFiles;
};
// Removes the files `state` lists from `previewFolder` (and the folder, when that leaves it empty)
// and empties `state`.
void ClearPreview(const std::string& previewFolder, TPreviewState& state);

// Everything a run needs besides the design.
struct TRunContext {
  TPublishOptions options;
  TRunFolders folders;
  TPreviewState preview;
  IProgress* progress = nullptr;  // none: nothing is shown
  IMessages* messages = nullptr;
};

// What a run found and made. It is filled as the run goes: a run that fails or is stopped still
// tells which pictures it looked for and what it left in the preview folder.
struct TExportResult {
  // Per item: was its picture found; none when the run made no pictures.
  std::optional<std::vector<TPictureStatus>> pictureStatus;
  TPreviewState preview;  // the preview folder after the run
  // The design as the run wrote it, for the design's owner to take over; none when the run did
  // not come to its end or writes no design.
  std::optional<TDesign> written;
  // The files written for the user: the published set in the order a user uploads them (the
  // page, the runtime, the configuration script, the style sheet, the project file, the report,
  // then each picture with its other formats and its picture at twice the height), or the page.
  std::vector<std::string> files;
  std::vector<std::string> lines;         // text for the user: the page's code, the embed code
  bool runtimeMissing = false;            // the program's folder lacks the runtime script
  std::vector<std::string> linkWarnings;  // TProjectModel::LinkWarnings
  TPublishChanges changes;
  // What a check found, in item order: where a save would fail (`fails`) or warn.
  struct TProblem {
    bool fails = false;
    std::string text;
    bool operator==(const TProblem&) const = default;
  };
  std::vector<TProblem> problems;
};

// One kind of output of a design. A run works on its own copy of the design and may run on any
// thread. Throws TvError when it cannot write (TvCancelled when stopped through
// context.options.cancel); `result` then holds what the run found up to there.
class TExporter {
 public:
  virtual ~TExporter() = default;
  virtual void run(const TDesign& design, const TRunContext& context,
                   TExportResult& result) const = 0;
};

// The published set beside the project file: the page, the scripts, the style sheet, the
// pictures, the project file and the publish report (see TProjectModel::PublishProject). The
// folder's set is as it was when the run fails before its point of no return.
class TPublishExporter final : public TExporter {
 public:
  TPublishExporter(std::string folder, std::string fileName)
      : folder_(std::move(folder)), fileName_(std::move(fileName)) {}
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;

 private:
  std::string folder_, fileName_;
};

// The page's HTML code, as lines: its pictures are made in the preview folder and its scripts in
// the work folder, as for a preview.
class TPageCodeExporter final : public TExporter {
 public:
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;
};

// The page as `pageName` in the preview folder, with everything it loads beside it, for a browser
// to show; result.files holds the page, result.lines its code. `page`: these lines are the page
// instead of a newly generated one (a design without items shows the page built last).
class TPreviewExporter final : public TExporter {
 public:
  explicit TPreviewExporter(std::string pageName,
                            std::optional<std::vector<std::string>> page = std::nullopt)
      : pageName_(std::move(pageName)), page_(std::move(page)) {}
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;

 private:
  std::string pageName_;
  std::optional<std::vector<std::string>> page_;
};

// What a user pastes into a page of their own (TProjectModel::EmbedCode), as lines. Makes no file.
class TEmbedCodeExporter final : public TExporter {
 public:
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;
};

// Checks every value and picture as a save would, writing nothing: each problem names its item
// (result.problems). A save fails where a value is refused or a picture cannot be read, and warns
// where an item has no picture to make (it keeps the one it has) or a link does more than open a
// page.
class TCheckExporter final : public TExporter {
 public:
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;
};

// The publish report of the pictures the preview folder holds, as `name` in the preview folder;
// result.files holds it.
class TReportExporter final : public TExporter {
 public:
  explicit TReportExporter(std::string name) : name_(std::move(name)) {}
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;

 private:
  std::string name_;
};

// Empties the preview folder of what earlier runs left there (context.preview), then copies the
// published pictures of the design's items from `publishedFolder` (none when empty) into it,
// where the pages of a preview find them when an item's original is not found.
class TPreviewRefill final : public TExporter {
 public:
  explicit TPreviewRefill(std::string publishedFolder)
      : publishedFolder_(std::move(publishedFolder)) {}
  void run(const TDesign& design, const TRunContext& context, TExportResult& result) const override;

 private:
  std::string publishedFolder_;
};

// Reads a project file as publishing reads it. Throws TvError naming the file when it is not a
// project file or ends early; `messages` hears what the reader tells on the way.
TDesign ReadDesign(const std::string& fileName, IMessages* messages = nullptr);

// Reads a project file as the window opens it: all or nothing (TProjectModel::OpenProject). The
// design and each item's caption, or the reason it was not opened.
struct TOpenedDesign {
  TLoadResult result = TLoadResult::Rejected;
  TDesign design;
  std::vector<std::string> captions;
};
TOpenedDesign OpenDesign(const std::string& fileName, IMessages* messages = nullptr);

// The default design: the slider's default parameters, no items.
TDesign DefaultDesign();

// The text of the design's project file (TProjectModel::ProjectText).
std::string ProjectText(const TDesign& design);
