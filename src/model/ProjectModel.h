// The engine behind the design's writers (Writers.h): one run's copy of the design (its slider
// parameters and its ordered list of image items) with the operations that store it in a project
// file, generate the web files from it, fill the preview folder and publish beside the project
// file. Nothing outside the model keeps one: the open design is a TDesign owned by the document,
// and each writer sets up a project model for its run and hands back what it made.
//
// Every parameter is held as UTF-8 text. The code is split by concern:
//   ProjectModel.cpp  data, defaults, tree rebuilding
//   ProjectFile.cpp  SaveProject / LoadProject
//   Generator.cpp    MakePage (style sheet, configuration script, page, pictures)
//   Preview.cpp      the preview folder
//   Publish.cpp      PublishProject and the publish report
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Cancel.h"
#include "Design.h"
#include "Host.h"

namespace scripttext {
struct TCheckedDesign;
}

namespace fileutil {
class TTextLineReader;
}

// Whether the last generation found an item's source picture. A missing picture is no error: the
// item keeps its old picture name and size, and the programs tell the user.
enum class TPictureStatus { Found, Missing };

// How a load ended.
enum class TLoadResult {
  Loaded,     // read up to the end of the item block
  Rejected,   // not one of our project files; the model is unchanged
  EndedEarly  // the file ended inside its blocks; the user has been warned
};

// What a publish did to its folder: a file whose new content equals what is there already is left
// as it is (its time and inode stay), so that an upload can skip it.
struct TPublishChanges {
  std::vector<std::string> changed;  // names, in the order they were written
  size_t unchanged = 0;
  bool published = false;  // a publish came to its end
};

// "Changed: torvanecfg.js, slider3.jpg; 26 unchanged" ("Changed: nothing; ..." when none did).
TMessage PublishChangesText(const TPublishChanges& changes);

// The published files (torvanecfg.js, torvane.css, slider0.jpg, ...) have the same names for every
// project, so a folder holds the published set of one project only. Returns the base name of
// another project whose published set is in `folder` (found by its publish report, or by its
// project file with its page beside it), or "" when the set there is none or belongs to the
// project `fileName`. Saving there would replace that project's files.
std::string OtherPublishedProject(const std::string& folder, const std::string& fileName);

// The preview folder of a work folder: its sub-folder "preview" (with its separator).
std::string PreviewFolderIn(const std::string& workFolder);

class TProjectModel {
 public:
  // programFolder: the folder of the running executable, where the runtime script lives and the
  // generated script files and the preview folder are made. A trailing separator is added if
  // missing. The host interfaces may be null (then nothing is shown); they must outlive the model.
  explicit TProjectModel(const std::string& programFolder, IProgress* progress = nullptr,
                         IMessages* messages = nullptr);

  // --- data ---
  TSliderData Slider;
  TItemArray Items;
  std::array<std::string, 3> ScriptFiles;  // runtime script, configuration script, style sheet
  TStringArray PreviewFiles;               // names copied into the preview folder since clean-up
  std::string Separator;                   // "#$@"

  const std::string& ProgramFolder() const { return programFolder_; }
  // The folder of the project file (with its separator), against which relative picture paths
  // are resolved; empty for a design without a file.
  std::string ProjectFolder;
  // Where item `index`'s picture is read from (ResolvePicturePath).
  std::string PicturePath(size_t index) const;
  // Where the generator writes the configuration script and the style sheet, and whose
  // sub-folder "preview" is the preview folder. The program's folder unless set otherwise: the
  // command-line publisher uses a private folder so that parallel runs do not meet.
  const std::string& WorkFolder() const { return workFolder_; }
  void SetWorkFolder(const std::string& folder);
  std::string PreviewFolder() const { return PreviewFolderIn(workFolder_); }

  // How many pictures are scaled at once (0: one per core). The files do not depend on it.
  unsigned ImageWorkers = 0;

  // Scaled pictures are kept between runs in a cache folder shared with other runs, so that only
  // new or changed pictures are scaled again; the files do not depend on it. Off: nothing is
  // looked up or written there. The folder is the user's cache folder for pictures
  // (TPictureCache::DefaultFolder()) unless PictureCacheFolder names another; it is trimmed to
  // PictureCacheLimit bytes at the end of a run that added to it.
  bool PictureCacheEnabled = true;
  std::string PictureCacheFolder;
  unsigned long long PictureCacheLimit = 256ULL * 1024 * 1024;

  // Pages get the minified runtime script of the program's folder (ScriptFiles[0]); with
  // ReadableRuntime its readable source (kReadableRuntime) is published under the same name,
  // or the minified one where the program's folder lacks the source.
  static constexpr const char* kReadableRuntime = "torvane.readable.js";
  bool ReadableRuntime = false;
  std::string RuntimeScriptSource() const;
  // Also make each picture at twice the slider height ("slider0@2x.jpg"; never enlarged beyond
  // its source), for screens of high pixel density. Off: the files are exactly as without it.
  bool DoubleDensityPictures = false;
  // The pictures at twice the height that the last generation put into the preview folder; the
  // configuration script names them, publishing copies and lists them beside their items'
  // pictures. ClearPreview forgets them.
  TStringArray DoubleDensityFiles;
  // "slider0@2x.jpg" for "slider0.jpg" when DoubleDensityFiles holds it, else empty.
  std::string DoubleDensityFileOf(const std::string& imageFile) const;
  // Also write each picture (and its picture at twice the height) as WebP and AVIF
  // ("slider0.webp", "slider0.avif"): TModernFormat bits. The configuration script names the
  // formats an item has, and the runtime picks the best one the browser reads. 0: the files are
  // exactly as without it.
  unsigned ModernFormats = 0;
  // The pictures in those formats that the last generation put into the preview folder.
  TStringArray ModernFormatFiles;
  // Every picture published for an item's picture "slider0.jpg" that the last generation made:
  // the JPEG first, then its other formats, then the same for the picture at twice the height.
  std::vector<std::string> PublishedPicturesOf(const std::string& imageFile) const;

  // Lets another thread stop MakeHTMLCodes and PublishProject while they scale pictures: they end
  // with TvCancelled, every file beside the project as it was. Once the generated files start to
  // be written the run is committed and goes to its end. None: the run cannot be stopped.
  TCancelToken* CancelToken = nullptr;

  // --- record and list operations (never raise) ---
  void LoadDefaults();

  // Adds one node per item below the tree's root, following the items' levels. Every item gets
  // exactly one node, in depth-first order, whatever the levels hold.
  void RebuildItemNodes(IDesignTree& tree) const;

  // --- project file ---
  void SaveProject(const std::string& fileName);
  TLoadResult LoadProject(const std::string& fileName, IDesignTree& tree);
  // Opens a project as the window does: all or nothing. The file is read to the end of its image
  // list and every value the property panels show is checked before the model changes. A file
  // that is not a project file is refused as LoadProject refuses it (Rejected); a file that ends
  // early or holds a value its field cannot take throws TvError naming the file, the line and the
  // field. On every way out but Loaded the model is as it was and the tree holds its items.
  TLoadResult OpenProject(const std::string& fileName, IDesignTree& tree);
  // The range of the numbers the slider panel edits.
  static constexpr int kMinPanelNumber = ::kMinPanelNumber;
  static constexpr int kMaxPanelNumber = ::kMaxPanelNumber;
  // The same from the file's bytes held in memory; fileName only names it in messages.
  TLoadResult LoadProjectText(const std::string& text, const std::string& fileName,
                              IDesignTree& tree);
  // The text SaveProject writes (UTF-8, CR LF). Throws TvError for a value a project file cannot
  // hold.
  std::string ProjectText();

  // A project file may hold at most this many items and bytes; a larger one is refused with an
  // error naming it, and the model is left as it was.
  static constexpr size_t kMaxItems = 1000000;
  static constexpr long long kMaxProjectFileBytes = 128LL << 20;

  // --- generator ---
  // The generator's work up to the page: the pictures in the preview folder, the configuration
  // script and the style sheet in the work folder. Returns the page's lines, for the caller to
  // write or show. Throws before anything is written for a design that cannot be generated.
  std::vector<std::string> MakePage(IDesignTree& tree);
  // MakePage, with the page written to `pagePath`. Returns each item's picture status in item
  // order (also kept in PictureStatus()).
  std::vector<TPictureStatus> MakeHTMLCodes(const std::string& pagePath, IDesignTree& tree);
  // The picture status of every item the last generation (MakeHTMLCodes, PublishProject) looked
  // at, in item order; set before any picture is made, so it is there after a failed run too.
  const std::vector<TPictureStatus>& PictureStatus() const { return pictureStatus_; }
  // One line for each item whose link runs script or reaches local files in a visitor's browser
  // ("item 3 (harbour.jpg): the link javascript:... runs script"): written as they are, such
  // links are worth a second look.
  std::vector<std::string> LinkWarnings() const;
  // What a user pastes into a page of their own to show the slider there: a comment naming the
  // files to upload beside the page, the style sheet and script tags, and the slider's <div>, as
  // the published page has them. Throws TvError for a design the generator refuses.
  std::vector<std::string> EmbedCode() const;

  // --- preview folder and publishing ---
  // Copies the file at path into the preview folder as name (its own name when empty).
  void AddToPreview(const std::string& path, std::string name = {});
  void ClearPreview();
  void CopyScriptFilesToPreview(const std::string& folder);
  void CopyResourceFiles(const std::string& folder);
  bool PublishProject(const std::string& folder, const std::string& fileName, IDesignTree& tree);
  // What the last PublishProject did to the folder.
  TPublishChanges LastPublish;
  void MakePublishReport(const std::string& folder, const std::string& fileName);

 private:
  std::string programFolder_;
  std::string workFolder_;
  std::vector<TPictureStatus> pictureStatus_;
  IProgress* progress_;
  IMessages* messages_;
  TNullProgress nullProgress_;
  TNullMessages nullMessages_;

  IProgress& Progress() { return progress_ ? *progress_ : nullProgress_; }
  void CheckStorableValues() const;
  std::vector<std::string> PublishReportLines();
  // The page's tags that load the slider's files, then its <div>.
  std::vector<std::string> EmbedLines(const scripttext::TCheckedDesign& checked) const;
  // Returns whether the file was written (false: it held this text already).
  bool SaveProjectText(const std::string& fileName, const std::string& text);
  TLoadResult LoadProjectFrom(fileutil::TTextLineReader& lines, const std::string& fileName,
                              IDesignTree& tree);
  IMessages& Messages() { return messages_ ? *messages_ : nullMessages_; }
};
