// HEIC and AVIF sources through libheif: the primary picture, with the file's own rotation,
// mirroring and cropping applied by libheif (so no EXIF orientation on top), its ICC profile or
// the primaries its colour description by numbers gives, and samples of more than
// 8 bits rounded to 8.
#include <libheif/heif.h>

#include <algorithm>
#include <memory>

#include "images/ColorConvert.h"
#include "images/PictureDecoder.h"

namespace images {
namespace {

class HeifDecoder : public TWholePictureDecoder {
 public:
  explicit HeifDecoder(TPictureInput& input) : path_(input.Path()), data_(input.All()) {
    static const bool initialised = heif_init(nullptr).code == heif_error_Ok;
    (void)initialised;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data_.data());
    const int head = static_cast<int>(std::min<size_t>(data_.size(), 64));
    const heif_brand brand = heif_main_brand(bytes, head);
    const bool av1 = brand == heif_avif || brand == heif_avis;
    if (!heif_have_decoder_for_format(av1 ? heif_compression_AV1 : heif_compression_HEVC)) {
      PictureFailure(path_,
                     av1 ? TV_MESSAGE("model",
                                      "AVIF decoding is not available: install libheif1 with its "
                                      "AV1 decoder (the libheif-plugin-dav1d package where there "
                                      "is one)")
                         : TV_MESSAGE("model",
                                      "HEIC decoding is not available: install libheif1 with its "
                                      "HEVC decoder (the libheif-plugin-libde265 package where "
                                      "there is one)"));
    }
    context_.reset(heif_context_alloc());
    if (!context_) PictureFailure(path_, TV_MESSAGE("model", "out of memory"));
    // The declared size is checked by the scaler, which names it; libheif's own bound stays far
    // above that check.
    heif_context_set_maximum_image_size_limit(context_.get(), 1 << 17);
    Check(heif_context_read_from_memory_without_copy(context_.get(), bytes, data_.size(), nullptr));
    heif_image_handle* handle = nullptr;
    Check(heif_context_get_primary_image_handle(context_.get(), &handle));
    handle_.reset(handle);
    header_.width = heif_image_handle_get_width(handle_.get());
    header_.height = heif_image_handle_get_height(handle_.get());
    header_.channels = heif_image_handle_has_alpha_channel(handle_.get()) ? 4 : 3;
    header_.premultiplied = heif_image_handle_is_premultiplied_alpha(handle_.get()) != 0;
    bits_ = std::max(8, heif_image_handle_get_luma_bits_per_pixel(handle_.get()));
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle_.get());
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
      std::vector<unsigned char> profile(
          heif_image_handle_get_raw_color_profile_size(handle_.get()));
      if (!profile.empty() &&
          heif_image_handle_get_raw_color_profile(handle_.get(), profile.data()).code ==
              heif_error_Ok) {
        header_.iccProfile = std::move(profile);
      }
    } else if (type == heif_color_profile_type_nclx) {
      header_.iccProfile = ProfileOfNumbers();
    }
    // libheif's planes (up to three of 16-bit samples), its interleaved picture and our copy.
    const int sample = bits_ > 8 ? 2 : 1;
    header_.wholeBytes = SizeSum({SizeProduct({header_.width, header_.height,
                                               header_.channels * sample * 2 + header_.channels}),
                                  static_cast<long long>(data_.size())});
  }

 protected:
  void DecodeAll(std::vector<unsigned char>& pixels) override {
    const bool alpha = header_.channels == 4;
    const heif_chroma chroma =
        bits_ > 8
            ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
            : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* image = nullptr;
    const heif_error error =
        heif_decode_image(handle_.get(), &image, heif_colorspace_RGB, chroma, nullptr);
    if (error.code != heif_error_Ok) {
      if (image) heif_image_release(image);
      PictureFailure(
          path_, TV_MESSAGE("model", "the picture data cannot be decoded (%1)").Arg(error.message));
    }
    struct Release {
      heif_image* image;
      ~Release() { heif_image_release(image); }
    } release{image};
    const int w = heif_image_get_width(image, heif_channel_interleaved);
    const int h = heif_image_get_height(image, heif_channel_interleaved);
    if (w != header_.width || h != header_.height) {
      PictureFailure(path_, TV_MESSAGE("model",
                                       "the decoded picture is %L1 x %L2 pixels, not the size the "
                                       "file declares")
                                .Arg(w)
                                .Arg(h));
    }
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    if (!plane) PictureFailure(path_, TV_MESSAGE("model", "the picture data cannot be decoded"));
    const size_t samples = static_cast<size_t>(w) * header_.channels;
    pixels.resize(samples * static_cast<size_t>(h));
    const unsigned max =
        (1u << heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved)) - 1;
    for (int y = 0; y < h; ++y) {
      const uint8_t* in = plane + static_cast<size_t>(stride) * y;
      unsigned char* out = pixels.data() + samples * static_cast<size_t>(y);
      if (bits_ <= 8) {
        std::copy(in, in + samples, out);
        continue;
      }
      for (size_t i = 0; i < samples; ++i) {
        const unsigned v = std::min<unsigned>(in[2 * i] | (in[2 * i + 1] << 8), max);
        out[i] = static_cast<unsigned char>((v * 255u + max / 2) / max);
      }
    }
  }

 private:
  // Colours described by numbers: primaries other than sRGB's (Display P3, BT.2020, ...) with the
  // sRGB or BT.709 tone curve become a profile; HDR curves and sRGB primaries are taken as sRGB.
  std::vector<unsigned char> ProfileOfNumbers() const {
    heif_color_profile_nclx* nclx = nullptr;
    const heif_error error = heif_image_handle_get_nclx_color_profile(handle_.get(), &nclx);
    // Numbers libheif does not know come back as an error with the description still allocated.
    const std::unique_ptr<heif_color_profile_nclx, decltype(&heif_nclx_color_profile_free)> owned(
        nclx, heif_nclx_color_profile_free);
    if (error.code != heif_error_Ok || !nclx) return {};
    std::vector<unsigned char> profile;
    const int transfer = nclx->transfer_characteristics;
    const bool sdrCurve = transfer == 1 || transfer == 2 || transfer == 6 || transfer == 13 ||
                          transfer == 14 || transfer == 15;
    if (nclx->color_primaries != heif_color_primaries_ITU_R_BT_709_5 &&
        nclx->color_primaries != heif_color_primaries_unspecified && sdrCurve) {
      const double xy[8] = {nclx->color_primary_red_x,   nclx->color_primary_red_y,
                            nclx->color_primary_green_x, nclx->color_primary_green_y,
                            nclx->color_primary_blue_x,  nclx->color_primary_blue_y,
                            nclx->color_primary_white_x, nclx->color_primary_white_y};
      profile = RgbProfileFromPrimaries(xy);
    }
    return profile;
  }

  void Check(const heif_error& error) {
    if (error.code != heif_error_Ok) {
      PictureFailure(
          path_, TV_MESSAGE("model", "damaged or unsupported HEIF data (%1)").Arg(error.message));
    }
  }

  std::string path_;
  const std::string& data_;
  std::unique_ptr<heif_context, decltype(&heif_context_free)> context_{nullptr, heif_context_free};
  std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle_{
      nullptr, heif_image_handle_release};
  int bits_ = 8;
};

}  // namespace

std::unique_ptr<TPictureDecoder> OpenHeif(TPictureInput& input) {
  return std::make_unique<HeifDecoder>(input);
}

}  // namespace images
