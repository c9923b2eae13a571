#include "images/JpegIo.h"

// clang-format off
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <limits>
#include <vector>

#include "images/PictureDecoder.h"
#include "images/WorkBudget.h"

#include "Errors.h"

namespace images {

int ChannelsOf(PixelKind kind) {
  switch (kind) {
    case PixelKind::Gray:
      return 1;
    case PixelKind::Cmyk:
      return 4;
    default:
      return 3;
  }
}

namespace {

// libjpeg's error manager extended by the jump target and the text of the first failure. It lives
// in a plain struct owned by the caller, never on the stack of a function that calls setjmp.
struct ErrorMgr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int code;           // libjpeg's message code of the failure
  bool corruptData;   // the failure is a warning about damaged or missing picture data
  bool tooManyScans;  // stopped by the scan limit
  int maxScans;       // 0: no limit
  bool overBudget;    // stopped by the work budget
  TWorkBudget budget;
  int budgetScan;  // the last scan whose blocks were counted
  bool tooLong;    // stopped by the byte limit of the source
  const TCancelToken* cancel;
  bool cancelled;  // stopped because the token asked for it
};

[[noreturn]] void OnError(j_common_ptr c) {
  auto* e = reinterpret_cast<ErrorMgr*>(c->err);
  e->code = c->err->msg_code;
  (*c->err->format_message)(c, e->message);
  std::longjmp(e->jump, 1);
}

// Warnings about damaged data stop the decoding: libjpeg would fill the rest with grey and the
// slider would show a broken picture. Harmless warnings (stray bytes between markers, an unknown
// JFIF revision, a bad ICC chunk, which only costs the profile) are ignored.
void OnMessage(j_common_ptr c, int level) {
  if (level >= 0) return;
  switch (c->err->msg_code) {
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION: {
      auto* e = reinterpret_cast<ErrorMgr*>(c->err);
      e->corruptData = true;
      OnError(c);
    }
    default:
      return;
  }
}

void InitErrors(ErrorMgr* e) {
  jpeg_std_error(&e->pub);
  e->pub.error_exit = OnError;
  e->pub.emit_message = OnMessage;
  e->message[0] = '\0';
  e->code = 0;
  e->corruptData = false;
  e->tooManyScans = false;
  e->maxScans = 0;
  e->overBudget = false;
  e->budget = TWorkBudget(std::numeric_limits<long long>::max());
  e->budgetScan = 0;
  e->tooLong = false;
  e->cancel = nullptr;
  e->cancelled = false;
}

// Called by libjpeg while it reads the scans of a multi-scan file: a file of thousands of tiny
// scans would otherwise make it walk the whole picture once per scan.
// Each scan is counted as it is met, before its data is decoded: its number against the scan
// limit, the blocks of its components against the work budget.
void OnProgress(j_common_ptr c) {
  auto* e = reinterpret_cast<ErrorMgr*>(c->err);
  if (e->cancel && e->cancel->Requested()) {
    e->cancelled = true;
    std::longjmp(e->jump, 1);
  }
  if (!c->is_decompressor) return;
  const auto* d = reinterpret_cast<j_decompress_ptr>(c);
  if (e->maxScans > 0 && d->input_scan_number > e->maxScans) {
    e->tooManyScans = true;
    std::longjmp(e->jump, 1);
  }
  if (d->input_scan_number != e->budgetScan && d->comps_in_scan > 0) {
    e->budgetScan = d->input_scan_number;
    long long blocks = 0;
    for (int i = 0; i < d->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
      const jpeg_component_info* comp = d->cur_comp_info[i];
      if (comp) blocks += static_cast<long long>(comp->width_in_blocks) * comp->height_in_blocks;
    }
    if (!e->budget.Spend(blocks)) {
      e->overBudget = true;
      std::longjmp(e->jump, 1);
    }
  }
}

// The source of the compressed data: a file read in large pieces, or bytes held in memory, with
// a limit on how many bytes libjpeg may take. Past the limit it stops with tooLong; at the end of
// the data it ends the picture as libjpeg's own sources do (a warning, then an end marker).
struct Source {
  jpeg_source_mgr pub;
  std::FILE* file;
  const unsigned char* data;
  size_t size;
  size_t offset;
  unsigned char* buffer;  // kChunk bytes, for a file
  long long supplied;     // bytes handed to libjpeg so far
  long long limit;        // 0: none
};

constexpr size_t kChunk = 1 << 20;
const unsigned char kEndMarker[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<Source*>(cinfo->src);
  size_t want = kChunk;
  if (src->limit > 0) {
    if (src->supplied >= src->limit) {
      auto* e = reinterpret_cast<ErrorMgr*>(cinfo->err);
      e->tooLong = true;
      std::longjmp(e->jump, 1);
    }
    want = static_cast<size_t>(std::min<long long>(want, src->limit - src->supplied));
  }
  size_t got = 0;
  if (src->file) {
    got = std::fread(src->buffer, 1, want, src->file);
    src->pub.next_input_byte = src->buffer;
  } else {
    got = std::min(want, src->size - src->offset);
    src->pub.next_input_byte = src->data + src->offset;
    src->offset += got;
  }
  if (got == 0) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kEndMarker;
    got = 2;
  }
  src->supplied += static_cast<long long>(got);
  src->pub.bytes_in_buffer = got;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  jpeg_source_mgr* src = cinfo->src;
  if (count <= 0) return;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    FillInput(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

}  // namespace

struct JpegReader::State {
  // Destroys libjpeg's object also when the reader's constructor throws.
  ~State() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
  jpeg_decompress_struct cinfo;
  ErrorMgr err;
  jpeg_progress_mgr progress;
  Source source;
  std::vector<unsigned char> buffer;
  bool created = false;
  bool headerRead = false;
  // Filled by the guarded calls.
  unsigned char* icc = nullptr;
  unsigned int iccSize = 0;
  int rowsRead = 0;
};

namespace {

using State = JpegReader::State;

// Each of these runs one step of libjpeg under setjmp. Their locals are plain values; anything
// that must outlive a jump lives in *s. They return false when libjpeg failed.
bool GuardedOpen(State* s, const unsigned char* data, unsigned long size, std::FILE* file,
                 long maxMemory) {
  if (setjmp(s->err.jump)) return false;
  jpeg_create_decompress(&s->cinfo);
  s->created = true;
  s->cinfo.mem->max_memory_to_use = maxMemory;
  s->progress.progress_monitor = OnProgress;
  s->cinfo.progress = &s->progress;
  Source& src = s->source;
  src.pub.init_source = InitSource;
  src.pub.fill_input_buffer = FillInput;
  src.pub.skip_input_data = SkipInput;
  src.pub.resync_to_restart = jpeg_resync_to_restart;
  src.pub.term_source = TermSource;
  src.pub.bytes_in_buffer = 0;
  src.pub.next_input_byte = nullptr;
  src.file = file;
  src.data = data;
  src.size = size;
  src.offset = 0;
  src.buffer = s->buffer.data();
  src.supplied = 0;
  s->cinfo.src = &src.pub;
  jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(&s->cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&s->cinfo, TRUE);
  if (!jpeg_read_icc_profile(&s->cinfo, &s->icc, &s->iccSize)) {
    s->icc = nullptr;
    s->iccSize = 0;
  }
  return true;
}

bool GuardedStart(State* s, int scaleNum, J_COLOR_SPACE space) {
  if (setjmp(s->err.jump)) return false;
  s->cinfo.scale_num = static_cast<unsigned>(scaleNum);
  s->cinfo.scale_denom = 8;
  s->cinfo.out_color_space = space;
  s->cinfo.dct_method = JDCT_ISLOW;
  s->cinfo.do_fancy_upsampling = TRUE;
  s->cinfo.do_block_smoothing = FALSE;
  jpeg_start_decompress(&s->cinfo);
  return true;
}

bool GuardedRead(State* s, unsigned char* const* rows, int maxRows) {
  if (setjmp(s->err.jump)) return false;
  s->rowsRead = 0;
  while (s->rowsRead < maxRows && s->cinfo.output_scanline < s->cinfo.output_height) {
    JSAMPARRAY target = const_cast<JSAMPARRAY>(rows + s->rowsRead);
    s->rowsRead += static_cast<int>(
        jpeg_read_scanlines(&s->cinfo, target, static_cast<JDIMENSION>(maxRows - s->rowsRead)));
  }
  return true;
}

SourceColor ColorOf(J_COLOR_SPACE space) {
  switch (space) {
    case JCS_GRAYSCALE:
      return SourceColor::Gray;
    case JCS_YCbCr:
      return SourceColor::YCbCr;
    case JCS_RGB:
      return SourceColor::Rgb;
    case JCS_CMYK:
      return SourceColor::Cmyk;
    case JCS_YCCK:
      return SourceColor::Ycck;
    default:
      return SourceColor::Other;
  }
}

J_COLOR_SPACE SpaceOf(PixelKind kind) {
  switch (kind) {
    case PixelKind::Gray:
      return JCS_GRAYSCALE;
    case PixelKind::YCbCr:
      return JCS_YCbCr;
    case PixelKind::Rgb:
      return JCS_RGB;
    case PixelKind::Cmyk:
      return JCS_CMYK;
  }
  return JCS_RGB;
}

}  // namespace

JpegReader::JpegReader(const std::string& path, const std::string& bytes, const JpegLimits& limits)
    : state_(std::make_unique<State>()), path_(path) {
  if (bytes.empty())
    throw TvError(CannotReadPicture(path_, TV_MESSAGE("model", "the file is empty")));
  Open(reinterpret_cast<const unsigned char*>(bytes.data()),
       static_cast<unsigned long>(bytes.size()), nullptr, limits);
}

JpegReader::JpegReader(const std::string& path, std::FILE* file, const JpegLimits& limits)
    : state_(std::make_unique<State>()), path_(path) {
  const int first = std::fgetc(file);
  if (first == EOF)
    throw TvError(CannotReadPicture(path_, TV_MESSAGE("model", "the file is empty")));
  std::ungetc(first, file);
  Open(nullptr, 0, file, limits);
}

void JpegReader::Open(const unsigned char* data, unsigned long size, std::FILE* file,
                      const JpegLimits& limits) {
  InitErrors(&state_->err);
  state_->err.maxScans = limits.maxScans;
  if (limits.maxWork > 0) state_->err.budget = TWorkBudget(limits.maxWork);
  state_->err.cancel = limits.cancel;
  state_->cinfo.err = &state_->err.pub;
  if (file) state_->buffer.resize(kChunk);
  state_->source.limit = limits.maxHeaderBytes;
  const bool ok = GuardedOpen(state_.get(), data, size, file, static_cast<long>(limits.maxMemory));
  if (state_->icc) {
    info_.iccProfile.assign(state_->icc, state_->icc + state_->iccSize);
    std::free(state_->icc);
    state_->icc = nullptr;
  }
  if (!ok) Fail();
  state_->headerRead = true;
  const jpeg_decompress_struct& c = state_->cinfo;
  info_.width = static_cast<int>(c.image_width);
  info_.height = static_cast<int>(c.image_height);
  info_.color = ColorOf(c.jpeg_color_space);
  info_.adobeMarker = c.saw_Adobe_marker;
  for (jpeg_saved_marker_ptr m = c.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
        std::memcmp(m->data, "Exif\0\0", 6) == 0) {
      info_.orientation = ExifOrientation(m->data + 6, m->data_length - 6);
      break;
    }
  }
  if (limits.maxBytesPerSample > 0) {
    // From here on the data may take what the declared picture can plausibly need.
    Source& src = state_->source;
    const long long consumed = src.supplied - static_cast<long long>(src.pub.bytes_in_buffer);
    src.limit = consumed + limits.maxHeaderBytes +
                limits.maxBytesPerSample * static_cast<long long>(c.image_width) * c.image_height *
                    c.num_components;
  }
  info_.arithmetic = c.arith_code != 0;
  info_.multiScan = jpeg_has_multiple_scans(const_cast<jpeg_decompress_struct*>(&c)) != 0;
  if (info_.multiScan) {
    // What the coefficient controller allocates: every component's blocks, padded to whole
    // iMCUs, at 64 coefficients of 2 bytes each.
    for (int ci = 0; ci < c.num_components; ++ci) {
      const jpeg_component_info& comp = c.comp_info[ci];
      const long long w = (static_cast<long long>(comp.width_in_blocks) + comp.h_samp_factor) /
                          comp.h_samp_factor * comp.h_samp_factor;
      const long long h = (static_cast<long long>(comp.height_in_blocks) + comp.v_samp_factor) /
                          comp.v_samp_factor * comp.v_samp_factor;
      info_.coefficientBytes += w * h * 128;
    }
  }
  if (info_.color == SourceColor::Other) {
    throw TvError(CannotReadPicture(
        path_, TV_MESSAGE("model", "unsupported kind of JPEG (%1 colour components)")
                   .Arg(c.num_components)));
  }
}

JpegReader::~JpegReader() = default;

void JpegReader::Fail() const {
  const ErrorMgr& e = state_->err;
  if (e.cancelled) throw TvCancelled();
  TMessage what("");
  if (e.tooManyScans) {
    what = TV_MESSAGE("model", "it has more than %L1 scans").Arg(e.maxScans);
  } else if (e.overBudget) {
    what = TV_MESSAGE("model",
                      "its %L1 scans would take more decoding work than a picture may (%L2 "
                      "blocks)")
               .Arg(state_->cinfo.input_scan_number)
               .Arg(e.budget.Limit());
  } else if (e.tooLong) {
    what = (!state_->headerRead
                ? TV_MESSAGE("model", "no picture header in its first %L1 MB")
                : TV_MESSAGE("model",
                             "the file holds far more data than a picture of its declared size "
                             "can need (%L1 MB read)"))
               .Arg(state_->source.limit >> 20);
  } else if (e.code == JERR_NO_SOI) {
    what = TV_MESSAGE("model", "not a JPEG file");
  } else if (e.code == JERR_NO_BACKING_STORE || e.code == JERR_OUT_OF_MEMORY) {
    what = TV_MESSAGE("model", "decoding it would need more memory than a picture may use (%1)")
               .Arg(e.message);
  } else if (e.corruptData) {
    what = TV_MESSAGE("model", "the picture data is corrupt or truncated (%1)").Arg(e.message);
  } else {
    what = TV_MESSAGE("model", "corrupt or unsupported JPEG data (%1)").Arg(e.message);
  }
  throw TvError(CannotReadPicture(path_, what));
}

void JpegReader::Start(int scaleNum, PixelKind kind) {
  if (!GuardedStart(state_.get(), scaleNum, SpaceOf(kind))) Fail();
}

int JpegReader::OutputWidth() const { return static_cast<int>(state_->cinfo.output_width); }
int JpegReader::OutputHeight() const { return static_cast<int>(state_->cinfo.output_height); }

int JpegReader::ReadRows(unsigned char* const* rows, int maxRows) {
  if (!GuardedRead(state_.get(), rows, maxRows)) Fail();
  return state_->rowsRead;
}

int ExifOrientation(const unsigned char* data, size_t size) {
  // TIFF header: byte order, 42, offset of the first directory.
  if (size < 8) return 1;
  bool little;
  if (data[0] == 'I' && data[1] == 'I') {
    little = true;
  } else if (data[0] == 'M' && data[1] == 'M') {
    little = false;
  } else {
    return 1;
  }
  auto u16 = [&](size_t at) -> unsigned {
    return little ? data[at] | (data[at + 1] << 8) : (data[at] << 8) | data[at + 1];
  };
  auto u32 = [&](size_t at) -> size_t {
    return little ? size_t(u16(at)) | (size_t(u16(at + 2)) << 16)
                  : (size_t(u16(at)) << 16) | size_t(u16(at + 2));
  };
  if (u16(2) != 42) return 1;
  const size_t dir = u32(4);
  if (dir > size - 2) return 1;
  const unsigned entries = u16(dir);
  for (unsigned i = 0; i < entries; ++i) {
    const size_t at = dir + 2 + size_t(i) * 12;
    if (at + 12 > size) return 1;
    if (u16(at) != 0x0112) continue;
    // Type SHORT, one value, stored in the first two bytes of the value field.
    if (u16(at + 2) != 3 || u32(at + 4) < 1) return 1;
    const unsigned value = u16(at + 8);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

}  // namespace images
