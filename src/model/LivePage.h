// The page of the live preview: the design as it would be published (scaled pictures, style
// sheet, configuration script, runtime script and page), generated into a folder of its own from
// a copy of the design, so that it can run away from the window while the user goes on editing.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "Cancel.h"
#include "ProjectModel.h"

class TPictureCache;

// What a live page is made of: a copy of the design, and the picture files the window already
// knows to be unusable (their contents could not be decoded).
struct TLiveDesign {
  TDesign design;
  std::set<std::string> refusedPictures;
};

// Which items' pictures cannot be used now: a path is set but the file is missing, its header
// cannot be read or it is among the refused pictures. One flag per item; reads headers only.
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

// A picture a page names but that is made only once the page asks for it: the original scaled
// to the slider's height as Save scales it, or a picture made earlier, as it is.
struct TLivePicture {
  std::string source;  // the original (empty: `made`)
  int height = 0;      // scaled to this height
  unsigned background = 0xFFFFFF;
  std::string made;  // a picture made before, served as it is
  int width = 0;     // the size the page gives it
  int shownHeight = 0;
};
// By the name the page asks for. A name stands for the picture's contents (the original's
// identity on disk, the height, the background where it matters), so that a page can take the
// items of another design in place: pictures it shows already keep their names.
using TLivePictures = std::unordered_map<std::string, TLivePicture>;

struct TLivePage {
  std::string pagePath;  // the page; its scripts are beside it
  int width = 0;         // the slider box's outer size in pixels
  int height = 0;
  std::vector<bool> unusable;                     // per item: shown without its picture
  TItemArray items;                               // as the page shows them: picture names and sizes
  std::shared_ptr<const TLivePictures> pictures;  // every picture the page names, to be made
  // What a page already showing this slider (the same element id) needs to show this design
  // instead: the style sheet's text, the slider's element id and the runtime call that draws it.
  std::string styleSheet;
  std::string divId;
  std::string sliderCall;
};

// Generates the design's page into `folder` (made if missing; it must not be shared with anything
// else): the page is folder/preview/index.html, with its scripts and style sheet beside it. No
// picture is made: each item names its picture as page.pictures lists it (see MakeLivePicture),
// with its size from the original's header, so a page of any size is made at once and only the
// pictures it shows are ever made. Throws TvError (naming the value or file) for a design the
// generator refuses. An item whose picture cannot be read (see UnusablePictures) is shown without
// a picture, as the tree flags it; an item whose picture is not found keeps the size it holds,
// and the picture of its name is taken from options.madePictures when it is there (as Save
// publishes it), else it shows as missing.
// `before`: the page made last, whose pictures' sizes need not be read again.
TLivePage MakeLivePage(const TLiveDesign& design, const std::string& folder,
                       const TLivePageOptions& options, const TLivePage* before = nullptr);

// Makes one picture of a page into the file at `path` (written whole, under a temporary name
// first), through `cache` when given. Throws TvError naming the file when it cannot be read.
void MakeLivePicture(const TLivePicture& picture, const std::string& path, TPictureCache* cache);
