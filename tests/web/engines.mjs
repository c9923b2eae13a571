// The runtime's core cases in the other browser engines: Firefox ESR (Debian's firefox-esr, driven
// by puppeteer-core over WebDriver BiDi) and WebKitGTK (Debian's webkit2gtk-driver and its
// MiniBrowser, driven over classic WebDriver by the small client below). WebKitGTK needs a display:
//   xvfb-run -a node tests/web/engines.mjs --bin build/bin [firefox] [webkit]
// Cases: speed, seam, pause under the pointer, pause button by mouse and keyboard, keyboard focus,
// reduced motion, no console or page errors. Prints "N passed, N failed" like run.mjs.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { coverageFault, readState, setStripTime } from './geometry.mjs';
import { SAMPLE_CYCLE, SAMPLE_GAP, SAMPLE_SPEED, SAMPLE_TRAILER, checkFormats, publishSample, serve } from './site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const arg = (name, fallback) => {
  const i = process.argv.indexOf(name);
  return i > 0 && process.argv[i + 1] ? path.resolve(process.argv[i + 1]) : fallback;
};
const bin = arg('--bin', path.join(root, 'build/bin'));
const samples = fs.existsSync(path.join(bin, 'samples/sample.tvn')) ? path.join(bin, 'samples') : path.join(root, 'resources/samples');
const wanted = ['firefox', 'webkit'].filter((name) => process.argv.includes(name));
const engines = wanted.length ? wanted : ['firefox', 'webkit'];
const FIREFOX = '/usr/bin/firefox-esr';
const WEBKIT_DRIVER = '/usr/bin/WebKitWebDriver';
const MINIBROWSER = ['/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', '/usr/libexec/webkit2gtk-4.1/MiniBrowser']
  .find((file) => fs.existsSync(file));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-engines-'));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

/* Per-browser folders: the browsers never see the user's own settings, cache or desktop files. */
function homeFor(name, { reducedMotion }) {
  const home = path.join(work, name + (reducedMotion ? '-reduced' : ''));
  const env = { ...process.env, HOME: home };
  for (const [key, sub] of [['XDG_CONFIG_HOME', 'config'], ['XDG_CACHE_HOME', 'cache'], ['XDG_DATA_HOME', 'data'],
    ['XDG_STATE_HOME', 'state']]) {
    env[key] = path.join(home, sub);
    fs.mkdirSync(env[key], { recursive: true });
  }
  // WebKitGTK reports prefers-reduced-motion when GTK animations are off.
  fs.mkdirSync(path.join(env.XDG_CONFIG_HOME, 'gtk-3.0'), { recursive: true });
  fs.writeFileSync(path.join(env.XDG_CONFIG_HOME, 'gtk-3.0', 'settings.ini'),
    `[Settings]\ngtk-enable-animations=${reducedMotion ? 'false' : 'true'}\n`);
  return env;
}

/* Firefox over WebDriver BiDi. */
async function firefox({ reducedMotion }) {
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: FIREFOX, headless: true, env: homeFor('firefox', { reducedMotion }),
    extraPrefsFirefox: { 'ui.prefersReducedMotion': reducedMotion ? 1 : 0, 'browser.shell.checkDefaultBrowser': false },
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 900, height: 700 });
  const keys = { Tab: 'Tab', Space: ' ' };
  return {
    goto: (url) => page.goto(url),
    evaluate: (fn, value) => page.evaluate(fn, value),
    move: (x, y) => page.mouse.move(x, y),
    click: (x, y) => page.mouse.click(x, y),
    press: (key) => page.keyboard.press(keys[key]),
    close: () => browser.close(),
  };
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

/* WebKitGTK's MiniBrowser over classic WebDriver (W3C protocol, JSON over HTTP). */
async function webkit({ reducedMotion }) {
  assert.ok(MINIBROWSER, 'WebKitGTK MiniBrowser not found (Debian package libwebkit2gtk-4.1-0)');
  const port = await freePort();
  const driver = spawn(WEBKIT_DRIVER, [`--port=${port}`], { env: homeFor('webkit', { reducedMotion }), stdio: 'ignore' });
  const url = `http://127.0.0.1:${port}`;
  const call = async (method, where, body) => {
    const response = await fetch(url + where, {
      method, headers: { 'content-type': 'application/json' }, body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${where}: ${JSON.stringify(answer.value)}`);
    return answer.value;
  };
  for (let attempt = 0; ; attempt++) {
    try {
      await call('GET', '/status');
      break;
    } catch (error) {
      if (attempt > 100) throw new Error(`WebKitWebDriver did not answer on port ${port}: ${error.message}`);
      await sleep(100);
    }
  }
  let session;
  try {
    session = (await call('POST', '/session', {
      capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] } } },
    })).sessionId;
  } catch (error) {
    driver.kill();
    throw error;
  }
  const s = `/session/${session}`;
  await call('POST', s + '/window/rect', { width: 1000, height: 800 });
  const pointer = (actions) => call('POST', s + '/actions', {
    actions: [{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions }],
  });
  const keys = { Tab: '\uE004', Space: '\uE00D' };
  return {
    goto: (address) => call('POST', s + '/url', { url: address }),
    evaluate: async (fn, value) => {
      const result = await call('POST', s + '/execute/async', {
        script: `const done = arguments[arguments.length - 1];
          Promise.resolve((${fn})(arguments[0])).then((v) => done({ v }), (e) => done({ e: String(e && e.stack || e) }));`,
        args: [value === undefined ? null : value],
      });
      if (result && result.e) throw new Error(result.e);
      return result ? result.v : undefined;
    },
    move: (x, y) => pointer([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0 }]),
    click: (x, y) => pointer([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0 },
      { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }]),
    press: (key) => call('POST', s + '/actions', {
      actions: [{ type: 'key', id: 'keyboard', actions: [{ type: 'keyDown', value: keys[key] }, { type: 'keyUp', value: keys[key] }] }],
    }),
    close: async () => {
      try { await call('DELETE', s); } finally { driver.kill(); }
    },
  };
}

let passed = 0;
let failed = 0;
async function check(name, body) {
  try {
    await body();
    passed++;
    console.log(`ok   ${name}`);
  } catch (error) {
    failed++;
    console.log(`FAIL ${name}\n     ${String(error.message || error).replace(/\n/g, '\n     ')}`);
  }
}

const ID = 'Slider1_div';
const moved = (before, after, cycle) => ((after - before) % cycle + cycle) % cycle;
const near = (actual, expected, tolerance, what) =>
  assert.ok(Math.abs(actual - expected) <= tolerance, `${what}: ${actual}, expected ${expected} +- ${tolerance}`);

/* In the page: waits for pending plays and pauses, then two more frames. */
function settled() {
  return Promise.all(document.getAnimations().map((a) => a.ready.catch(() => null)))
    .then(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
}

async function poll(browser, fn, value, what, timeout = 10000) {
  const end = Date.now() + timeout;
  while (!(await browser.evaluate(fn, value))) {
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

async function expectMotion(browser, ms) {
  await browser.evaluate(settled);
  const before = await browser.evaluate(readState, ID);
  await sleep(ms);
  const after = await browser.evaluate(readState, ID);
  const expected = moved(0, SAMPLE_SPEED * (after.time - before.time), SAMPLE_CYCLE);
  near(moved(before.offset, after.offset, SAMPLE_CYCLE), expected, 0.05, 'moved against the animation clock');
  near(after.time - before.time, after.now - before.now, 100, 'animation clock against the page clock (ms)');
  near(after.images.find((im) => im.real).left - after.inner.left, -after.offset, 0.6, 'first picture');
  return after;
}

async function expectStill(browser, ms, why) {
  await browser.evaluate(settled);
  const before = await browser.evaluate(readState, ID);
  await sleep(ms);
  const after = await browser.evaluate(readState, ID);
  assert.equal(after.offset, before.offset, `moved ${why}`);
}

async function openSample(browser, url) {
  await browser.goto(url);
  await poll(browser, () => [...document.images].length > 0
    && [...document.images].every((img) => img.getAttribute('src') && img.complete), null, 'the pictures');
  await browser.evaluate(settled);
}

const problems = (browser) => browser.evaluate(() => window.pageProblems);

async function coreCases(name, url) {
  let browser = null;
  await check(`${name}: starts`, async () => { browser = await (name === 'firefox' ? firefox : webkit)({ reducedMotion: false }); });
  if (!browser) return;
  try {
    await openSample(browser, url);
    await check(`${name}: moves at step/delay px per ms`, async () => {
      await browser.move(5, 650);
      await expectMotion(browser, 1500);
    });
    await check(`${name}: crosses the seam without a jump or a blank`, async () => {
      // Held under the pointer, the strip is put at points of its cycle; then it runs over the seam.
      const cycleMs = SAMPLE_CYCLE / SAMPLE_SPEED;
      const box = await browser.evaluate(readState, ID);
      await browser.move(box.inner.left + 30, (box.inner.top + box.inner.bottom) / 2);
      await browser.evaluate(settled);
      for (const at of [0, 0.2, 0.4, 0.6, 0.8, 0.999]) {
        await browser.evaluate(setStripTime, [ID, 3 * cycleMs + at * cycleMs]);
        const s = await browser.evaluate(readState, ID);
        near(s.offset, at * SAMPLE_CYCLE, 0.05, `offset at ${at} of a cycle`);
        assert.equal(coverageFault(s, SAMPLE_GAP, SAMPLE_TRAILER), null, `at ${at} of a cycle`);
      }
      await browser.move(5, 650);
      await browser.evaluate(setStripTime, [ID, 4 * cycleMs - 300]);
      const after = await expectMotion(browser, 700);
      assert.ok(after.offset < SAMPLE_CYCLE / 2, `the strip did not wrap: offset ${after.offset}`);
      assert.equal(coverageFault(after, SAMPLE_GAP, SAMPLE_TRAILER), null, 'after the seam');
    });
    await check(`${name}: the pointer over the box pauses it, leaving resumes`, async () => {
      const s = await browser.evaluate(readState, ID);
      await browser.move(s.inner.left + 30, (s.inner.top + s.inner.bottom) / 2);
      await expectStill(browser, 700, 'under the pointer');
      await browser.move(5, 650);
      await expectMotion(browser, 700);
    });
    await check(`${name}: the pause button by mouse stops it, stays shown, and starts it again`, async () => {
      const s = await browser.evaluate(readState, ID);
      const button = await browser.evaluate((id) => {
        const r = document.getElementById(id).querySelector('button').getBoundingClientRect();
        return { x: (r.left + r.right) / 2, y: (r.top + r.bottom) / 2 };
      }, ID);
      await browser.move(s.inner.left + 30, (s.inner.top + s.inner.bottom) / 2);
      await browser.click(button.x, button.y); // on the icon
      await browser.move(5, 650);
      await expectStill(browser, 700, 'after the pause button');
      const shown = await browser.evaluate((id) => {
        const b = document.getElementById(id).querySelector('button');
        return [b.getAttribute('aria-pressed'), getComputedStyle(b).opacity];
      }, ID);
      assert.deepEqual(shown, ['true', '1'], 'aria-pressed and opacity while stopped');
      await browser.move(s.inner.left + 30, (s.inner.top + s.inner.bottom) / 2);
      await browser.click(button.x, button.y);
      await browser.move(5, 650); // the leave must arrive although the icon under the pointer changed
      await expectMotion(browser, 700);
    });
    await check(`${name}: keyboard: the button is first in the Tab order, Space toggles it, a focused link pauses`, async () => {
      await browser.evaluate((id) => { // a control before the slider to start from
        const before = document.createElement('button');
        before.textContent = 'before';
        document.getElementById(id).before(before);
        before.focus();
      }, ID);
      await browser.press('Tab');
      const first = await browser.evaluate(() => [document.activeElement.tagName, document.activeElement.getAttribute('aria-pressed')]);
      assert.deepEqual(first, ['BUTTON', 'false'], 'first Tab stop');
      await browser.press('Space');
      await expectStill(browser, 500, 'after Space on the button');
      await browser.press('Space');
      await browser.evaluate(() => document.activeElement.blur());
      await expectMotion(browser, 500);
      await browser.evaluate((id) => document.getElementById(id).querySelector('button').focus(), ID);
      await browser.press('Tab');
      const link = await browser.evaluate(() => document.activeElement.getAttribute('href'));
      assert.equal(link, 'https://www.example.com/harbour.html', 'second Tab stop');
      await expectStill(browser, 500, 'while a link has focus');
      const s = await browser.evaluate(readState, ID);
      const focused = await browser.evaluate(() => document.activeElement.getBoundingClientRect().toJSON());
      assert.ok(focused.left >= s.inner.left - 0.6 && focused.right <= s.inner.right + 0.6, 'focused link out of view');
      await browser.evaluate(() => document.activeElement.blur());
      await expectMotion(browser, 500);
    });
    await check(`${name}: no console or page errors`, async () => assert.deepEqual(await problems(browser), []));
    await check(`${name}: with WebP and AVIF published, each picture loads once in one format it reads`, async () => {
      server.requested.length = 0;
      await openSample(browser, base + path.dirname(modern) + '/watched.html');
      // Firefox ESR reads both; WebKitGTK whichever its build supports.
      await checkFormats(browser.evaluate, server, modern, name === 'firefox' ? ['avif', 'webp'] : ['avif', 'webp', 'jpg']);
      assert.deepEqual(await problems(browser), []);
    });
  } finally {
    await browser.close();
  }

  let reduced = null;
  await check(`${name}: reduced motion stands still and scrolls by hand`, async () => {
    reduced = await (name === 'firefox' ? firefox : webkit)({ reducedMotion: true });
    await openSample(reduced, url);
    assert.equal(await reduced.evaluate(() => matchMedia('(prefers-reduced-motion: reduce)').matches), true, 'setting');
    await expectStill(reduced, 1000, 'under reduced motion');
    const still = await reduced.evaluate((id) => {
      const d = document.getElementById(id);
      d.querySelector('.torvane-view').scrollLeft = 150;
      return [getComputedStyle(d.querySelector('button')).display, d.querySelectorAll('.torvane-set:not([hidden])').length];
    }, ID);
    assert.deepEqual(still, ['none', 1], 'button display, sets shown');
    await poll(reduced, (id) => Math.abs(Number(document.getElementById(id).dataset.offset) - 150) < 0.5, ID, 'the scrolled offset');
    assert.deepEqual(await problems(reduced), []);
  });
  if (reduced) await reduced.close();
}

/* The published sample page, with a first script that records console warnings, errors and page errors. */
function watchedPage(site) {
  fs.writeFileSync(path.join(site, 'watch.js'), `window.pageProblems = [];
['warn', 'error'].forEach((kind) => {
  const original = console[kind];
  console[kind] = function () { window.pageProblems.push(kind + ': ' + Array.from(arguments).join(' ')); return original.apply(console, arguments); };
});
window.addEventListener('error', (e) => window.pageProblems.push('page error: ' + e.message));
window.addEventListener('unhandledrejection', (e) => window.pageProblems.push('page error: ' + e.reason));
`);
  const page = fs.readFileSync(path.join(site, 'sample.html'), 'utf8').replace('<head>', '<head>\r\n<script src="./watch.js"></script>');
  fs.writeFileSync(path.join(site, 'watched.html'), page);
}

const server = await serve(work);
const base = `http://127.0.0.1:${server.address().port}/`;
let modern = null;
try {
  const page = publishSample(bin, samples, work);
  watchedPage(path.join(work, path.dirname(page)));
  modern = publishSample(bin, samples, work, { formats: true });
  watchedPage(path.join(work, path.dirname(modern)));
  for (const name of engines) await coreCases(name, base + path.dirname(page) + '/watched.html');
} finally {
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
