// WebP sources through libwebp: still pictures (lossy or lossless, with or without alpha) and the
// first frame of animated ones. Still pictures are decoded at a reduced size when the slider
// needs much less (libwebp averages the pixels it drops), as JPEG pictures are by DCT scaling. The
// colour profile and EXIF orientation come from the container's ICCP and EXIF chunks.
#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "images/PictureDecoder.h"

namespace images {
namespace {

class WebpDecoder : public TWholePictureDecoder {
 public:
  explicit WebpDecoder(TPictureInput& input) : path_(input.Path()), data_(input.All()) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data_.data());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, data_.size(), &features) != VP8_STATUS_OK) {
      PictureFailure(
          path_,
          TV_MESSAGE("model", "damaged or unsupported WebP data (its header cannot be read)"));
    }
    animated_ = features.has_animation != 0;
    header_.width = features.width;
    header_.height = features.height;
    header_.channels = features.has_alpha || animated_ ? 4 : 3;
    const WebPData whole = {bytes, data_.size()};
    if (WebPDemuxer* demux = WebPDemux(&whole)) {
      if (animated_) {
        header_.width = static_cast<int>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH));
        header_.height = static_cast<int>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT));
      }
      WebPChunkIterator chunk;
      if (WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
        header_.iccProfile.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
      }
      if (WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
        header_.orientation = ExifBlockOrientation(chunk.chunk.bytes, chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
      }
      WebPDemuxDelete(demux);
    }
    CountMemory();
  }

  void ReduceTo(int minWidth, int minHeight) override {
    const double k = std::min(static_cast<double>(header_.width) / std::max(1, minWidth),
                              static_cast<double>(header_.height) / std::max(1, minHeight));
    if (animated_ || k < 2) return;
    header_.width = std::max(1, static_cast<int>(std::ceil(header_.width / k)));
    header_.height = std::max(1, static_cast<int>(std::ceil(header_.height / k)));
    scaled_ = true;
    CountMemory();
  }

 protected:
  void DecodeAll(std::vector<unsigned char>& pixels) override {
    const size_t stride = static_cast<size_t>(header_.width) * header_.channels;
    const size_t size = stride * static_cast<size_t>(header_.height);
    pixels.resize(size);
    const auto* bytes = reinterpret_cast<const uint8_t*>(data_.data());
    if (animated_) {
      DecodeFirstFrame(bytes, pixels);
      return;
    }
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
      PictureFailure(path_, TV_MESSAGE("model", "the WebP decoder cannot start"));
    config.options.use_scaling = scaled_ ? 1 : 0;
    config.options.use_threads = 1;  // the loop filter runs beside the decoding
    config.options.scaled_width = header_.width;
    config.options.scaled_height = header_.height;
    config.output.colorspace = header_.channels == 4 ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixels.data();
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = size;
    const VP8StatusCode status = WebPDecode(bytes, data_.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
      PictureFailure(path_, TV_MESSAGE("model", "the picture data is corrupt or truncated"));
  }

 private:
  // The decoded picture, and for an animation the decoder's canvas and previous frame.
  void CountMemory() {
    header_.wholeBytes =
        SizeSum({SizeProduct({header_.width, header_.height, header_.channels, animated_ ? 3 : 1}),
                 static_cast<long long>(data_.size())});
  }

  void DecodeFirstFrame(const uint8_t* bytes, std::vector<unsigned char>& pixels) {
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData whole = {bytes, data_.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&whole, &options);
    uint8_t* frame = nullptr;
    int timestamp = 0;
    const bool ok = decoder && WebPAnimDecoderGetNext(decoder, &frame, &timestamp) && frame;
    if (ok) std::memcpy(pixels.data(), frame, pixels.size());
    WebPAnimDecoderDelete(decoder);
    if (!ok)
      PictureFailure(path_,
                     TV_MESSAGE("model", "the first frame of the animation cannot be decoded"));
  }

  std::string path_;
  const std::string& data_;
  bool animated_ = false;
  bool scaled_ = false;
};

}  // namespace

std::unique_ptr<TPictureDecoder> OpenWebp(TPictureInput& input) {
  return std::make_unique<WebpDecoder>(input);
}

}  // namespace images
