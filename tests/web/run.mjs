// Real-browser test of the slider runtime torvane.js (headless Debian chromium).
// Usage: node tests/web/run.mjs --bin <build>/bin --artifacts <build>/test-artifacts
// The sample project is published with torvane-cli (site.mjs); hand-written folders
// (fixtures/pages.mjs) cover the remaining cases.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { createRequire } from 'node:module';
import { chromium } from 'playwright-core';
import { slider, writeFixture } from './fixtures/pages.mjs';
import { coverageFault, setStripTime, state } from './geometry.mjs';
import { SAMPLE, SAMPLE_CYCLE, SAMPLE_GAP, SAMPLE_HIDPI, SAMPLE_SPEED, SAMPLE_TRAILER, checkFormats, publishSample, serve } from './site.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const arg = (name, fallback) => {
  const i = process.argv.indexOf(name);
  return i > 0 && process.argv[i + 1] ? path.resolve(process.argv[i + 1]) : fallback;
};
const bin = arg('--bin', path.join(root, 'build/bin'));
const artifacts = arg('--artifacts', path.join(here, 'artifacts'));
const runtime = fs.existsSync(path.join(bin, 'torvane.js')) ? path.join(bin, 'torvane.js') : path.join(root, 'runtime/torvane.js');
const axeScript = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
const samples = fs.existsSync(path.join(bin, 'samples/sample.tvn')) ? path.join(bin, 'samples') : path.join(root, 'resources/samples');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-web-'));
fs.mkdirSync(artifacts, { recursive: true });

let browser;
let base;
let passed = 0;
let failed = 0;

async function check(name, body) {
  try {
    await body();
    passed++;
    console.log(`ok   ${name}`);
  } catch (error) {
    failed++;
    const where = String(error.stack || '').split('\n').find((line) => line.includes('run.mjs')) || '';
    console.log(`FAIL ${name}\n     ${String(error.message || error).replace(/\n/g, '\n     ')}\n    ${where}`);
  }
}

/*
 * Opens a page and waits until its pictures have loaded and its sliders have started; returns it
 * with the list of console errors and warnings and page errors. Time is real: the browser moves
 * the strips itself, and motion is measured against the document timeline.
 */
async function open(url, { reducedMotion = 'no-preference', viewport = { width: 900, height: 700 }, hasTouch = false, before, scale = 1 } = {}) {
  const context = await browser.newContext({ viewport, reducedMotion, hasTouch, deviceScaleFactor: scale });
  const page = await context.newPage();
  const problems = [];
  page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') problems.push(`${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  if (before) before(page);
  await page.goto(base + url);
  await page.waitForFunction(() => [...document.images].every((img) => img.getAttribute('src') && img.complete), null, { polling: 50 });
  await settle(page);
  return { page, problems, close: () => context.close() };
}

/* Waits until pending plays and pauses have taken effect and one more frame has been drawn. */
const settle = (page) => page.evaluate(async () => {
  await Promise.all(document.getAnimations().map((a) => a.ready.catch(() => null)));
  await new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));
});
const runFor = (page, ms) => page.waitForTimeout(ms);

/* Lets the document timeline (and so every animation) run `rate` times faster than real time. */
const devtools = new WeakMap();
async function timeRate(page, rate) {
  if (!devtools.has(page)) devtools.set(page, await page.context().newCDPSession(page));
  await devtools.get(page).send('Animation.setPlaybackRate', { playbackRate: rate });
}

/* Milliseconds the page's main thread was busy during ms of real time. */
async function mainThreadMs(page, ms) {
  await timeRate(page, 1);
  const cdp = devtools.get(page);
  await cdp.send('Performance.enable');
  const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  const before = await busy();
  await runFor(page, ms);
  return (await busy() - before) * 1000;
}

/* axe-core's violations in the element with this id. */
async function axeViolations(page, id) {
  await page.addScriptTag({ path: axeScript });
  const result = await page.evaluate((selector) => window.axe.run(selector), '#' + id);
  return result.violations.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`);
}

const offset = (page, id) => page.$eval('#' + id, (el) => Number(el.dataset.offset));
const moved = (before, after, cycle) => ((after - before) % cycle + cycle) % cycle;
const near = (actual, expected, tolerance, what) =>
  assert.ok(Math.abs(actual - expected) <= tolerance, `${what}: ${actual}, expected ${expected} +- ${tolerance}`);

/* The strip moved by speed x elapsed animation time (modulo the cycle) and the real first
   picture is where the offset says. */
async function expectMotion(page, id, speed, ms, cycle) {
  await settle(page);
  const before = await state(page, id);
  await runFor(page, ms);
  const after = await state(page, id);
  assert.ok(after.time - before.time >= ms * 0.5, `${id}: the document timeline advanced only ${after.time - before.time} ms in ${ms} ms`);
  const expected = ((speed * (after.time - before.time)) % cycle + cycle) % cycle;
  near(moved(before.offset, after.offset, cycle), expected, 0.05, `${id} moved`);
  near(after.images.find((im) => im.real).left - after.inner.left, -after.offset, 0.6, `${id} first picture`);
}

async function expectStill(page, id, ms, why) {
  await settle(page);
  const before = await offset(page, id);
  await runFor(page, ms);
  assert.equal(await offset(page, id), before, `${id} moved ${why}`);
}

async function sampleTests(url) {
  const requests = [];
  const { page, problems, close } = await open(url, {
    before: (p) => {
      p.on('request', (r) => requests.push({ what: 'start', file: path.basename(new URL(r.url()).pathname) }));
      p.on('requestfinished', (r) => requests.push({ what: 'end', file: path.basename(new URL(r.url()).pathname) }));
    },
  });
  await check('sample: pictures in the first box width load first, every picture once, decoded off the main thread', async () => {
    const pictures = requests.filter((r) => r.file.endsWith('.jpg'));
    const starts = pictures.filter((r) => r.what === 'start').map((r) => r.file);
    assert.deepEqual([...starts].sort(), SAMPLE.map((_, i) => `slider${i}.jpg`), 'pictures requested');
    const firstWidth = ['slider0.jpg', 'slider1.jpg', 'slider2.jpg']; // x < 480
    const lastFirstEnd = Math.max(...firstWidth.map((f) => pictures.findIndex((r) => r.what === 'end' && r.file === f)));
    for (const later of ['slider3.jpg', 'slider4.jpg']) {
      assert.ok(pictures.findIndex((r) => r.what === 'start' && r.file === later) > lastFirstEnd,
        `${later} requested before the pictures in view had loaded: ${pictures.map((r) => r.what + ' ' + r.file).join(', ')}`);
    }
    assert.deepEqual(await page.$$eval('#Slider1_div img', (imgs) => [...new Set(imgs.map((i) => i.decoding))]), ['async']);
  });
  await check('sample: pictures, links, targets, tooltips and box as configured', async () => {
    const s = await state(page, 'Slider1_div');
    assert.equal(s.cycle, SAMPLE_CYCLE, 'data-cycle');
    const real = await page.$$eval('#Slider1_div img', (imgs) => imgs.filter((i) => !i.closest('[aria-hidden="true"]')).map((i) => {
      const a = i.closest('a');
      return { src: i.getAttribute('src'), alt: i.alt, title: i.title, w: i.clientWidth, h: i.clientHeight,
        natural: i.naturalHeight, href: a && a.href, target: a && a.getAttribute('target'), rel: a && a.rel, css: getComputedStyle(i).border };
    }));
    assert.equal(real.length, SAMPLE.length, 'real pictures');
    SAMPLE.forEach((it, i) => {
      const r = real[i];
      assert.equal(r.src, `slider${i}.jpg`);
      assert.deepEqual([r.alt, r.title], [it.tip, it.tip], `tooltip of picture ${i}`);
      assert.deepEqual([r.w, r.h, r.natural], [it.width, 120, 120], `size of picture ${i}`);
      assert.equal(r.href, it.link ? new URL(it.link, page.url()).href : null, `link of picture ${i}`);
      assert.equal(r.target, it.link ? it.target || null : null, `target of picture ${i}`);
      assert.equal(r.rel, it.link ? (['_blank', 'gallery'].includes(it.target) ? 'noopener' : '') : null, `rel of picture ${i}`);
      assert.equal(r.css, '2px solid rgb(255, 255, 255)', `border of picture ${i}`);
    });
    const box = await page.$eval('#Slider1_div .slidercontainer', (b) => {
      const c = getComputedStyle(b);
      return [b.offsetWidth, b.offsetHeight, c.boxSizing, c.backgroundColor, c.borderTop];
    });
    assert.deepEqual(box, [480, 130, 'border-box', 'rgb(32, 48, 64)', '3px solid rgb(64, 96, 160)']);
  });
  await check('sample: loop copies are hidden from screen readers and the Tab order', async () => {
    const copies = await page.$$eval('#Slider1_div [aria-hidden="true"] img', (imgs) => imgs.map((i) => {
      const a = i.closest('a');
      return a ? a.tabIndex : 'plain';
    }));
    assert.ok(copies.length >= SAMPLE.length, 'the box needs at least one copy');
    assert.ok(copies.every((t) => t === -1 || t === 'plain'), `copy links tabbable: ${copies}`);
    const tree = await page.locator('#Slider1_div').ariaSnapshot();
    assert.equal((tree.match(/- link/g) || []).length, 4, `links read out:\n${tree}`);
    assert.equal((tree.match(/- img/g) || []).length, 5, `pictures read out:\n${tree}`);
  });
  await check('sample: moves left at step/delay px per ms, no gap or jump over a full cycle', async () => {
    await expectMotion(page, 'Slider1_div', SAMPLE_SPEED, 2000, SAMPLE_CYCLE);
    await timeRate(page, 10); // a whole cycle (18 s) in under 2 s
    let last = await state(page, 'Slider1_div');
    const start = last.time;
    while (last.time - start < SAMPLE_CYCLE / SAMPLE_SPEED + 1000) {
      await runFor(page, 60);
      const now = await state(page, 'Slider1_div');
      const t = now.time - start;
      near(moved(last.offset, now.offset, SAMPLE_CYCLE), (SAMPLE_SPEED * (now.time - last.time)) % SAMPLE_CYCLE, 0.05, `step at ${t} ms`);
      const fault = coverageFault(now, SAMPLE_GAP, SAMPLE_TRAILER);
      assert.equal(fault, null, `at offset ${now.offset}: ${fault}`);
      last = now;
    }
    await timeRate(page, 1);
    await page.locator('#Slider1_div').screenshot({ path: path.join(artifacts, 'web-sample.png') });
  });
  await check('sample: pointer over the box and keyboard focus pause it; leaving resumes', async () => {
    const s = await state(page, 'Slider1_div');
    await page.mouse.move(s.inner.left + 30, (s.inner.top + s.inner.bottom) / 2);
    await expectStill(page, 'Slider1_div', 800, 'under the pointer');
    await page.mouse.move(s.inner.left, s.inner.bottom + 100);
    await expectMotion(page, 'Slider1_div', SAMPLE_SPEED, 1000, SAMPLE_CYCLE);
    await page.keyboard.press('Tab');
    const first = await page.evaluate(() => [document.activeElement.tagName, document.activeElement.getAttribute('aria-pressed')]);
    assert.deepEqual(first, ['BUTTON', 'false'], 'the pause button comes first in the Tab order');
    const stops = [];
    for (let i = 0; i < 8; i++) {
      await page.keyboard.press('Tab');
      const stop = await page.evaluate(() => {
        const a = document.activeElement;
        return a.closest('#Slider1_div') ? { href: a.getAttribute('href'), hidden: !!a.closest('[aria-hidden="true"]'), left: a.getBoundingClientRect().left, right: a.getBoundingClientRect().right } : null;
      });
      if (!stop) break;
      stops.push(stop);
      await expectStill(page, 'Slider1_div', 250, `while ${stop.href} has focus`);
      const now = await state(page, 'Slider1_div');
      assert.ok(stop.left >= now.inner.left - 0.6 && stop.right <= now.inner.right + 0.6, `focused ${stop.href} out of view`);
    }
    assert.deepEqual(stops.map((t) => [t.href, t.hidden]), SAMPLE.filter((it) => it.link).map((it) => [it.link, false]));
    await expectMotion(page, 'Slider1_div', SAMPLE_SPEED, 1000, SAMPLE_CYCLE);
  });
  await check('sample: the pause button stops it for good and starts it again', async () => {
    const button = page.locator('#Slider1_div button');
    assert.equal(await button.evaluate((b) => getComputedStyle(b).opacity), '0', 'button shown without hover or focus');
    await button.click();
    assert.equal(await button.getAttribute('aria-pressed'), 'true');
    assert.ok(await button.getAttribute('aria-label'), 'button has a label');
    await page.mouse.move(0, 600);
    await expectStill(page, 'Slider1_div', 1000, 'after the pause button');
    assert.equal(await button.evaluate((b) => getComputedStyle(b).opacity), '1', 'Play hidden while stopped');
    assert.equal(await button.getAttribute('title'), 'Play');
    await button.focus();
    await page.keyboard.press('Space');
    assert.equal(await button.getAttribute('aria-pressed'), 'false');
    await button.blur();
    await expectMotion(page, 'Slider1_div', SAMPLE_SPEED, 1000, SAMPLE_CYCLE);
  });
  await check('sample: rests out of view, in a hidden parent and in a hidden tab; goes on where it stopped', async () => {
    const moving = await mainThreadMs(page, 1000);
    assert.ok(moving < 30, `main thread busy ${moving.toFixed(1)} ms in a second while the slider moves`);
    await page.evaluate(() => {
      const room = document.createElement('div');
      room.style.height = '3000px';
      document.body.append(room);
      window.scrollTo(0, 2000);
    });
    await expectStill(page, 'Slider1_div', 600, 'out of view');
    const idle = await mainThreadMs(page, 1000);
    assert.ok(idle < 15, `main thread busy ${idle.toFixed(1)} ms in a second while the slider is out of view`);
    const resting = async (hide, show, why) => {
      await page.evaluate(hide);
      await expectStill(page, 'Slider1_div', 600, why);
      const where = await state(page, 'Slider1_div');
      await page.evaluate(show);
      await settle(page);
      const back = await state(page, 'Slider1_div');
      near(moved(where.offset, back.offset, SAMPLE_CYCLE), 0, SAMPLE_SPEED * (back.time - where.time) + 0.05, `offset after ${why}`);
      await expectMotion(page, 'Slider1_div', SAMPLE_SPEED, 500, SAMPLE_CYCLE);
    };
    await resting(() => {}, () => window.scrollTo(0, 0), 'out of view');
    await resting(() => {
      const slider = document.getElementById('Slider1_div');
      const holder = document.createElement('section');
      slider.before(holder);
      holder.append(slider);
      holder.style.display = 'none';
    }, () => { document.getElementById('Slider1_div').parentElement.style.display = ''; }, 'in a hidden parent');
    await resting(() => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, () => {
      delete document.hidden;
      document.dispatchEvent(new Event('visibilitychange'));
    }, 'in a hidden tab');
  });
  await check('sample: a container taken out of the page and put back moves again', async () => {
    await page.evaluate(() => { window.detached = document.getElementById('Slider1_div'); window.detached.remove(); });
    await runFor(page, 300);
    await page.evaluate(() => document.body.prepend(window.detached));
    await expectMotion(page, 'Slider1_div', SAMPLE_SPEED, 500, SAMPLE_CYCLE);
    assert.equal(coverageFault(await state(page, 'Slider1_div'), SAMPLE_GAP, SAMPLE_TRAILER), null);
  });
  await check('sample: axe-core finds no violation, moving or stopped', async () => {
    assert.deepEqual(await axeViolations(page, 'Slider1_div'), []);
    await page.locator('#Slider1_div button').click();
    await page.mouse.move(0, 600);
    assert.deepEqual(await axeViolations(page, 'Slider1_div'), []);
  });
  await check('sample: no console or page errors', async () => assert.deepEqual(problems, []));
  await close();

  const phone = await open(url, { viewport: { width: 320, height: 640 }, hasTouch: true });
  await check('sample: at 320 px the box fits the page, keeps its height and stays covered', async () => {
    const { page: p } = phone;
    const sizes = await p.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth,
      document.querySelector('#Slider1_div .slidercontainer').offsetHeight]);
    assert.deepEqual(sizes, [320, 320, 130], 'page width, viewport width, box height');
    await expectMotion(p, 'Slider1_div', SAMPLE_SPEED, 500, SAMPLE_CYCLE);
    assert.equal(coverageFault(await state(p, 'Slider1_div'), SAMPLE_GAP, SAMPLE_TRAILER), null);
  });
  await check('sample: a tap stops the strip without following a link; a tap off the links starts it', async () => {
    const { page: p } = phone;
    await p.evaluate(() => {
      window.clicks = [];
      document.addEventListener('click', (event) => { window.clicks.push(event.defaultPrevented); event.preventDefault(); });
    });
    /* Taps the middle of the visible part of the first copy of picture `item` that is in view. */
    const tapOn = async (item) => {
      const view = await state(p, 'Slider1_div');
      const boxes = await p.$$eval(`#Slider1_div [data-item="${item}"]`, (all) => all.map((e) => {
        const r = e.getBoundingClientRect();
        return { left: r.left, right: r.right, y: (r.top + r.bottom) / 2 };
      }));
      const seen = boxes.map((b) => ({ ...b, left: Math.max(b.left, view.inner.left), right: Math.min(b.right, view.inner.right) }))
        .filter((b) => b.right - b.left > 30);
      assert.ok(seen.length, `picture ${item} not in view`);
      await p.touchscreen.tap((seen[0].left + seen[0].right) / 2, seen[0].y);
      await settle(p);
    };
    const pressed = () => p.locator('#Slider1_div button').getAttribute('aria-pressed');
    await tapOn(0); // a link
    assert.equal(await pressed(), 'true', 'a tap on a moving link stops the strip');
    await expectStill(p, 'Slider1_div', 500, 'after a tap');
    await tapOn(0);
    assert.equal(await pressed(), 'true', 'a tap on a link of a stopped strip keeps it stopped');
    assert.deepEqual(await p.evaluate(() => window.clicks), [true, false], 'first tap swallowed, second follows the link');
    await p.$eval('#Slider1_div', (d) => d.querySelector('.torvane-view').scrollLeft = 300); // forest into view
    await settle(p);
    await tapOn(2); // no link
    assert.equal(await pressed(), 'false', 'a tap off the links starts the strip');
    await expectMotion(p, 'Slider1_div', SAMPLE_SPEED, 500, SAMPLE_CYCLE);
    assert.deepEqual(phone.problems, []);
  });
  await phone.close();

  const reduced = await open(url, { reducedMotion: 'reduce' });
  await check('sample: reduced motion stands still, scrolls by hand, follows the setting live', async () => {
    const { page: p } = reduced;
    await expectStill(p, 'Slider1_div', 1000, 'under reduced motion');
    assert.equal(await offset(p, 'Slider1_div'), 0);
    const s = await state(p, 'Slider1_div');
    await p.mouse.move(s.inner.left + 50, s.inner.top + 50);
    await p.mouse.wheel(150, 0);
    await p.waitForFunction(() => Number(document.getElementById('Slider1_div').dataset.offset) >= 149.5, null, { polling: 50 });
    const scrolled = await state(p, 'Slider1_div');
    near(scrolled.images.find((im) => im.real).left - scrolled.inner.left, -scrolled.offset, 0.6, 'scrolled picture');
    // The pointer stays over the box, so the strip holds still when motion comes back.
    // The media change reaches the page with its next rendering update: wait for the button to show.
    const buttonShown = (shown) => p.waitForFunction((want) =>
      (getComputedStyle(document.querySelector('#Slider1_div button')).display !== 'none') === want, shown, { polling: 50 });
    await p.emulateMedia({ reducedMotion: 'no-preference' });
    await buttonShown(true);
    near(await offset(p, 'Slider1_div'), 150, 0.5, 'offset when motion resumes');
    await p.mouse.move(0, 600);
    await expectMotion(p, 'Slider1_div', SAMPLE_SPEED, 1000, SAMPLE_CYCLE);
    await p.emulateMedia({ reducedMotion: 'reduce' });
    await buttonShown(false);
    await expectStill(p, 'Slider1_div', 1000, 'after reduced motion was switched on');
    assert.deepEqual(reduced.problems, []);
  });
  await reduced.close();
}

async function fixtureTests() {
  const options = { runtime, pictures: samples };
  // A strip of 40 pictures, 8,162 px: the first box width loads first, then each picture as it
  // comes within one box width of the view; one that never comes near is never fetched.
  const lazy = Array.from({ length: 40 }, (_, i) => ({ file: `p${i}.jpg`, link: '', target: '', tip: `picture ${i}`,
    width: 200, height: 120 }));
  writeFixture(path.join(work, 'lazy'), [slider('Lazy', { step: 5, delay: 10, gap: 0, trailer: 2, items: lazy })], options);
  lazy.forEach((_, i) => fs.copyFileSync(path.join(samples, 'sample/slider0.jpg'), path.join(work, 'lazy', `p${i}.jpg`)));
  await check('pictures load as they come near the view, each once, and none far ahead of it', async () => {
    const context = await browser.newContext({ viewport: { width: 900, height: 700 } });
    const page = await context.newPage();
    server.requested.length = 0;
    await page.goto(base + 'lazy/index.html');
    await page.waitForFunction(() => document.querySelectorAll('#Lazy_div img[src]').length > 0
      && [...document.querySelectorAll('#Lazy_div img[src]')].every((img) => img.complete), null, { polling: 50 });
    for (const wait of [0, 2500]) {
      await runFor(page, wait);
      const offset = (await state(page, 'Lazy_div')).offset;
      const fetched = server.requested.filter((file) => file.startsWith('/lazy/p')).map((file) => Number(file.match(/\d+/)[0]));
      assert.equal(new Set(fetched).size, fetched.length, `fetched twice: ${fetched}`);
      // Box 298 px inside; the strip moved `offset` px since the start (not yet a whole cycle).
      lazy.forEach((_, i) => {
        const left = i * 204;
        if (left < offset + 298) assert.ok(fetched.includes(i), `picture ${i} at ${left} px was shown, offset ${offset}`);
        if (left > offset + 3 * 298 && left + 204 < 8162 - 298) assert.ok(!fetched.includes(i), `picture ${i} at ${left} px fetched early, offset ${offset}`);
      });
    }
    const sized = await page.$$eval('#Lazy_div img', (all) => all.every((img) => img.getAttribute('width') && img.getAttribute('height')));
    assert.ok(sized, 'every picture has its size before it loads');
    await context.close();
  });
  writeFixture(path.join(work, 'two'), [slider('Left'), slider('Right', { step: -3, delay: 20, gap: 10, trailer: 30 })], options);
  const two = await open('two/index.html');
  await check('two sliders run on their own, each its way, and pause alone', async () => {
    const { page } = two;
    await expectMotion(page, 'Left_div', 2 / 40, 1000, 532);
    await expectMotion(page, 'Right_div', -3 / 20, 1000, 592);
    await timeRate(page, 10);
    for (let t = 0; t < 20; t++) {
      await runFor(page, 40);
      assert.equal(coverageFault(await state(page, 'Right_div'), 10, 30), null, `Right at step ${t}`);
    }
    await timeRate(page, 1);
    const left = await state(page, 'Left_div');
    await page.mouse.move(left.inner.left + 10, left.inner.top + 10);
    await settle(page);
    const before = await state(page, 'Right_div');
    await expectStill(page, 'Left_div', 1000, 'under the pointer');
    const after = await state(page, 'Right_div');
    near(moved(before.offset, after.offset, 592), moved(0, -3 / 20 * (after.time - before.time), 592), 0.05, 'Right while Left is hovered');
    assert.deepEqual(two.problems, []);
  });
  await two.close();

  writeFixture(path.join(work, 'edge'), [
    slider('Empty', { cfg: 'empty' }), slider('Undef', { cfg: 'undefined' }), slider('Still', { step: 0, background: 'navy' }),
    slider('Fast', { step: 1, delay: 0 }),
    slider('Tiny', { width: 600, items: [{ file: 'forest.jpg', link: 'a.html', target: '', tip: 'tiny', width: 10, height: 120 }] }),
    slider('Unsized', { items: [{ file: 'forest.jpg', link: '', target: '', tip: 'no size', width: '', height: '' },
      { file: 'harbour.jpg', link: '', target: '', tip: 'sized', width: 160, height: 120 }] }),
    slider('Late', { late: 500 }),
  ], options);
  const edge = await open('edge/index.html');
  await check('empty, still, delay 0, tiny, unsized and late sliders behave', async () => {
    const { page } = edge;
    for (const id of ['Empty_div', 'Undef_div']) {
      const box = await page.$eval('#' + id, (d) => [d.querySelectorAll('img').length, d.firstElementChild.offsetWidth,
        d.firstElementChild.offsetHeight, d.dataset.cycle]);
      assert.deepEqual(box, [0, 300, 126, '0'], id);
    }
    await expectStill(page, 'Still_div', 1000, 'with step 0');
    await expectMotion(page, 'Fast_div', 1 / 10, 1000, 532);
    for (let t = 0; t < 1000; t += 100) {
      await runFor(page, 100);
      assert.equal(coverageFault(await state(page, 'Tiny_div'), 0, 0), null, `Tiny at ${t} ms`);
    }
    const joined = () => page.$eval('#Unsized_div', (d) => d.dataset.cycle === String(120 + 4 + 160 + 4));
    for (let wait = 0; wait < 50 && !(await joined()); wait++) await new Promise((r) => setTimeout(r, 100));
    const unsized = await state(page, 'Unsized_div');
    assert.equal(unsized.cycle, 120 + 4 + 160 + 4, 'unsized picture joins at natural proportions');
    assert.equal(coverageFault(unsized, 0, 0), null, 'Unsized after its picture joined');
    await page.waitForFunction(() => document.querySelectorAll('#Late_div img').length > 0, null, { polling: 50 });
    await page.$eval('#Late_div', (d) => d.scrollIntoView()); // sliders out of view rest
    await expectMotion(page, 'Late_div', 2 / 40, 1000, 532);
    const globals = await page.evaluate(() => {
      const frame = document.body.appendChild(document.createElement('iframe'));
      const own = new Set(Object.getOwnPropertyNames(frame.contentWindow));
      frame.remove();
      return Object.getOwnPropertyNames(window).filter((k) => !own.has(k) && !/^(CI|Init)\w+$|cfg$/.test(k)).sort();
    });
    assert.deepEqual(globals, ['BXae', 'Bmaf'], 'globals besides those of the configuration script');
    assert.deepEqual(edge.problems, [
      'warning: Torvane slider "Still_div": background colour "navy" is not six hex digits; left transparent',
      'warning: Torvane slider "Late_div": no element with this id on the page yet; waiting for it']);
    assert.equal(await page.$eval('#Still_div .slidercontainer', (b) => getComputedStyle(b).backgroundColor), 'rgba(0, 0, 0, 0)');
  });
  await edge.close();

  const tiny = [{ file: 'forest.jpg', link: '', target: '', tip: 'tiny', width: 10, height: 120 }];
  writeFixture(path.join(work, 'wide'), [slider('Wide', { width: 800, items: tiny })], options);
  const wide = await open('wide/index.html', { viewport: { width: 320, height: 600 } });
  await check('a box that grows with the window gets the copies it needs, with no blank', async () => {
    const { page } = wide;
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 320, 'page width at 320 px');
    assert.equal(coverageFault(await state(page, 'Wide_div'), 0, 0), null, 'narrow');
    for (const width of [900, 500, 1000]) {
      await page.setViewportSize({ width, height: 600 });
      await settle(page);
      for (let t = 0; t < 3; t++) {
        const s = await state(page, 'Wide_div');
        near(s.inner.right - s.inner.left, Math.min(800, width - 16) - 2, 0.01, `box at ${width} px`);
        assert.equal(coverageFault(s, 0, 0), null, `at ${width} px, step ${t}`);
        await runFor(page, 70);
      }
    }
    assert.deepEqual(wide.problems, []);
  });
  await wide.close();

  // A long cycle (7,286 px, one picture wider than a piece) is moved in pieces that browsers can
  // move off the main thread (4096 device px); they stay in step and leave no blank anywhere in
  // the cycle, and follow the device pixel ratio when it changes.
  const widths = [600, 500, 700, 2600, 400, 450, 300, 550, 650, 480];
  const long = widths.map((width, i) => ({ file: ['harbour.jpg', 'dunes.jpg', 'forest.jpg'][i % 3], link: i % 2 ? '' : `p${i}.html`,
    target: '', tip: `picture ${i}`, width, height: 120 }));
  writeFixture(path.join(work, 'long'), [slider('Long', { width: 700, step: 5, delay: 10, gap: 4, trailer: 2, items: long })], options);
  const longPage = await open('long/index.html');
  await check('a long cycle moves in pieces of at most 4096 device px that stay in step, with no blank across the seam', async () => {
    const { page } = longPage;
    const cycle = widths.reduce((sum, w) => sum + w + 4 + 4, 0) + 2;
    // Ratio 2 is a change while the page is open (as browser zoom makes); 3 a page of its own.
    let dense = null;
    for (const ratio of [1, 2, 3]) {
      if (ratio === 3) dense = await open('long/index.html', { scale: 3 });
      const at = dense ? dense.page : page;
      if (ratio === 2) { // held under the pointer, the strip is laid out again where it stands
        const { inner } = await state(page, 'Long_div');
        await page.mouse.move(inner.left + 20, inner.top + 20);
        await settle(page);
        const held = (await state(page, 'Long_div')).offset;
        // Zoom also narrows the viewport (an emulated ratio alone would not be reported).
        await (await page.context().newCDPSession(page)).send('Emulation.setDeviceMetricsOverride',
          { width: 880, height: 700, deviceScaleFactor: 2, mobile: false });
        await page.waitForFunction(() => window.devicePixelRatio === 2);
        await settle(page);
        near((await state(page, 'Long_div')).offset, held, 0.05, 'offset kept across the change');
        await page.mouse.move(0, 0);
      }
      await expectMotion(at, 'Long_div', 0.5, 400, cycle);
      const pieces = await at.$$eval('#Long_div .torvane-set:first-child .torvane-piece', (all) => all.map((piece) => ({
        width: piece.offsetWidth, pictures: piece.children.length,
        times: piece.getAnimations().map((a) => Math.round(a.currentTime * 1000) / 1000),
      })));
      // As wide as allowed: no two neighbours would fit in one piece.
      const limit = Math.floor(4096 / ratio);
      pieces.forEach((piece, i) => {
        const where = `at ratio ${ratio}, piece ${i} (${piece.width} px, ${piece.pictures} pictures)`;
        assert.ok(piece.width <= limit || piece.pictures === 1, where);
        assert.ok(i === 0 || pieces[i - 1].width + 4 + piece.width > limit, `${where} could join the one before`);
        assert.deepEqual(piece.times, [pieces[0].times[0]], `${where}: one animation a piece, all at one time`);
      });
    }
    assert.deepEqual(dense.problems, []);
    await dense.close();
    const box = await state(page, 'Long_div');
    await page.mouse.move(box.inner.left + 20, box.inner.top + 20);
    for (const at of [0, 0.1, 0.37, 0.5, 0.83, 0.999]) {
      await page.evaluate(setStripTime, ['Long_div', 5 * cycle / 0.5 + at * cycle / 0.5]);
      const s = await state(page, 'Long_div');
      near(s.offset, at * cycle, 0.05, `offset at ${at} of a cycle`);
      assert.equal(coverageFault(s, 4, 2), null, `at ${at} of a cycle`);
    }
    assert.deepEqual(longPage.problems, []);
  });
  await longPage.close();

  writeFixture(path.join(work, 'strict'), [slider('Strict', { step: 3, delay: 30 })],
    { ...options, csp: "default-src 'self'; script-src 'self' 'unsafe-eval'; style-src 'self'; img-src 'self'" });
  const strict = await open('strict/index.html');
  await check('a page whose policy refuses inline styles still shows and moves the slider', async () => {
    const { page } = strict;
    const refused = await page.evaluate(() => {
      const style = document.head.appendChild(document.createElement('style'));
      style.textContent = 'body{margin:37px}';
      return getComputedStyle(document.body).marginTop !== '37px';
    });
    assert.ok(refused, 'the page does not enforce its style policy');
    const box = await page.$eval('#Strict_div .slidercontainer', (b) => {
      const c = getComputedStyle(b);
      return [b.offsetWidth, b.offsetHeight, c.position, c.overflow];
    });
    assert.deepEqual(box, [300, 126, 'relative', 'hidden']);
    await expectMotion(page, 'Strict_div', 3 / 30, 600, 532);
    assert.equal(coverageFault(await state(page, 'Strict_div'), 0, 0), null);
    assert.deepEqual(strict.problems.filter((m) => !m.includes('body{margin:37px}') && !/inline style/.test(m)), []);
  });
  await strict.close();

  writeFixture(path.join(work, 'absurd'), [
    slider('Huge', { step: 1e300, delay: 1e-10 }), slider('Slow', { step: 1, delay: 1e9 }),
    slider('Nan', { step: 2, delay: 'NaN' }), slider('Back', { step: -1e300, delay: 1 })], options);
  const absurd = await open('absurd/index.html', { viewport: { width: 900, height: 1200 } });
  await check('absurd speeds fall back to sane ones; a speed that rounds to nothing stands still', async () => {
    const { page } = absurd;
    await expectMotion(page, 'Huge_div', 10, 300, 532);
    await expectMotion(page, 'Back_div', -10, 300, 532);
    await expectMotion(page, 'Nan_div', 2 / 10, 300, 532);
    await expectStill(page, 'Slow_div', 300, 'at 1 px in 1e9 ms');
    const slow = await page.$eval('#Slow_div', (d) => [d.dataset.offset, d.querySelector('button').hidden,
      d.getAnimations({ subtree: true }).length]);
    assert.deepEqual(slow, ['0', true, 0], 'offset, button hidden, animations');
    assert.deepEqual(absurd.problems, [
      'warning: Torvane slider "Huge_div": step 1e+300 every 1e-10 ms is too fast; moving 10 px per ms',
      'warning: Torvane slider "Slow_div": step 1 every 1000000000 ms is too slow to see; standing still',
      'warning: Torvane slider "Back_div": step -1e+300 every 1 ms is too fast; moving 10 px per ms']);
  });
  await absurd.close();
}

const server = await serve(work);
base = `http://127.0.0.1:${server.address().port}/`;
browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
try {
  let url = null;
  await check('the sample project publishes with torvane-cli', () => { url = publishSample(bin, samples, work); });
  if (url) await sampleTests(url);
  await check('a slider named in non-ASCII letters publishes and runs, also pasted as embed code into a page of its own', async () => {
    const site = publishSample(bin, samples, work, { name: 'Galer\u00eda' });
    const folder = path.join(work, path.dirname(site));
    const snippet = execFileSync(path.join(bin, 'torvane-cli'), ['snippet', path.join(folder, 'sample.tvn')], { encoding: 'utf8' });
    fs.writeFileSync(path.join(folder, 'mine.html'), `<!DOCTYPE html>\n<meta charset="utf-8"><title>Mine</title>\n<p>My page</p>\n${snippet}<p>More</p>\n`);
    for (const url of [site, path.dirname(site) + '/mine.html']) {
      const { page, problems, close } = await open(url);
      try {
        await expectMotion(page, 'Galer\u00eda_div', SAMPLE_SPEED, 300, SAMPLE_CYCLE);
        assert.deepEqual(problems, []);
      } finally {
        await close();
      }
    }
  });
  await check('pictures at twice the height are what screens of device scale factor 2 load, 1 the others', async () => {
    const hidpi = publishSample(bin, samples, work, { hidpi: true });
    for (const scale of [1, 1.25, 2]) {
      const { page, problems, close } = await open(hidpi, { scale });
      const shown = await page.$$eval('#Slider1_div img', (images) => images.map((img) => [Number(img.closest('[data-item]').dataset.item),
        img.currentSrc.split('/').pop(), img.naturalHeight]));
      await close();
      assert.deepEqual(problems, []);
      assert.ok(shown.length >= SAMPLE.length, `${shown.length} pictures`);
      for (const [item, file, height] of shown) {
        const dense = scale >= 1.5 && SAMPLE_HIDPI[item];
        assert.deepEqual([file, height], [dense ? `slider${item}@2x.jpg` : `slider${item}.jpg`, dense ? 240 : 120], `scale ${scale}`);
      }
    }
  });
  await check('with WebP and AVIF published, Chromium loads each picture once, as AVIF, and the strip stays seamless', async () => {
    const modern = publishSample(bin, samples, work, { formats: true });
    server.requested.length = 0;
    const { page, problems, close } = await open(modern);
    try {
      await checkFormats((fn, value) => page.evaluate(fn, value), server, modern, ['avif']);
      assert.deepEqual(problems, []);
    } finally {
      await close();
    }
  });
  await fixtureTests();
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
