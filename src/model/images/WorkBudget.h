// Bounds on the time one picture may take to decode, whatever its header declares. A decoder
// counts the work it does as it goes and stops as soon as a bound would be crossed, so that any
// picture is accepted or refused within a few seconds: memory limits alone let a small file of
// many scans, or a huge file of padding, keep a worker busy for many seconds. Meant for the
// decoders of every format.
#pragma once

namespace images {

// Work is counted in 8x8 blocks of samples decoded, summed over every pass over the picture's
// data: a multi-scan JPEG walks the blocks of its scan's components once per scan. A real
// progressive picture makes about 5 passes over all its blocks (16 million blocks for the largest
// that fits the memory limit, about 130 megapixels); a 50 megapixel grey picture may make 27.
// Spent whole, the budget costs about 1.5 s on a busy 2-core machine.
constexpr long long kMaxDecodeBlocks = 20LL << 20;

// A picture's data may take at most kMaxHeaderBytes before its header is read (metadata, an ICC
// profile), and then at most kMaxBytesPerSample bytes per sample it declares, plus that much
// again: a file far larger than its picture can need is refused as soon as it passes the bound,
// instead of being read to its end.
constexpr long long kMaxHeaderBytes = 32LL << 20;
constexpr long long kMaxBytesPerSample = 2;

// The work one picture may still do.
class TWorkBudget {
 public:
  explicit TWorkBudget(long long limit = kMaxDecodeBlocks) : limit_(limit) {}
  // Spends `units` when they fit; false (spending nothing) when they would cross the limit.
  bool Spend(long long units) {
    if (units > limit_ - spent_) return false;
    spent_ += units;
    return true;
  }
  long long Spent() const { return spent_; }
  long long Limit() const { return limit_; }

 private:
  long long limit_;
  long long spent_ = 0;
};

}  // namespace images
