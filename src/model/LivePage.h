// The page of the live preview: the design as it would be published (scaled pictures, style
// sheet, configuration script, runtime script and page), generated into a folder of its own from
// a copy of the design, so that it can run away from the window while the user goes on editing.
#pragma once

#include <memory>
#include <string>

#include "AppletAgent.h"
#include "Cancel.h"

// A design frozen at one moment. Each item's ILevel holds the depth of its node below the root
// (0: directly under the slider), so that the tree can be built again without the window.
struct TLiveDesign {
  TAppletData slider;
  TItemArray items;
};

struct TLivePageOptions {
  std::string programFolder;  // where the runtime script is
  bool pictureCache = true;   // scaled pictures are looked up and kept in cacheFolder
  std::string cacheFolder;    // empty: the user's cache folder for pictures
  unsigned imageWorkers = 0;  // pictures scaled at once (0: one per core)
  // Where the pictures of items whose original is not found may already be, scaled under their
  // item's picture name (the window's preview folder, filled from a published project).
  std::string madePictures;
  // Asked to stop, the making ends with TvCancelled.
  std::shared_ptr<TCancelToken> cancel;
};

struct TLivePage {
  std::string pagePath;  // the page; its scripts and pictures are beside it
  int width = 0;         // the slider box's outer size in pixels
  int height = 0;
};

// Generates the design into `folder` (made if missing; it must not be shared with anything else):
// the page is folder/preview/index.html. Throws TvError (naming the value or file) for a design
// the generator refuses; a picture that is not found is no error, its item keeps the name and
// size it holds, and the picture of that name is taken from options.madePictures when it is there.
TLivePage MakeLivePage(const TLiveDesign& design, const std::string& folder,
                       const TLivePageOptions& options);
