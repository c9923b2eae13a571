// The slider runtime beside a plain CSS keyframes strip and the slider libraries web authors pick
// for a moving strip, in Debian's chromium and firefox-esr (not part of ./test).
//   node bench/peers.mjs [--bin build/bin] [--runs 3] [--seconds 4] [--cycle 2100]
//        [--engines chromium,firefox] [--pages torvane,standards,css,swiper,embla,splide]
//        [--runtime some/torvane.js] [--warm-up 8] [--raw] [--serve]
// Every page shows the same 12 pictures (made here with ImageMagick) in a 640 x 160 box moving at
// 60 px/s; --cycle scales the pictures so that one cycle is about that many px. "torvane" is the
// page torvane-cli publishes (its markup as saved), "standards" the same code in a page with a
// doctype; --runtime puts another torvane.js in both (e.g. an older one, to compare); --serve
// only serves the pages (NAME.html) until interrupted, to look at them in a browser of your own.
// --raw also prints every run's figure. Each browser first shows the CSS strip for --warm-up s,
// and each run takes the pages in another order (run k starts with the k-th page), so no page
// always pays for a browser just started.
// Costs are per second of the page moving with nothing else going on: the main thread (chromium:
// DevTools TaskDuration, the time its tasks took, and the CPU time of the renderer's main thread;
// firefox: CPU time of the content process's main thread) and the CPU time of all the browser's
// processes (/proc schedstat), medians of --runs runs. At 4x throttling chromium's throttler keeps
// the main thread on the CPU itself, so there only TaskDuration tells the page's cost. The CSS
// strip moves each copy of the cycle as its own element, as CSS marquees do. Speed error and the
// widest blank in the box (expected: gap + trailer) are read from the pictures' positions.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { createRequire } from 'node:module';
import { builtFolders, option, publishSample, serve } from '../tests/web/site.mjs';

// The browsers' driver and the peer libraries are the web tests' packages (`npm ci` in tests/web).
const web = path.join(path.dirname(fileURLToPath(import.meta.url)), '../tests/web');
const puppeteer = createRequire(path.join(web, 'package.json'))('puppeteer-core');
const { bin, samples } = builtFolders();
const runs = Number(option('--runs', '3'));
const seconds = Number(option('--seconds', '4'));
const engines = option('--engines', 'chromium,firefox').split(',');
const pages = option('--pages', 'torvane,standards,css,swiper,embla,splide').split(',');
const runtime = option('--runtime', '');
const warmUp = Number(option('--warm-up', '8'));
const modules = path.join(web, 'node_modules');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-peers-'));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The strip: 12 pictures 150 px high with a 2 px border, 6 px after each, 24 px before the loop.
const BOX = { width: 640, height: 160, border: 3 };
const HEIGHT = 150;
const BORDER = 2;
const GAP = 6;
const TRAILER = 24;
const SPEED = 0.06; // px per ms
const BASE_WIDTHS = [200, 160, 240, 120, 180, 220, 140, 260, 150, 190, 130, 170];
const wantedCycle = Number(option('--cycle', '2100'));
const fixed = BASE_WIDTHS.length * (2 * BORDER + GAP) + TRAILER;
const scale = (wantedCycle - fixed) / BASE_WIDTHS.reduce((a, b) => a + b, 0);
const WIDTHS = BASE_WIDTHS.map((w) => Math.max(8, Math.round(w * scale)));
const CYCLE = WIDTHS.reduce((sum, w) => sum + w + 2 * BORDER + GAP, 0) + TRAILER;
const COLOURS = ['#c0392b', '#2980b9', '#27ae60', '#8e44ad', '#d35400', '#16a085', '#2c3e50', '#f39c12', '#7f8c8d',
  '#e84393', '#00b894', '#6c5ce7'];

function makePictures(dir) {
  WIDTHS.forEach((w, i) => execFileSync('convert', ['-size', `${w}x${HEIGHT}`,
    `gradient:${COLOURS[i]}-white`, '-quality', '85', path.join(dir, `p${i}.jpg`)]));
}

const slideStyle = (i) => `width:${WIDTHS[i]}px;height:${HEIGHT}px;border:${BORDER}px solid #fff;`
  + `margin-right:${GAP + (i === WIDTHS.length - 1 ? TRAILER : 0)}px;flex:0 0 auto;display:block`;
const picture = (i, extra = '') => `<img src="p${i}.jpg" width="${WIDTHS[i]}" height="${HEIGHT}" alt="picture ${i + 1}" ${extra}>`;
const boxCss = `.box{position:relative;width:${BOX.width}px;height:${BOX.height}px;box-sizing:border-box;`
  + `border:${BOX.border}px solid #4060a0;overflow:hidden;background:#203040}`;
const page = (title, head, body) => `<!doctype html><html><head><meta charset="utf-8"><title>${title}</title>${head}`
  + `</head><body>${body}</body></html>`;

/* The peers, each from its npm package: scripts to load, CSS, markup and the start-up script. */
const PEERS = {
  swiper: {
    scripts: ['swiper/swiper-bundle.min.js'], styles: ['swiper/swiper-bundle.min.css'],
    css: '.swiper-wrapper{transition-timing-function:linear!important}.swiper-slide{width:auto}',
    body: `<div class="box swiper"><div class="swiper-wrapper">${WIDTHS.map((_, i) =>
      `<div class="swiper-slide" style="${slideStyle(i)};box-sizing:content-box">${picture(i, 'style="display:block"')}</div>`).join('')}</div></div>`,
    // One slide's transition lasts `speed` ms: the average slide at 60 px/s.
    start: `new Swiper('.swiper',{loop:true,freeMode:true,slidesPerView:'auto',allowTouchMove:false,
      speed:${Math.round(CYCLE / WIDTHS.length / SPEED)},autoplay:{delay:0,disableOnInteraction:false}});`,
  },
  embla: {
    scripts: ['embla-carousel/embla-carousel.umd.js', 'embla-carousel-auto-scroll/embla-carousel-auto-scroll.umd.js'],
    css: '.embla{overflow:hidden}.embla__container{display:flex}',
    body: `<div class="box embla"><div class="embla__container">${WIDTHS.map((_, i) =>
      `<div style="${slideStyle(i)};box-sizing:content-box">${picture(i, 'style="display:block"')}</div>`).join('')}</div></div>`,
    // Auto scroll's speed is px per 1/60 s.
    start: `EmblaCarousel(document.querySelector('.embla'),{loop:true,dragFree:true},
      [EmblaCarouselAutoScroll({speed:${SPEED * 1000 / 60},stopOnInteraction:false,stopOnMouseEnter:false})]);`,
  },
  splide: {
    scripts: ['@splidejs/splide/dist/js/splide.min.js', '@splidejs/splide-extension-auto-scroll/dist/js/splide-extension-auto-scroll.min.js'],
    styles: ['@splidejs/splide/dist/css/splide-core.min.css'],
    css: '.splide__slide{box-sizing:content-box}',
    body: `<div class="box splide"><div class="splide__track"><ul class="splide__list">${WIDTHS.map((_, i) =>
      `<li class="splide__slide" style="${slideStyle(i)}">${picture(i, 'style="display:block"')}</li>`).join('')}</ul></div></div>`,
    start: `new Splide('.splide',{type:'loop',autoWidth:true,arrows:false,pagination:false,drag:false,
      autoScroll:{speed:${SPEED * 1000 / 60},pauseOnHover:false,pauseOnFocus:false}}).mount(window.splide.Extensions);`,
  },
};

function writePages(site) {
  makePictures(site);
  const items = WIDTHS.map((w, i) => `['p${i}.jpg','','','picture ${i + 1}',${w},${HEIGHT}]`).join(',');
  fs.writeFileSync(path.join(site, 'torvanecfg.js'),
    `new BXae('Slider1_div',${BOX.width},${BOX.height},${SPEED * 50},50,${GAP},${TRAILER},'203040',[${items}],${BORDER},${BOX.border});\n`);
  if (runtime) fs.copyFileSync(runtime, path.join(site, 'torvane.js'));
  const published = fs.readFileSync(path.join(site, 'sample.html'), 'latin1').replace(/480px/, `${BOX.width}px`).replace(/130px/, `${BOX.height}px`);
  fs.writeFileSync(path.join(site, 'torvane.html'), published, 'latin1');
  fs.writeFileSync(path.join(site, 'standards.html'), '<!doctype html>\n' + published, 'latin1');
  const sets = [0, 1].map((k) => `<div class="set" style="left:${k * CYCLE}px;width:${CYCLE}px">${WIDTHS.map((_, i) => {
    const x = WIDTHS.slice(0, i).reduce((sum, w) => sum + w + 2 * BORDER + GAP, 0);
    return picture(i, `style="position:absolute;top:0;left:${x}px;border:${BORDER}px solid #fff"`);
  }).join('')}</div>`).join('');
  fs.writeFileSync(path.join(site, 'css.html'), page('CSS keyframes strip', `<style>${boxCss}
.set{position:absolute;top:0;height:100%;will-change:transform;animation:strip ${CYCLE / SPEED}ms linear infinite}
@keyframes strip{from{transform:translateX(0)}to{transform:translateX(-${CYCLE}px)}}</style>`,
  `<div class="box">${sets}</div>`));
  for (const [name, peer] of Object.entries(PEERS)) {
    const head = (peer.styles || []).map((file) => `<link rel="stylesheet" href="/node_modules/${file}">`).join('')
      + `<style>${boxCss}${peer.css}</style>` + peer.scripts.map((file) => `<script src="/node_modules/${file}"></script>`).join('');
    fs.writeFileSync(path.join(site, name + '.html'), page(name, head, `${peer.body}<script>${peer.start}</script>`));
  }
}

function scriptBytes(name, site) {
  const files = PEERS[name] ? PEERS[name].scripts.map((file) => path.join(modules, file))
    : name === 'css' ? [] : [path.join(site, 'torvane.js')];
  const all = Buffer.concat(files.map((file) => fs.readFileSync(file)));
  return files.length ? `${all.length} (${zlib.gzipSync(all, { level: 9 }).length} gz)` : '0';
}

/* CPU ns of every task of the processes below (and including) pid, by task; main threads apart. */
function cpuBelow(pid) {
  const parent = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      parent.set(Number(entry), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch { /* gone meanwhile */ }
  }
  const inside = (p) => { for (let q = p; q > 1; q = parent.get(q)) if (q === pid) return true; return false; };
  const tasks = new Map();
  for (const p of parent.keys()) {
    if (!inside(p)) continue;
    let list = [];
    try { list = fs.readdirSync(`/proc/${p}/task`); } catch { continue; }
    let page = false;
    try { page = /--type=renderer|-contentproc\b.*\btab\b/.test(fs.readFileSync(`/proc/${p}/cmdline`, 'utf8').replace(/\0/g, ' ')); } catch { /* gone */ }
    for (const t of list) {
      const key = `${p}/${t}${page && t === String(p) ? '/page' : ''}`;
      try { tasks.set(key, Number(fs.readFileSync(`/proc/${p}/task/${t}/schedstat`, 'utf8').split(' ')[0])); } catch { /* gone */ }
    }
  }
  return tasks;
}

/* CPU ns between two readings of cpuBelow, of tasks that lived through both: all, and the busiest
   main thread of a page process (chromium's renderer, firefox's content process). */
function cpuBetween(before, after) {
  let all = 0;
  let main = 0;
  for (const [task, ns] of after) {
    if (!before.has(task)) continue;
    const delta = ns - before.get(task);
    all += delta;
    if (task.endsWith('/page')) main = Math.max(main, delta);
  }
  return { all, main };
}

async function launch(engine) {
  const home = path.join(work, engine + '-home');
  fs.mkdirSync(home, { recursive: true });
  const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, 'config'), XDG_CACHE_HOME: path.join(home, 'cache') };
  if (engine === 'firefox') {
    return puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true, env,
      extraPrefsFirefox: { 'browser.shell.checkDefaultBrowser': false, 'ui.prefersReducedMotion': 0 } });
  }
  return puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true, env, args: ['--no-sandbox',
    '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update',
    '--disable-sync'] });
}

/* Where the strip stands (px, modulo the cycle) and the widest blank run inside the box beyond the
   configured gap and trailer; runs in the page. */
function where(cycle) {
  const box = document.querySelector('.box, .slidercontainer');
  const r = box.getBoundingClientRect();
  const left = r.left + box.clientLeft;
  const right = left + box.clientWidth;
  const pictures = [...document.images].map((img) => img.getBoundingClientRect()).filter((b) => b.width > 0);
  const first = [...document.images].filter((img) => /p0\.jpg$/.test(img.src)).map((img) => img.getBoundingClientRect().left);
  const shown = pictures.filter((b) => b.right > left && b.left < right).sort((a, b) => a.left - b.left);
  let cursor = left;
  let hole = 0;
  for (const b of shown) {
    hole = Math.max(hole, b.left - cursor);
    cursor = Math.max(cursor, b.right);
  }
  hole = Math.max(hole, right - cursor);
  return { offset: first.length ? ((-(first[0] - left) % cycle) + cycle) % cycle : null, hole, time: performance.now() };
}

async function measure(browser, engine, url, { throttle = 1, prepare } = {}) {
  const tab = await browser.newPage();
  await tab.setViewport({ width: 900, height: 700 });
  const cdp = engine === 'chromium' ? await tab.createCDPSession() : null;
  if (cdp) await cdp.send('Performance.enable');
  await tab.goto(url);
  const deadline = Date.now() + 15000;
  while (!(await tab.evaluate(() => document.images.length > 0 && [...document.images].every((i) => !i.getAttribute('src') || i.complete)))) {
    if (Date.now() > deadline) break;
    await sleep(100);
  }
  await sleep(500);
  let front = null;
  if (prepare === 'out of view') {
    await tab.evaluate(() => {
      const room = document.createElement('div');
      room.style.height = '3000px';
      document.body.append(room);
      window.scrollTo(0, 2000);
    });
  } else if (prepare === 'hidden tab') {
    front = await browser.newPage();
    await front.goto('about:blank');
    await front.bringToFront();
  }
  if (cdp) await cdp.send('Emulation.setCPUThrottlingRate', { rate: throttle });
  await sleep(1000);
  const busy = async () => (cdp ? (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value * 1e9 : 0);
  const pid = browser.process().pid;
  const b0 = await busy();
  const c0 = cpuBelow(pid);
  const t0 = process.hrtime.bigint();
  await sleep(seconds * 1000);
  const c1 = cpuBelow(pid);
  const b1 = await busy();
  const perSecond = (ns) => (ns / 1e6) / (Number(process.hrtime.bigint() - t0) / 1e9);
  const cpu = cpuBetween(c0, c1);
  const result = { main: perSecond(cdp ? b1 - b0 : cpu.main), mainCpu: perSecond(cpu.main), all: perSecond(cpu.all),
    hidden: await tab.evaluate(() => document.hidden) };
  if (!prepare && throttle === 1) {
    // Speed and seam, sampled every 100 ms over 2 s (after the cost, which these reads would add to).
    const samplesTaken = [];
    for (let i = 0; i <= 20; i++) {
      samplesTaken.push(await tab.evaluate(where, CYCLE));
      await sleep(100);
    }
    let travelled = 0;
    for (let i = 1; i < samplesTaken.length; i++) {
      travelled += ((samplesTaken[i].offset - samplesTaken[i - 1].offset) % CYCLE + CYCLE) % CYCLE;
    }
    const elapsed = samplesTaken.at(-1).time - samplesTaken[0].time;
    result.speedError = samplesTaken[0].offset === null ? null : (travelled / elapsed / SPEED - 1) * 100;
    result.hole = Math.max(...samplesTaken.map((s) => s.hole));
  }
  if (front) await front.close();
  await tab.close();
  return result;
}

const median = (values) => {
  const sorted = values.filter((v) => v !== null && v !== undefined).sort((a, b) => a - b);
  return sorted.length ? sorted[Math.floor((sorted.length - 1) / 2)] : null;
};

function printTable(rows, site) {
  const titles = { torvane: 'Torvane, published page', standards: 'Torvane code in a standards page', css: 'CSS keyframes strip',
    swiper: 'Swiper marquee', embla: 'Embla auto-scroll', splide: 'Splide auto-scroll' };
  console.log(`${WIDTHS.length} pictures, cycle ${CYCLE} px, ${SPEED * 1000} px/s, box ${BOX.width} x ${BOX.height}; `
    + `medians of ${runs} run(s) of ${seconds} s; load average ${os.loadavg().map((v) => v.toFixed(2)).join(' ')}`);
  console.log(`| | ${pages.map((p) => titles[p]).join(' | ')} |`);
  console.log(`|---|${pages.map(() => '---').join('|')}|`);
  for (const [label, values] of rows) {
    const cells = pages.map((p) => {
      const m = median(values[p] || []);
      return m === null ? '-' : m.toFixed(label.includes('%') ? 2 : 1);
    });
    console.log(`| ${label} | ${cells.join(' | ')} |`);
  }
  console.log(`| JS bytes (gzipped) | ${pages.map((p) => scriptBytes(p, site)).join(' | ')} |`);
}

const missing = pages.filter((name) => PEERS[name]).flatMap((name) => PEERS[name].scripts)
  .filter((file) => !fs.existsSync(path.join(modules, file)));
if (missing.length) {
  console.error(`peers.mjs: ${missing.join(', ')} missing in ${modules}: run ./test (or npm ci in tests/web) first`);
  fs.rmSync(work, { recursive: true, force: true });
  process.exit(2);
}
const server = await serve(work);
const base = `http://127.0.0.1:${server.address().port}/sample/`;
try {
  publishSample(bin, samples, work);
  const site = path.join(work, 'sample');
  fs.symlinkSync(modules, path.join(work, 'node_modules'));
  writePages(site);
  const serveOnly = process.argv.includes('--serve');
  if (serveOnly) {
    console.log(`serving ${pages.map((name) => base + name + '.html').join(' ')}; Ctrl+C ends`);
    await new Promise((done) => process.once('SIGINT', done));
  }
  const rows = []; // [label, {page: [values per run]}]
  const record = (label, name, value) => {
    let row = rows.find((r) => r[0] === label);
    if (!row) rows.push(row = [label, {}]);
    (row[1][name] = row[1][name] || []).push(value);
  };
  for (let run = 1; run <= runs && !serveOnly; run++) {
    for (const engine of engines) {
      const browser = await launch(engine);
      try {
        const E = engine === 'chromium' ? 'Chromium' : 'Firefox ESR';
        // A browser just started still does work of its own for some seconds, which would be
        // charged to the page measured first: let it settle, and take the pages in another
        // order each run.
        const warm = await browser.newPage();
        await warm.goto(base + 'css.html');
        await sleep(warmUp * 1000);
        await warm.close();
        const shift = (run - 1) % pages.length;
        for (const name of pages.slice(shift).concat(pages.slice(0, shift))) {
          const url = base + name + '.html';
          const moving = await measure(browser, engine, url);
          record(`${E}, main thread ms/s`, name, moving.main);
          if (engine === 'chromium') record(`${E}, main thread CPU ms/s`, name, moving.mainCpu);
          record(`${E}, all processes ms/s`, name, moving.all);
          record(`${E}, speed error %`, name, moving.speedError);
          record(`${E}, widest blank in the box px (${GAP + TRAILER} expected)`, name, moving.hole);
          if (engine === 'chromium') {
            const slow = await measure(browser, engine, url, { throttle: 4 });
            record(`${E} at 4x throttling, main thread ms/s`, name, slow.main);
            record(`${E} at 4x throttling, main thread CPU ms/s`, name, slow.mainCpu);
            record(`${E} at 4x throttling, all processes ms/s`, name, slow.all);
          }
          if (name === 'torvane' || name === 'css') {
            for (const prepare of ['out of view', 'hidden tab']) {
              const r = await measure(browser, engine, url, { prepare });
              record(`${E}, ${prepare}, main thread ms/s`, name, r.main);
              record(`${E}, ${prepare}, all processes ms/s`, name, r.all);
              if (prepare === 'hidden tab' && !r.hidden) console.error(`${E}: the tab behind did not report hidden`);
            }
          }
          process.stderr.write(`run ${run} ${engine} ${name} done\n`);
        }
      } finally {
        await browser.close();
      }
    }
  }
  if (!serveOnly) printTable(rows, site);
  if (process.argv.includes('--raw')) {
    for (const [label, values] of rows) {
      console.log(`${label}: ${pages.map((p) => `${p} ${(values[p] || []).map((v) => v?.toFixed(1)).join(' ')}`).join('; ')}`);
    }
  }
} finally {
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
