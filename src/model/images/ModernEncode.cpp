#include "images/ModernEncode.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include <libheif/heif.h>
#include <webp/encode.h>

#include "Errors.h"

namespace images {

namespace {

// Calls put(x, y, cbSum, crSum) for each chroma sample of 4:2:0 planes made from YCbCr pixels,
// with the sums of the four pixels it covers (at an odd width or height, the last column or row
// counts twice).
template <typename Put>
void HalveChroma(const unsigned char* ycc, int width, int height, Put put) {
  const size_t row = static_cast<size_t>(width) * 3;
  for (int y = 0; y < (height + 1) / 2; ++y) {
    const unsigned char* top = ycc + static_cast<size_t>(2 * y) * row;
    const unsigned char* bottom = 2 * y + 1 < height ? top + row : top;
    for (int x = 0; x < (width + 1) / 2; ++x) {
      const size_t left = static_cast<size_t>(2 * x) * 3;
      const size_t right = 2 * x + 1 < width ? left + 3 : left;
      put(x, y, top[left + 1] + top[right + 1] + bottom[left + 1] + bottom[right + 1],
          top[left + 2] + top[right + 2] + bottom[left + 2] + bottom[right + 2]);
    }
  }
}

// WebP holds YCbCr in the range of video (luma 16..235, chroma 16..240): a full-range luma
// sample, and the sum of four full-range chroma samples, mapped to it.
const std::array<unsigned char, 256> kVideoLuma = [] {
  std::array<unsigned char, 256> table{};
  for (int v = 0; v < 256; ++v) {
    table[static_cast<size_t>(v)] = static_cast<unsigned char>(std::lround(16 + v * 219 / 255.0));
  }
  return table;
}();
const std::array<unsigned char, 4 * 255 + 1> kVideoChromaOfSum = [] {
  std::array<unsigned char, 4 * 255 + 1> table{};
  for (int sum = 0; sum <= 4 * 255; ++sum) {
    table[static_cast<size_t>(sum)] =
        static_cast<unsigned char>(std::lround(128 + (sum - 4 * 128) * 224 / (4 * 255.0)));
  }
  return table;
}();

bool ImportYCbCr(WebPPicture& picture, const unsigned char* ycc) {
  picture.use_argb = 0;
  picture.colorspace = WEBP_YUV420;
  if (!WebPPictureAlloc(&picture)) return false;
  for (int y = 0; y < picture.height; ++y) {
    const unsigned char* in = ycc + static_cast<size_t>(y) * picture.width * 3;
    uint8_t* out = picture.y + static_cast<size_t>(y) * picture.y_stride;
    for (int x = 0; x < picture.width; ++x) out[x] = kVideoLuma[in[3 * x]];
  }
  HalveChroma(ycc, picture.width, picture.height, [&](int x, int y, int cb, int cr) {
    const size_t at = static_cast<size_t>(y) * picture.uv_stride + x;
    picture.u[at] = kVideoChromaOfSum[static_cast<size_t>(cb)];
    picture.v[at] = kVideoChromaOfSum[static_cast<size_t>(cr)];
  });
  return true;
}

struct THeifFree {
  void operator()(heif_context* p) const { heif_context_free(p); }
  void operator()(heif_encoder* p) const { heif_encoder_release(p); }
  void operator()(heif_image* p) const { heif_image_release(p); }
  void operator()(heif_color_profile_nclx* p) const { heif_nclx_color_profile_free(p); }
  void operator()(heif_encoding_options* p) const { heif_encoding_options_free(p); }
};
template <typename T>
using THeif = std::unique_ptr<T, THeifFree>;

heif_error AppendBytes(heif_context*, const void* data, size_t size, void* userdata) {
  auto* out = static_cast<std::vector<unsigned char>*>(userdata);
  const auto* bytes = static_cast<const unsigned char*>(data);
  out->insert(out->end(), bytes, bytes + size);
  return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

}  // namespace

std::vector<unsigned char> EncodeWebp(const unsigned char* pixels, PixelKind kind, int width,
                                      int height, int quality, int method,
                                      const std::string& path) {
  const auto refuse = [&](const TMessage& why) {
    return TvError(TV_MESSAGE("model", "Cannot encode the scaled picture of %1 as WebP: %2")
                       .Arg(path)
                       .Arg(why));
  };
  WebPConfig config;
  if (!WebPConfigInit(&config))
    throw refuse(TV_MESSAGE("model", "the library does not match its header"));
  config.quality = static_cast<float>(quality);
  config.method = method;
  WebPPicture picture;
  if (!WebPPictureInit(&picture))
    throw refuse(TV_MESSAGE("model", "the library does not match its header"));
  picture.width = width;
  picture.height = height;
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool imported = kind == PixelKind::YCbCr
                            ? ImportYCbCr(picture, pixels)
                            : WebPPictureImportRGB(&picture, pixels, width * 3) != 0;
  const bool ok = imported && WebPEncode(&config, &picture);
  const int error = picture.error_code;
  WebPPictureFree(&picture);
  std::vector<unsigned char> bytes;
  if (ok) bytes.assign(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!ok) throw refuse(TV_MESSAGE("model", "encoder error %1").Arg(error));
  return bytes;
}

std::vector<unsigned char> EncodeAvif(const unsigned char* pixels, PixelKind kind, int width,
                                      int height, int quality, int speed, const std::string& path) {
  const auto check = [&](const heif_error& error) {
    if (error.code != heif_error_Ok) {
      throw TvError(TV_MESSAGE("model", "Cannot encode the scaled picture of %1 as AVIF: %2")
                        .Arg(path)
                        .Arg(error.message
                                 ? TMessageArgument(error.message)
                                 : TMessageArgument(TV_MESSAGE("model", "encoder error"))));
    }
  };
  const THeif<heif_context> context(heif_context_alloc());
  heif_encoder* rawEncoder = nullptr;
  check(heif_context_get_encoder_for_format(context.get(), heif_compression_AV1, &rawEncoder));
  const THeif<heif_encoder> encoder(rawEncoder);
  check(heif_encoder_set_lossy_quality(encoder.get(), quality));
  check(heif_encoder_set_parameter_integer(encoder.get(), "speed", speed));
  check(heif_encoder_set_parameter_string(encoder.get(), "chroma", "420"));
  // One picture per worker thread already keeps the cores busy.
  heif_encoder_set_parameter_integer(encoder.get(), "threads", 1);
  // No quantizer changes within the picture: at these speeds that changes no byte of our photos
  // but saves about 1 ms of set-up per picture. Encoders without the setting go without.
  heif_encoder_set_parameter_string(encoder.get(), "aom:deltaq-mode", "0");

  const bool ycc = kind == PixelKind::YCbCr;
  heif_image* rawImage = nullptr;
  // YCbCr is already in the matrix and range the file is tagged with: libheif converts nothing.
  check(heif_image_create(width, height, ycc ? heif_colorspace_YCbCr : heif_colorspace_RGB,
                          ycc ? heif_chroma_420 : heif_chroma_interleaved_RGB, &rawImage));
  const THeif<heif_image> image(rawImage);
  const auto plane = [&](heif_channel channel, int planeWidth, int planeHeight) {
    check(heif_image_add_plane(image.get(), channel, planeWidth, planeHeight, 8));
    int stride = 0;
    unsigned char* data = heif_image_get_plane(image.get(), channel, &stride);
    return std::make_pair(data, static_cast<size_t>(stride));
  };
  if (ycc) {
    const auto [luma, lumaStride] = plane(heif_channel_Y, width, height);
    for (int y = 0; y < height; ++y) {
      const unsigned char* in = pixels + static_cast<size_t>(y) * width * 3;
      unsigned char* out = luma + static_cast<size_t>(y) * lumaStride;
      for (int x = 0; x < width; ++x) out[x] = in[3 * x];
    }
    const auto [cb, cbStride] = plane(heif_channel_Cb, (width + 1) / 2, (height + 1) / 2);
    const auto [cr, crStride] = plane(heif_channel_Cr, (width + 1) / 2, (height + 1) / 2);
    HalveChroma(pixels, width, height, [&](int x, int y, int cbSum, int crSum) {
      cb[static_cast<size_t>(y) * cbStride + x] = static_cast<unsigned char>((cbSum + 2) / 4);
      cr[static_cast<size_t>(y) * crStride + x] = static_cast<unsigned char>((crSum + 2) / 4);
    });
  } else {
    const auto [rgb, stride] = plane(heif_channel_interleaved, width, height);
    for (int y = 0; y < height; ++y) {
      std::memcpy(rgb + y * stride, pixels + static_cast<size_t>(y) * width * 3,
                  static_cast<size_t>(width) * 3);
    }
  }
  const THeif<heif_color_profile_nclx> nclx(heif_nclx_color_profile_alloc());
  nclx->color_primaries = heif_color_primaries_ITU_R_BT_709_5;
  nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
  nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
  nclx->full_range_flag = 1;
  check(heif_image_set_nclx_color_profile(image.get(), nclx.get()));
  const THeif<heif_encoding_options> options(heif_encoding_options_alloc());
  options->save_alpha_channel = 0;
  options->output_nclx_profile = nclx.get();
  check(
      heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(), nullptr));
  std::vector<unsigned char> bytes;
  heif_writer writer{1, AppendBytes};
  check(heif_context_write(context.get(), &writer, &bytes));
  return bytes;
}

}  // namespace images
