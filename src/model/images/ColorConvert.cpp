#include "images/ColorConvert.h"

#include <lcms2.h>

namespace images {

IccToSrgb::IccToSrgb(const std::vector<unsigned char>& profile, PixelKind kind, bool invertedCmyk) {
  if (profile.empty() || kind == PixelKind::YCbCr) return;
  // A context of our own: the pictures are converted on several threads at once.
  cmsContext ctx = cmsCreateContext(nullptr, nullptr);
  if (!ctx) return;
  context_ = ctx;
  cmsHPROFILE source =
      cmsOpenProfileFromMemTHR(ctx, profile.data(), static_cast<cmsUInt32Number>(profile.size()));
  if (!source) return;
  cmsUInt32Number format = 0;
  cmsColorSpaceSignature expected = cmsSigRgbData;
  switch (kind) {
    case PixelKind::Gray:
      format = TYPE_GRAY_8;
      expected = cmsSigGrayData;
      break;
    case PixelKind::Cmyk:
      format = invertedCmyk ? TYPE_CMYK_8_REV : TYPE_CMYK_8;
      expected = cmsSigCmykData;
      break;
    default:
      format = TYPE_RGB_8;
      break;
  }
  if (cmsGetColorSpace(source) == expected) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(ctx);
    if (srgb) {
      transform_ = cmsCreateTransformTHR(ctx, source, format, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL,
                                         cmsFLAGS_BLACKPOINTCOMPENSATION);
      cmsCloseProfile(srgb);
    }
  }
  cmsCloseProfile(source);
}

IccToSrgb::~IccToSrgb() {
  if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
  if (context_) cmsDeleteContext(static_cast<cmsContext>(context_));
}

void IccToSrgb::Apply(const unsigned char* in, unsigned char* rgb, size_t count) const {
  // lcms2 takes a 32-bit pixel count; the scaled pictures stay far below that.
  cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in, rgb,
                 static_cast<cmsUInt32Number>(count));
}

std::vector<unsigned char> RgbProfileFromPrimaries(const double (&xy)[8]) {
  std::vector<unsigned char> bytes;
  cmsContext ctx = cmsCreateContext(nullptr, nullptr);
  if (!ctx) return bytes;
  const cmsCIExyY white = {xy[6], xy[7], 1.0};
  const cmsCIExyYTRIPLE primaries = {{xy[0], xy[1], 1.0}, {xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}};
  const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(ctx, 4, srgbCurve);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = curve ? cmsCreateRGBProfileTHR(ctx, &white, &primaries, curves) : nullptr;
  cmsUInt32Number size = 0;
  if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
  }
  if (profile) cmsCloseProfile(profile);
  if (curve) cmsFreeToneCurve(curve);
  cmsDeleteContext(ctx);
  return bytes;
}

std::vector<unsigned char> CmykToRgb(const std::vector<unsigned char>& cmyk, bool inverted) {
  const size_t count = cmyk.size() / 4;
  std::vector<unsigned char> rgb(count * 3);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* p = &cmyk[i * 4];
    // With inverted samples 255 means no ink; otherwise 0 does.
    const unsigned k = inverted ? p[3] : 255u - p[3];
    for (int c = 0; c < 3; ++c) {
      const unsigned v = inverted ? p[c] : 255u - p[c];
      rgb[i * 3 + c] = static_cast<unsigned char>((v * k + 127) / 255);
    }
  }
  return rgb;
}

std::vector<unsigned char> GrayToYCbCr(const std::vector<unsigned char>& gray) {
  std::vector<unsigned char> ycc(gray.size() * 3, 128);
  for (size_t i = 0; i < gray.size(); ++i) ycc[i * 3] = gray[i];
  return ycc;
}

}  // namespace images
