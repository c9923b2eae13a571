// Fuzz target: the project file reader, fed from memory. Besides not crashing, every load must
// leave the model and the design tree in agreement (one node per item, in depth-first order with
// well-formed levels), a file that loads completely must come back unchanged through the writer,
// and the value checks and conversions the generator applies must fail only with their errors.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Conversions.h"
#include "Errors.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "ScriptText.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_project: broken invariant: %s\n", what);
    std::abort();
  }
}

void CheckAgreement(const TProjectModel& model, const TMemoryTree& tree) {
  Check(tree.NodeCount() == static_cast<int>(model.Items.size()) + 1,
        "one tree node per item besides the root");
  for (int k = 1; k < tree.NodeCount(); ++k) {
    const int parent = tree.Parent(k);
    Check(parent >= 0 && parent < k, "a parent comes before its child");
    Check(tree.Depth(k) == tree.Depth(parent) + 1, "a child is one level below its parent");
    Check(tree.Depth(k) <= tree.Depth(k - 1) + 1, "depth-first order");
  }
}

void ExerciseConversions(const TProjectModel& model) {
  try {
    scripttext::CheckDesign(model.Slider, model.Items);
  } catch (const TvError&) {
  }
  const TSliderData& d = model.Slider;
  for (const std::string* style : {&d.imageBorderStyle, &d.containerBorderStyle}) {
    try {
      CssBorderStyle(*style);
    } catch (const TvConvertError&) {
    }
  }
  for (const std::string* color :
       {&d.backgroundColour, &d.imageBorderColour, &d.containerBorderColour}) {
    try {
      ColorToHex(HexToColor(*color));
    } catch (const TvConvertError&) {
    }
  }
  for (const TItemData& item : model.Items) {
    for (const std::string* size : {&item.width, &item.height}) {
      try {
        scripttext::CanonicalItemSize(*size, TMessage::Verbatim("size"));
      } catch (const TvError&) {
      }
    }
    scripttext::JsString(item.toolTip);
    scripttext::HtmlAttribute(item.link);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TProjectModel model("/nonexistent/");
  model.LoadDefaults();
  TMemoryTree tree;
  TLoadResult result;
  try {
    result = model.LoadProjectText(text, "fuzz.tvn", tree);
  } catch (const TvError&) {
    CheckAgreement(model, tree);  // refused (too many items): the model is unchanged
    return 0;
  }
  CheckAgreement(model, tree);
  ExerciseConversions(model);
  if (result != TLoadResult::Loaded) return 0;

  std::string saved;
  try {
    saved = model.ProjectText();
  } catch (const TvError&) {
    return 0;  // a value the file format cannot hold (such as a lone carriage return)
  }
  TProjectModel again("/nonexistent/");
  TMemoryTree againTree;
  Check(again.LoadProjectText(saved, "saved.tvn", againTree) == TLoadResult::Loaded,
        "a saved file loads completely");
  Check(again.Slider == model.Slider, "slider parameters survive a save");
  Check(again.Items == model.Items, "items survive a save");
  Check(again.ProjectText() == saved, "a second save writes the same bytes");
  return 0;
}
