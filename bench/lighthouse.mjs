// Lighthouse (npm lighthouse 12.2.3, installed into bench/lighthouse/ by `npm ci` there) on
// published pages in Debian's headless Chromium: the sample project and a slider of COUNT photos.
// Prints a Markdown table: performance score, Largest Contentful Paint, Cumulative Layout Shift,
// total bytes, picture requests and bytes, and the audits that fail (score below 0.9).
//   node bench/lighthouse.mjs [--bin build/bin] --photos FOLDER [--count 150] [--height 160]
//        [--formats jpeg,webp,avif] [--runtime some/torvane.js] [--runs 3]
// --runtime puts another torvane.js into both sites (e.g. an older one, minified, to compare).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { builtFolders, option, publishSample, serve } from '../tests/web/site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(path.join(here, 'lighthouse/package.json'));
const { default: lighthouse } = await import(require.resolve('lighthouse'));
const chromeLauncher = await import(require.resolve('chrome-launcher'));

const { bin, samples } = builtFolders();
const photos = option('--photos', '');
const count = Number(option('--count', '150'));
const height = option('--height', '160');
const formats = option('--formats', 'jpeg');
const runtime = option('--runtime', '');
const runs = Number(option('--runs', '3'));
if (!photos) throw new Error('--photos FOLDER is needed for the slider of many photos');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-lighthouse-'));

/* A slider of `count` items, the folder's photos taken in turn, published into work/many. */
function publishMany() {
  const list = fs.readdirSync(photos).filter((name) => /\.jpe?g$/i.test(name)).sort()
    .map((name) => path.join(photos, name));
  const items = Array.from({ length: count }, (_, i) => list[i % list.length]);
  const project = path.join(work, 'many.tvn');
  execFileSync(path.join(here, 'write-project.sh'), [project, height, ...items]);
  execFileSync(path.join(bin, 'torvane-cli'), ['publish', project, '--to', path.join(work, 'many'), '--quiet',
    '--formats', formats], { stdio: 'pipe' });
  return 'many/many.html';
}

const pages = {
  sample: publishSample(bin, samples, work, { formats: formats.includes('avif') }),
  [`${count} photos`]: publishMany(),
};
if (runtime) {
  for (const page of Object.values(pages)) fs.copyFileSync(runtime, path.join(work, path.dirname(page), 'torvane.js'));
}
const server = await serve(work);
const base = `http://127.0.0.1:${server.address().port}/`;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

console.log(`| page | score | LCP (ms) | CLS | total bytes | picture requests | picture bytes | failing audits |`);
console.log('|---|---|---|---|---|---|---|---|');
try {
  for (const [name, page] of Object.entries(pages)) {
    const results = [];
    for (let run = 0; run < runs; run++) {
      const chrome = await chromeLauncher.launch({
        chromePath: '/usr/bin/chromium',
        chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
      });
      try {
        const { lhr } = await lighthouse(base + page, { port: chrome.port, onlyCategories: ['performance'], logLevel: 'error' });
        const pictures = (lhr.audits['network-requests'].details?.items || []).filter((r) => /\/slider\d+(@2x)?\.\w+$/.test(r.url));
        results.push({
          score: Math.round(lhr.categories.performance.score * 100),
          lcp: lhr.audits['largest-contentful-paint'].numericValue,
          cls: lhr.audits['cumulative-layout-shift'].numericValue,
          bytes: lhr.audits['total-byte-weight'].numericValue,
          pictures: pictures.length,
          pictureBytes: pictures.reduce((sum, r) => sum + (r.transferSize || 0), 0),
          failing: Object.values(lhr.audits).filter((a) => a.score !== null && a.score < 0.9
            && ['binary', 'numeric', 'metricSavings'].includes(a.scoreDisplayMode)).map((a) => a.id),
        });
      } finally {
        await chrome.kill();
      }
    }
    const pick = (key) => median(results.map((r) => r[key]));
    const failing = [...new Set(results.flatMap((r) => r.failing))].sort();
    console.log(`| ${name} | ${pick('score')} | ${Math.round(pick('lcp'))} | ${pick('cls').toFixed(3)} | `
      + `${Math.round(pick('bytes')).toLocaleString('en')} | ${pick('pictures')} | `
      + `${Math.round(pick('pictureBytes')).toLocaleString('en')} | ${failing.join(', ') || '-'} |`);
  }
} finally {
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
