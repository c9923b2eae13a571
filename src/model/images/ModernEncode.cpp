#include "images/ModernEncode.h"

#include <cstring>
#include <memory>

#include <libheif/heif.h>
#include <webp/encode.h>

#include "Errors.h"

namespace images {

std::vector<unsigned char> EncodeWebp(const unsigned char* rgb, int width, int height, int quality,
                                      int method, const std::string& path) {
  const auto refuse = [&](const std::string& why) {
    return TvError("Cannot encode the scaled picture of " + path + " as WebP: " + why);
  };
  WebPConfig config;
  if (!WebPConfigInit(&config)) throw refuse("the library does not match its header");
  config.quality = static_cast<float>(quality);
  config.method = method;
  WebPPicture picture;
  if (!WebPPictureInit(&picture)) throw refuse("the library does not match its header");
  picture.width = width;
  picture.height = height;
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool ok = WebPPictureImportRGB(&picture, rgb, width * 3) && WebPEncode(&config, &picture);
  const int error = picture.error_code;
  WebPPictureFree(&picture);
  std::vector<unsigned char> bytes;
  if (ok) bytes.assign(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!ok) throw refuse("encoder error " + std::to_string(error));
  return bytes;
}

namespace {

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

std::vector<unsigned char> EncodeAvif(const unsigned char* rgb, int width, int height, int quality,
                                      int speed, const std::string& path) {
  const auto check = [&](const heif_error& error) {
    if (error.code != heif_error_Ok) {
      throw TvError("Cannot encode the scaled picture of " + path +
                    " as AVIF: " + (error.message ? error.message : "encoder error"));
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

  heif_image* rawImage = nullptr;
  check(heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          &rawImage));
  const THeif<heif_image> image(rawImage);
  check(heif_image_add_plane(image.get(), heif_channel_interleaved, width, height, 8));
  int stride = 0;
  unsigned char* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
  for (int y = 0; y < height; ++y) {
    std::memcpy(plane + static_cast<size_t>(y) * stride, rgb + static_cast<size_t>(y) * width * 3,
                static_cast<size_t>(width) * 3);
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
