// Encoding the scaled pictures: baseline JFIF, 4:4:4, no metadata copied from the source.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "Errors.h"
#include "images/JpegIo.h"

namespace images {

namespace {

struct EncodeState {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool created;
  unsigned char* out;  // allocated by libjpeg's memory destination; freed by the caller
  unsigned long outSize;
};

[[noreturn]] void OnEncodeError(j_common_ptr c) {
  // The error manager is the first member after cinfo; reach the state through client_data.
  auto* s = static_cast<EncodeState*>(c->client_data);
  (*c->err->format_message)(c, s->message);
  std::longjmp(s->jump, 1);
}

bool GuardedEncode(EncodeState* s, const unsigned char* pixels, int width, int height, bool ycbcr,
                   int quality) {
  if (setjmp(s->jump)) return false;
  jpeg_create_compress(&s->cinfo);
  s->created = true;
  s->cinfo.client_data = s;
  jpeg_mem_dest(&s->cinfo, &s->out, &s->outSize);
  s->cinfo.image_width = static_cast<JDIMENSION>(width);
  s->cinfo.image_height = static_cast<JDIMENSION>(height);
  s->cinfo.input_components = 3;
  s->cinfo.in_color_space = ycbcr ? JCS_YCbCr : JCS_RGB;
  jpeg_set_defaults(&s->cinfo);
  jpeg_set_colorspace(&s->cinfo, JCS_YCbCr);
  jpeg_set_quality(&s->cinfo, quality, TRUE);
  for (int ci = 0; ci < 3; ++ci) {
    s->cinfo.comp_info[ci].h_samp_factor = 1;
    s->cinfo.comp_info[ci].v_samp_factor = 1;
  }
  s->cinfo.optimize_coding = FALSE;
  s->cinfo.dct_method = JDCT_ISLOW;
  s->cinfo.write_JFIF_header = TRUE;
  jpeg_start_compress(&s->cinfo, TRUE);
  const size_t stride = static_cast<size_t>(width) * 3;
  while (s->cinfo.next_scanline < s->cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + s->cinfo.next_scanline * stride);
    jpeg_write_scanlines(&s->cinfo, &row, 1);
  }
  jpeg_finish_compress(&s->cinfo);
  return true;
}

}  // namespace

std::vector<unsigned char> EncodeJpeg(const unsigned char* pixels, int width, int height,
                                      PixelKind kind, int quality, const std::string& path) {
  auto s = std::make_unique<EncodeState>();
  s->cinfo.err = jpeg_std_error(&s->err);
  s->err.error_exit = OnEncodeError;
  s->created = false;
  s->out = nullptr;
  s->outSize = 0;
  s->cinfo.client_data = s.get();
  const bool ok = GuardedEncode(s.get(), pixels, width, height, kind == PixelKind::YCbCr, quality);
  std::vector<unsigned char> result;
  if (ok && s->out) result.assign(s->out, s->out + s->outSize);
  if (s->created) jpeg_destroy_compress(&s->cinfo);
  std::free(s->out);
  if (!ok)
    throw TvError(TV_MESSAGE("model", "Cannot encode the scaled picture of %1: %2")
                      .Arg(path)
                      .Arg(s->message));
  return result;
}

}  // namespace images
