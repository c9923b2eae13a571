// The design's writers as functions of a value: each takes the design (const) and the run's
// options and returns what it did. Nothing of the caller's design changes; what writing brings up
// to date (item levels, converted links, picture names and sizes) comes back in the result, for
// the owner of the design to take over. The project model (TProjectModel) does the work inside.
#pragma once

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
  std::string work;  // empty: the program's folder
};

// What a publish did.
struct TPublishResult {
  TDesign design;                             // as it was written
  std::vector<TPictureStatus> pictureStatus;  // per item: was its picture found
  // Every file of the published set, in the order a user uploads them: the page, the runtime,
  // the configuration script, the style sheet, the project file, the report, then each picture
  // (its other formats and its picture at twice the height after it).
  std::vector<std::string> files;
  bool runtimeMissing = false;            // the program's folder lacks the runtime script
  std::vector<std::string> linkWarnings;  // TProjectModel::LinkWarnings
  TProjectModel::TPublishChanges changes;
};

// Reads a project file as publishing reads it. Throws TvError naming the file when it is not a
// project file or ends early; `messages` hears what the reader tells on the way.
TDesign ReadDesign(const std::string& fileName, IMessages* messages = nullptr);

// Publishes `design` into `folder` under the project file name `fileName` (see
// TProjectModel::PublishProject). Throws TvError when it cannot; the folder's set is then as
// it was.
TPublishResult PublishDesign(const TDesign& design, const TPublishOptions& options,
                             const TRunFolders& folders, const std::string& folder,
                             const std::string& fileName, IProgress* progress = nullptr,
                             IMessages* messages = nullptr);
