// Main-thread cost and speed of the slider runtime in headless Debian chromium (not part of ./test).
// Usage: node tests/web/bench.mjs [--bin <build>/bin] [--seconds 5]
//
// Publishes the sample project with torvane-cli and writes beside it a reference page: the same
// pictures, box and speed moved by a plain CSS keyframes animation. For each case it prints the
// milliseconds per second that the page's main thread was busy (DevTools Performance.getMetrics,
// TaskDuration, over --seconds with nothing else going on), without and with 4x CPU throttling,
// then the speed the strip really moved at against the page's clock (sampled every 250 ms over
// another --seconds) and the layout shift the page reported.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { SAMPLE, SAMPLE_CYCLE, SAMPLE_GAP, SAMPLE_SPEED, SAMPLE_TRAILER, builtFolders, option, publishSample, serve } from './site.mjs';

const { bin, samples } = builtFolders();
const seconds = Number(option('--seconds', '5'));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-bench-'));

/* The sample's strip as a CSS keyframes animation: 480 x 130 box, 3 px border, 2 px picture borders. */
function writeReference(dir) {
  let x = 0;
  const pictures = SAMPLE.map((it, i) => {
    const tag = `<img src="slider${i}.jpg" width="${it.width}" height="120" alt="" style="left:${x}px">`;
    x += it.width + 4 + SAMPLE_GAP;
    return tag;
  }).join('');
  const sets = [0, 1].map((k) => `<div class="set" style="left:${k * SAMPLE_CYCLE}px">${pictures}</div>`).join('');
  fs.writeFileSync(path.join(dir, 'reference.html'), `<!doctype html><html><head><title>CSS reference</title><style>
.box{position:relative;width:480px;height:130px;box-sizing:border-box;border:3px solid #4060a0;overflow:hidden;background:#203040}
.track{position:absolute;left:0;top:0;height:100%;will-change:transform;animation:strip ${SAMPLE_CYCLE / SAMPLE_SPEED}ms linear infinite}
.set{position:absolute;top:0;height:100%}
.set img{position:absolute;top:0;border:2px solid #fff}
@keyframes strip{from{transform:translateX(0)}to{transform:translateX(-${SAMPLE_CYCLE}px)}}
</style></head><body><div class="box"><div class="track">${sets}</div></div></body></html>`);
  fs.writeFileSync(path.join(dir, 'idle.html'), '<!doctype html><html><head><title>Idle</title></head><body><p>Nothing moves here.</p></body></html>');
}

async function measure(browser, url, { prepare, throttle = 1 } = {}) {
  const context = await browser.newContext({ viewport: { width: 900, height: 700 } });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  await page.goto(url);
  await page.waitForFunction(() => [...document.images].every((img) => img.getAttribute('src') && img.complete), null, { polling: 100 });
  if (prepare) await prepare(page);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: throttle });
  await page.waitForTimeout(1000);
  const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  // The strip's offset with the page's clock, sampled every 250 ms; the offset is unwrapped.
  const where = () => page.evaluate(() => {
    const slider = document.getElementById('Slider1_div');
    const track = document.querySelector('.track');
    const offset = slider ? Number(slider.dataset.offset)
      : track ? -new DOMMatrixReadOnly(getComputedStyle(track).transform).m41 : null;
    return { offset, time: performance.now() };
  });
  // First the cost, with nothing but the page running; then the speed.
  const b0 = await busy();
  const t0 = Date.now();
  await page.waitForTimeout(seconds * 1000);
  const b1 = await busy();
  const msPerSecond = ((b1 - b0) * 1000) / ((Date.now() - t0) / 1000);
  const first = await where();
  let last = first;
  let travelled = 0;
  while (last.time - first.time < seconds * 1000) {
    await page.waitForTimeout(250);
    const now = await where();
    if (now.offset !== null) travelled += ((now.offset - last.offset) % SAMPLE_CYCLE + SAMPLE_CYCLE) % SAMPLE_CYCLE;
    last = now;
  }
  const elapsed = last.time - first.time;
  const shift = await page.evaluate(() => new Promise((done) => {
    new PerformanceObserver((list) => done(list.getEntries().reduce((sum, e) => sum + e.value, 0)))
      .observe({ type: 'layout-shift', buffered: true });
    setTimeout(() => done(0), 200);
  }));
  await context.close();
  return { msPerSecond, speed: first.offset === null ? null : travelled / elapsed, shift };
}

const hover = async (page) => page.mouse.move(100, 60);
const outOfView = (page) => page.evaluate(() => {
  const room = document.createElement('div');
  room.style.height = '3000px';
  document.body.append(room);
  window.scrollTo(0, 2000);
});
const stopped = async (page) => {
  await page.locator('#Slider1_div button').click();
  await page.mouse.move(0, 600);
};
const hiddenParent = (page) => page.evaluate(() => {
  const slider = document.getElementById('Slider1_div');
  const holder = document.createElement('div');
  slider.before(holder);
  holder.append(slider);
  holder.style.display = 'none';
});

const server = await serve(work);
const base = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
try {
  const sample = base + publishSample(bin, samples, work);
  writeReference(path.join(work, 'sample'));
  const reference = base + 'sample/reference.html';
  const cases = [
    ['idle page', base + 'sample/idle.html', {}],
    ['CSS keyframes reference, moving', reference, {}],
    ['sample, moving', sample, {}],
    ['sample, out of view', sample, { prepare: outOfView }],
    ['sample, in a display:none parent', sample, { prepare: hiddenParent }],
    ['sample, paused (pointer over it)', sample, { prepare: hover }],
    ['sample, stopped (pause button)', sample, { prepare: stopped }],
    ['CSS keyframes reference, moving, 4x CPU throttling', reference, { throttle: 4 }],
    ['sample, moving, 4x CPU throttling', sample, { throttle: 4 }],
  ];
  console.log(`${seconds} s a case; expected speed ${SAMPLE_SPEED} px/ms; gap ${SAMPLE_GAP}, trailer ${SAMPLE_TRAILER}, cycle ${SAMPLE_CYCLE} px`);
  console.log('case'.padEnd(52) + 'main thread ms/s   speed px/ms (error)   layout shift');
  const results = {};
  for (const [name, url, options] of cases) {
    const r = await measure(browser, url, options);
    results[name] = r;
    const speed = r.speed === null || options.prepare ? '-' : `${r.speed.toFixed(5)} (${((r.speed / SAMPLE_SPEED - 1) * 100).toFixed(2)} %)`;
    console.log(name.padEnd(52) + r.msPerSecond.toFixed(1).padStart(15) + '   ' + speed.padEnd(22) + r.shift.toFixed(4));
  }
  const ratio = (a, b) => (results[a].msPerSecond / results[b].msPerSecond).toFixed(2);
  console.log(`sample moving / CSS reference: ${ratio('sample, moving', 'CSS keyframes reference, moving')}; `
    + `at 4x throttling: ${ratio('sample, moving, 4x CPU throttling', 'CSS keyframes reference, moving, 4x CPU throttling')}; `
    + `out of view / idle page: ${ratio('sample, out of view', 'idle page')}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
