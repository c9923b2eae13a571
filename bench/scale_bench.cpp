// Scales photos to a height with ScaleJpegFiles and writes the results into a folder, printing
// the time taken. Usage: scale_bench HEIGHT OUTDIR [-j WORKERS] PHOTO.jpg...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Errors.h"
#include "images/ImageScaler.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: scale_bench HEIGHT OUTDIR [-j WORKERS] PHOTO.jpg...\n");
    return 2;
  }
  const int height = std::atoi(argv[1]);
  const std::string outDir = argv[2];
  unsigned workers = 0;
  int first = 3;
  if (argc > 4 && std::strcmp(argv[3], "-j") == 0) {
    workers = static_cast<unsigned>(std::atoi(argv[4]));
    first = 5;
  }
  std::vector<TScaleJob> jobs;
  for (int i = first; i < argc; ++i) jobs.push_back({argv[i], height});
  try {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<TScaledImage> images = ScaleJpegFiles(jobs, workers);
    const auto scaled = std::chrono::steady_clock::now();
    for (size_t i = 0; i < jobs.size(); ++i) {
      const std::string& src = jobs[i].sourcePath;
      const size_t slash = src.find_last_of('/');
      std::ofstream out(outDir + "/" + (slash == std::string::npos ? src : src.substr(slash + 1)),
                        std::ios::binary);
      out.write(reinterpret_cast<const char*>(images[i].jpeg.data()),
                static_cast<std::streamsize>(images[i].jpeg.size()));
    }
    const auto written = std::chrono::steady_clock::now();
    using ms = std::chrono::duration<double, std::milli>;
    std::printf("%zu pictures at %d px: scaled in %.1f ms, written in %.1f ms\n", jobs.size(),
                height, ms(scaled - start).count(), ms(written - scaled).count());
  } catch (const TvError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
