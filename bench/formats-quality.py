#!/usr/bin/python3
"""SSIM of each encoded variant (PNG decoded back) against the exact scaled picture, with the
shared ssim.py's measure (BT.601 luma, Gaussian window). Reads the lines formats_bench printed
(variant, bytes, ms) on stdin and the PNGs in OUTDIR; prints one Markdown row per variant.

usage: formats-quality.py OUTDIR HEIGHT BENCH_TOOLS < formats_bench-output"""
import glob, os, sys
from multiprocessing import Pool


def score(pair):
    import ssim  # the shared tool, found through sys.path
    reference, result = pair
    return ssim.ssim_y(ssim.load(reference), ssim.load(result))


def main(out, height, tools):
    sys.path.insert(0, tools)
    totals = [line.split() for line in sys.stdin if line.strip()]
    references = sorted(glob.glob(os.path.join(out, "*.exact.png")))
    jpeg_bytes = next(int(b) for v, b, _ in totals if v == "jpeg-90")
    with Pool(os.cpu_count()) as pool:
        for variant, total_bytes, ms in totals:
            pairs = [(r, r.replace(".exact.png", "." + variant + ".png")) for r in references]
            scores = pool.map(score, pairs)
            fmt, quality = variant.split("-")
            print(f"| {height} | {fmt} | {quality} | {int(total_bytes):,} | "
                  f"{int(total_bytes) / jpeg_bytes:.3f} | {sum(scores) / len(scores):.4f} | "
                  f"{min(scores):.4f} | {float(ms):.0f} |")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
