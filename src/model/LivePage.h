// The page of the live preview: the design as it would be published (scaled pictures, style
// sheet, configuration script, runtime script and page), generated into a folder of its own from
// a copy of the design, so that it can run away from the window while the user goes on editing.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "AppletAgent.h"
#include "Cancel.h"

// A design frozen at one moment. Each item's ILevel holds the depth of its node below the root
// (0: directly under the slider), so that the tree can be built again without the window.
struct TLiveDesign {
  TAppletData slider;
  TItemArray items;
  std::string projectFolder;  // relative picture paths are read from here (empty: no file yet)
  // Picture files already known to be unusable (their contents could not be decoded).
  std::set<std::string> refusedPictures;
};

// Which items' pictures cannot be used now: a path is set but the file is missing, its header
// cannot be read or it is among design.refusedPictures. One flag per item; reads headers only.
std::vector<bool> UnusablePictures(const TLiveDesign& design);

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
  std::vector<bool> unusable;  // per item: shown without its picture
  TItemArray items;            // as the page shows them: picture names and sizes made
  // What a page already showing the same pictures needs to show this design instead: the style
  // sheet's text, the slider's element id and the runtime call that draws it (its item list is
  // the one the page has).
  std::string styleSheet;
  std::string divId;
  std::string sliderCall;
};

// Whether a page of `before` shows the pictures of `after` too (same items, same height, and the
// same background for pictures that may be transparent): then only the look or speed differs.
bool SamePictures(const TLiveDesign& before, const TLiveDesign& after);

// Generates the design into `folder` (made if missing; it must not be shared with anything else):
// the page is folder/preview/index.html. Throws TvError (naming the value or file) for a design
// the generator refuses. An item whose picture cannot be read (see UnusablePictures) is shown
// without a picture, as the tree flags it; an item whose picture is not found keeps the name and
// size it holds, and the picture of that name is taken from options.madePictures when it is
// there (as Save publishes it), else it shows as missing.
// With `shown` (a page of a design with the SamePictures), no picture is made or copied: its items
// keep the names and sizes of `shown`, for a page that is updated in place.
TLivePage MakeLivePage(const TLiveDesign& design, const std::string& folder,
                       const TLivePageOptions& options, const TLivePage* shown = nullptr);
