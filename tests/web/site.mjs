// The published sample project and a small web server, shared by the browser test and the
// benchmark. The sample project is copied to a temporary folder and its picture paths (2nd value
// of each item line) are made absolute, since the project file has no relative paths;
// torvane-cli then publishes it.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { coverageFault, readState, setStripTime } from './geometry.mjs';

// The sample project: slider 480 x 120, step 1 every 20 ms, gap 6, trailer 24, 2 px white solid
// image border, 3 px container border.
export const SAMPLE = [
  { width: 160, link: 'https://www.example.com/harbour.html', target: '_blank', tip: 'Harbour at dusk' },
  { width: 240, link: 'https://www.example.com/dunes.html', target: '_self', tip: "Don't miss the dunes" },
  { width: 120, link: '', target: '', tip: 'Forest (no link)' },
  { width: 80, link: 'tower.html', target: '', tip: 'Caf\u00e9 by the tower \u2013 \u00fcber "old" town' },
  { width: 240, link: 'https://www.example.com/meadow.html?a=1&b=2', target: 'gallery', tip: 'Meadow & poppies' },
];
export const SAMPLE_SPEED = 1 / 20;
export const SAMPLE_GAP = 6;
export const SAMPLE_TRAILER = 24;
export const SAMPLE_CYCLE = SAMPLE.reduce((sum, it) => sum + it.width + 4 + SAMPLE_GAP, 0) + SAMPLE_TRAILER;

/* The value after `name` on the command line, or fallback. */
export function option(name, fallback) {
  const i = process.argv.indexOf(name);
  return i > 0 && process.argv[i + 1] ? process.argv[i + 1] : fallback;
}

/* The built programs (--bin, else build/bin) and the sample project: the one beside them, else
   the sources'. */
export function builtFolders() {
  const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
  const bin = path.resolve(option('--bin', path.join(root, 'build/bin')));
  const samples = fs.existsSync(path.join(bin, 'samples/sample.tvn')) ? path.join(bin, 'samples') : path.join(root, 'resources/samples');
  return { bin, samples };
}

// With hidpi, published into sample-hidpi/ with --hidpi: the pictures at least 240 pixels high
// (harbour, forest, tower) also get a picture at twice the height.
export const SAMPLE_HIDPI = [true, false, true, true, false];

// `name`: the slider's name instead of the sample's own (its script names follow it); the site
// is then published into a folder of its own.
// With formats, published into sample-modern/ with WebP and AVIF beside each JPEG.
export function publishSample(bin, samples, work, { hidpi = false, name = '', formats = false } = {}) {
  const cli = path.join(bin, 'torvane-cli');
  assert.ok(fs.existsSync(cli), `the publisher ${cli} does not exist; build torvane-cli first`);
  const folder = hidpi ? 'sample-hidpi' : formats ? 'sample-modern'
    : name ? 'sample-' + Buffer.from(name).toString('hex') : 'sample';
  const copy = path.join(work, folder + '-project');
  fs.cpSync(samples, copy, { recursive: true });
  const project = path.join(copy, 'sample.tvn');
  const lines = fs.readFileSync(project, 'utf8').split('\r\n').map((line) => {
    const values = line.split('#$@');
    if (name && values.length === 21) {
      [values[0], values[1], values[2], values[10]] = [name, name + 'cfg', name + '_div', name + 'cfg'];
      return values.join('#$@');
    }
    if (!/^slider\d+\.jpg$/.test(values[0]) || values.length < 3) return line;
    values[1] = path.join(copy, values[1]);
    return values.join('#$@');
  });
  fs.writeFileSync(project, lines.join('\r\n'));
  const site = path.join(work, folder);
  let out;
  try {
    // --no-cache: a test run neither reads nor fills the user's cache of scaled pictures.
    out = execFileSync(cli, ['publish', project, '--to', site, '--no-cache', ...(hidpi ? ['--hidpi'] : []),
      ...(formats ? ['--formats', 'jpeg,webp,avif'] : [])],
      { encoding: 'utf8', stdio: 'pipe' });
  } catch (error) {
    throw new Error(`torvane-cli publish failed (exit ${error.status}): ${error.stderr || error.stdout}`);
  }
  const expected = ['sample.html', 'torvane.js', 'torvanecfg.js', 'torvane.css', ...SAMPLE.map((_, i) => `slider${i}.jpg`)];
  for (const file of expected) {
    assert.ok(fs.existsSync(path.join(site, file)), `published folder lacks ${file}; publisher said:\n${out}`);
  }
  SAMPLE.forEach((_, i) => assert.equal(fs.existsSync(path.join(site, `slider${i}@2x.jpg`)), hidpi && SAMPLE_HIDPI[i],
    `slider${i}@2x.jpg`));
  return `${folder}/sample.html`;
}

export function serve(dir) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.jpg': 'image/jpeg',
    '.webp': 'image/webp', '.avif': 'image/avif' };
  const requested = []; // every path asked for, in order: the network log of the tests
  const server = http.createServer((request, response) => {
    requested.push(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = path.join(dir, decodeURIComponent(new URL(request.url, 'http://x').pathname));
    if (request.url === '/favicon.ico') {
      response.writeHead(204).end();
      return;
    }
    if (!file.startsWith(dir) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  server.requested = requested;
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

/* The sample published with further formats (url from publishSample), open in a browser whose
   evaluate(fn, value) runs fn in the page: every picture shows in one format of `allowed`, the same
   for all, decoded; each picture was fetched once and in that format only (server.requested); and
   the strip covers the box at every point of its cycle. */
export async function checkFormats(evaluate, server, url, allowed) {
  const folder = '/' + path.dirname(url) + '/';
  const shown = await evaluate(() => [...document.querySelectorAll('#Slider1_div img')].map((img) => [
    Number(img.closest('[data-item]').dataset.item), img.currentSrc.split('/').pop(), img.naturalWidth]));
  assert.ok(shown.length >= SAMPLE.length, `${shown.length} pictures`);
  const format = shown[0][1].split('.').pop();
  assert.ok(allowed.includes(format), `loads .${format}, expected one of ${allowed}`);
  for (const [item, file, width] of shown) {
    assert.deepEqual([file, width > 0], [`slider${item}.${format}`, true], `picture ${item}`);
  }
  const pictures = server.requested.filter((file) => file.startsWith(folder + 'slider')).sort();
  assert.deepEqual(pictures, SAMPLE.map((_, i) => `${folder}slider${i}.${format}`).sort(), 'pictures fetched');
  const cycleMs = SAMPLE_CYCLE / SAMPLE_SPEED;
  for (const at of [0, 0.25, 0.5, 0.75, 0.999]) {
    await evaluate(setStripTime, ['Slider1_div', 3 * cycleMs + at * cycleMs]);
    assert.equal(coverageFault(await evaluate(readState, 'Slider1_div'), SAMPLE_GAP, SAMPLE_TRAILER), null, `at ${at} of a cycle`);
  }
}
