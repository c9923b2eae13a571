#include "images/Thumbnail.h"

#include <algorithm>
#include <tuple>

#include "Errors.h"
#include "images/ImageScaler.h"

TThumbnail MakeThumbnail(const std::string& sourcePath, int box) {
  if (box < 1) throw TvError("A thumbnail must be at least 1 pixel in size");
  TThumbnail result;
  std::tie(result.sourceWidth, result.sourceHeight) = UprightPictureSize(sourcePath);
  const int w = result.sourceWidth, h = result.sourceHeight;
  // The height that fits the box; a landscape picture fills the box's width.
  int height = h;
  if (std::max(w, h) > box) height = w > h ? ScaledSize(h, w, box).first : box;
  TDecodedPicture decoded = DecodePictureFile(sourcePath, height);
  result.width = decoded.width;
  result.height = decoded.height;
  result.rgb = std::move(decoded.rgb);
  return result;
}

std::optional<TMessage> PictureProblem(const std::string& sourcePath) {
  try {
    UprightPictureSize(sourcePath);
  } catch (const TvError& error) {
    return error.Message();
  } catch (const std::exception& error) {
    return TMessage::Verbatim(error.what());
  }
  return std::nullopt;
}
