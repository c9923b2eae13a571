/*
 * torvane.js - the slider runtime of pages published by Torvane 1.1.
 *
 * How the generated files use it
 *   The page loads torvane.css, this script and torvanecfg.js, in that order, before the slider's
 *   <div>. torvanecfg.js waits until `window.Bmaf` is true, then calls
 *     new BXae(divId, width, height, step, delay, gap, trailer, background, items,
 *              imageBorder, boxBorder)
 *   divId       id of the element to draw into. It usually does not exist yet when BXae runs, so
 *               the slider watches the document (MutationObserver) and draws as soon as it appears.
 *   width       outer width of the box in px. The box never grows wider than the space it is in
 *               (max-width 100 %, on the element and the box), so a narrow screen does not scroll
 *               sideways; the height stays as designed.
 *   height      outer height of the box in px; it already includes 2 x imageBorder and
 *               2 x boxBorder (the box is sized border-box).
 *   step, delay the strip moves `step` px every `delay` ms. Positive step: pictures move to the
 *               left; negative: to the right; 0: the strip stands still. A delay <= 0 or not a
 *               number counts as 10 ms; a speed above 10 px per ms (a huge step or a tiny delay) is
 *               held at 10 px per ms, and one below 1 px in 1000 s counts as standing still. Both
 *               are reported on the console.
 *   gap         px of space after every picture, the last one included, so spacing stays even
 *               across the loop seam.
 *   trailer     extra px after the last picture's gap before the first picture comes round again.
 *               One cycle is therefore sum(picture width + 2 x imageBorder + gap) + trailer.
 *   background  six hex digits without '#'; anything else leaves the box transparent (warning).
 *   items       [[file, link, target, tooltip, width, height, file2x], ...]. width and height are the inner
 *               picture size; file2x (optional) is the picture at twice the size, shown instead on
 *               screens of 1.5 or more device pixels per CSS pixel; class "sliderimages" draws the image border around it.
 *               An eighth entry (optional) lists further formats both pictures exist in, best
 *               first ('avif webp'): the file names with .avif or .webp in place of .jpg. The
 *               browser gets the first of them it reads, else the JPEG. An empty link
 *               gives a plain picture (no <a>); an empty target opens the link in the same frame.
 *               A link opening in another window or a named frame gets rel="noopener".
 *               Without a usable height a picture takes the box's inner picture height. Without a
 *               usable width it stays out of the strip until it has loaded, then joins at its
 *               natural proportions (one re-layout); if it cannot load it stays out. A missing or
 *               empty list gives an empty box.
 *   imageBorder, boxBorder  border widths in px of the classes "sliderimages" and
 *               "slidercontainer"; torvane.css gives their style and colour.
 *
 * Behaviour
 *   - The browser moves the strip: linear, endlessly repeated animations (Web Animations) that
 *     shift it by exactly one cycle, lasting cycle / speed ms. No script runs per frame, speed is
 *     exact at any refresh rate, and every pause keeps the position. A browser without Web
 *     Animations shows the strip standing still.
 *   - The strip is cut into pieces at most 4096 device px wide (2048 px on a screen of 2 device
 *     pixels per CSS pixel), each moved by its own animation, all at one time: browsers move an
 *     element off the main thread only while it is small enough (Firefox: 4096 device px), so a
 *     long cycle would otherwise be redrawn every frame. When the device pixel ratio changes
 *     (browser zoom, another screen) the strip is laid out again where it stands, also choosing
 *     the pictures at twice the size anew.
 *   - A strip of more than LAZY_PIECES pieces (thousands of pictures) keeps only the pieces near
 *     the view in the page: the others are made as they come near and dropped once far behind,
 *     looked at on the same timer as the pictures' loading (below).
 *   - Enough copies of the pictures are laid side by side that the box is always covered; the
 *     number follows the box's real width whenever it changes (ResizeObserver). Widths come from
 *     the configuration, so nothing moves while pictures load.
 *   - The pictures within the first box width load first (at high priority: they are what the
 *     page shows first). Once those are done, each other picture loads only when it comes near
 *     the view: within one box width of it, ahead in the direction of motion or behind it. The
 *     strip's position follows from the time, so a timer looks again each time the strip has
 *     moved half a box width, and a pause, a scroll by hand or a seek looks at once; a picture
 *     that never comes near the view is never fetched. Every picture has its size from the
 *     configuration, so nothing shifts while they load.
 *   - Which further picture format the browser reads is found once per page, the first time a
 *     slider offers one, by decoding a tiny picture of each from a data: URI (no request); the
 *     slider is drawn once that is known (a few ms), so no picture is fetched in two formats.
 *   - The strip rests while it is out of view, inside a hidden parent or in a hidden tab
 *     (IntersectionObserver, visibilitychange), while the pointer is over the box and while one
 *     of its links has keyboard focus (a focused link that is out of view is brought into view).
 *     It goes on where it stopped. A removed element that is put back moves again.
 *   - A pause button, first in the Tab order, stops the motion until pressed again; it shows on
 *     hover or focus and stays shown while the strip is stopped. On a touch screen a tap on the
 *     moving strip stops it (the tap does not follow a link); while stopped, a tap on a link
 *     follows it and a tap elsewhere starts the strip again.
 *   - Copies made for the loop are aria-hidden and their links have tabindex=-1.
 *   - Under prefers-reduced-motion the strip does not move by itself; it becomes a plain row that
 *     can be scrolled by hand (wheel, touch, keyboard). The setting is followed live.
 *   - The element with the given id carries data-offset (px the strip has moved to the left,
 *     within [0, data-cycle)) and data-cycle (px of one cycle). data-offset is brought up to date
 *     whenever the element's `dataset` is read and whenever the strip stops.
 *   - The runtime's own styles are a constructed style sheet (CSSOM), so a page whose
 *     Content-Security-Policy forbids inline styles still shows the slider.
 *   - Every slider on a page runs on its own; calling BXae again for the same element replaces
 *     the slider drawn there.
 */
(function torvaneRuntime() {
  'use strict';

  const DEFAULT_DELAY_MS = 10;
  const MAX_SPEED = 10; // px per ms
  const MIN_SPEED = 1e-6; // px per ms: slower than this counts as standing still
  const MAX_SIZE = 100000; // px: larger picture sizes are held at this
  const MAX_COPIES = 4000;
  const OFF_THREAD_LIMIT = 4096; // device px: widest element Firefox animates off the main thread
  const MIN_PIECE_WIDTH = 512; // px: pieces stay at least this wide at any zoom
  const LAZY_PIECES = 16; // pieces a cycle may have before only those near the view are made
  const TAP_SLOP = 10; // px a touch may travel and still count as a tap
  const STYLE_ID = 'torvane-runtime-style';
  const STYLE_TEXT = [
    '.torvane-box{position:relative;overflow:hidden;box-sizing:border-box;padding:0;margin:0;max-width:100%}',
    '.torvane-view{position:absolute;inset:0;overflow:hidden;scrollbar-width:none}',
    '.torvane-view::-webkit-scrollbar{display:none}',
    '.torvane-track{position:absolute;left:0;top:0;height:100%}',
    '.torvane-set{position:absolute;top:0;height:100%}',
    '.torvane-piece{position:absolute;top:0;height:100%;will-change:transform}',
    '.torvane-item{position:absolute;display:block;margin:0;padding:0;border:0;line-height:0}',
    '.torvane-item:focus-visible{outline:2px solid #1a73e8;outline-offset:-2px}',
    '.torvane-item>img{display:block;box-sizing:content-box;max-width:none;max-height:none;margin:0}',
    '.torvane-toggle{position:absolute;z-index:1;top:4px;right:4px;width:24px;height:24px;',
    'margin:0;padding:4px;border:0;border-radius:4px;background:rgba(0,0,0,.6);color:#fff;',
    'line-height:0;cursor:pointer;opacity:0;transition:opacity .15s}',
    '.torvane-toggle svg{width:16px;height:16px;fill:currentColor;pointer-events:none}',
    '.torvane-toggle .torvane-play,.torvane-stopped .torvane-toggle .torvane-pause{display:none}',
    '.torvane-stopped .torvane-toggle .torvane-play{display:inline}',
    '.torvane-box:hover .torvane-toggle,.torvane-toggle:focus-visible,.torvane-stopped .torvane-toggle{opacity:1}',
    '.torvane-toggle:focus-visible{outline:2px solid #fff;outline-offset:-1px}',
    '.torvane-manual .torvane-toggle{display:none}',
  ].join('');
  const SVG_NS = 'http://www.w3.org/2000/svg';

  /* A 1 x 1 picture in each further format the configuration may offer, best first. */
  const FORMAT_PROBES = [
    ['avif', 'data:image/avif;base64,AAAAHGZ0eXBhdmlmAAAAAGF2aWZtaWYxbWlhZgAAAOptZXRhAAAAAAAAACFoZGxyAAAAAAAAAABwaWN0AAAAAAAAAAAAAAAAAAAAAA5waXRtAAAAAAABAAAAImlsb2MAAAAAREAAAQABAAAAAAEOAAEAAAAAAAAAFwAAACNpaW5mAAAAAAABAAAAFWluZmUCAAAAAAEAAGF2MDEAAAAAamlwcnAAAABLaXBjbwAAABNjb2xybmNseAABAA0ABoAAAAAMYXYxQ4EADAAAAAAUaXNwZQAAAAAAAAABAAAAAQAAABBwaXhpAAAAAAMICAgAAAAXaXBtYQAAAAAAAAABAAEEgYIDhAAAAB9tZGF0EgAKCBgABggIaDQgMgkUAAMMMMQABUg='],
    ['webp', 'data:image/webp;base64,UklGRiQAAABXRUJQVlA4IBgAAABQAQCdASoBAAEAAMASJaQABHQAAP4AAAA='],
  ];
  const FORMAT_PROBE_MS = 1000; // a probe that has not answered by then counts as unreadable

  const sliders = new WeakMap(); // element -> slider drawn in it
  let readableFormats = null; // names of FORMAT_PROBES this browser decodes, once known
  let formatProbe = null;
  const datasetOf = Object.getOwnPropertyDescriptor(HTMLElement.prototype, 'dataset').get;
  let styleInstalled = false;

  function warn(id, message) {
    console.warn('Torvane slider "' + id + '": ' + message);
  }

  function finiteOr(value, fallback) {
    const n = Number(value);
    return value !== null && value !== '' && Number.isFinite(n) ? n : fallback;
  }

  function positiveOr(value, fallback) {
    const n = finiteOr(value, 0);
    return n > 0 ? n : fallback;
  }

  function size(value) {
    return Math.min(positiveOr(value, 0), MAX_SIZE);
  }

  /* Widest piece of the strip, in CSS px, at the present device pixel ratio. */
  function pieceWidth() {
    return Math.max(MIN_PIECE_WIDTH, Math.floor(OFF_THREAD_LIMIT / (window.devicePixelRatio || 1)));
  }

  /* Whether this screen shows the pictures at twice the size: 1.5 device px per CSS px or more. */
  function denseScreen() {
    return (window.devicePixelRatio || 1) >= 1.5;
  }

  /* Finds, once per page, which further formats this browser decodes. */
  function probeFormats() {
    if (!formatProbe) {
      formatProbe = new Promise((settled) => {
        const finish = (names) => {
          if (!readableFormats) readableFormats = names.filter(Boolean);
          settled();
        };
        setTimeout(() => finish([]), FORMAT_PROBE_MS);
        Promise.all(FORMAT_PROBES.map(([name, uri]) => new Promise((done) => {
          const probe = new Image();
          probe.onload = () => done(probe.naturalWidth > 0 ? name : '');
          probe.onerror = () => done('');
          probe.src = uri;
        }))).then(finish);
      });
    }
    return formatProbe;
  }

  /* The file to load for a JPEG name: the same picture in the best further format that both the
     item offers and the browser reads, else the JPEG. */
  function bestFile(file, formats) {
    const format = (readableFormats || []).find((name) => formats.indexOf(name) >= 0);
    return format && /\.jpg$/i.test(file) ? file.replace(/\.jpg$/i, '.' + format) : file;
  }

  function wrap(value, cycle) {
    return cycle > 0 ? ((value % cycle) + cycle) % cycle : 0;
  }

  /* px per ms from step and delay, with absurd values brought back to sane ones. */
  function speedOf(id, step, delay) {
    const ms = positiveOr(delay, DEFAULT_DELAY_MS);
    const px = finiteOr(step, 0);
    let speed = px / ms;
    if (!(Math.abs(speed) <= MAX_SPEED)) { // also catches an overflow to Infinity
      warn(id, 'step ' + step + ' every ' + delay + ' ms is too fast; moving ' + MAX_SPEED + ' px per ms');
      speed = Math.sign(px) * MAX_SPEED;
    } else if (speed !== 0 && Math.abs(speed) < MIN_SPEED) {
      warn(id, 'step ' + step + ' every ' + delay + ' ms is too slow to see; standing still');
      speed = 0;
    }
    return speed;
  }

  function cssColour(id, value) {
    const text = String(value === undefined || value === null ? '' : value).trim();
    if (/^#?[0-9a-f]{6}$/i.test(text)) return text.charAt(0) === '#' ? text : '#' + text;
    if (text !== '') warn(id, 'background colour "' + text + '" is not six hex digits; left transparent');
    return '';
  }

  function readItems(id, list) {
    if (list === undefined || list === null) return [];
    if (!Array.isArray(list)) {
      warn(id, 'the picture list is not an array; the box stays empty');
      return [];
    }
    const items = [];
    list.forEach(function readItem(entry, index) {
      if (!Array.isArray(entry) || !entry[0]) {
        warn(id, 'item ' + (index + 1) + ' is not [file, link, target, tooltip, width, height]; left out');
        return;
      }
      const text = (value) => (value === undefined || value === null ? '' : String(value));
      items.push({
        src: text(entry[0]), link: text(entry[1]), target: text(entry[2]), tip: text(entry[3]),
        width: size(entry[4]), height: size(entry[5]), x: 0, dense: text(entry[6]),
        formats: text(entry[7]).split(/[\s,]+/).filter(Boolean),
      });
    });
    return items;
  }

  /* The runtime's styles: a constructed sheet where the browser has them (no inline style for a
     Content-Security-Policy to refuse), else a <style> element. */
  function installStyle() {
    if (styleInstalled || document.getElementById(STYLE_ID)) return;
    styleInstalled = true;
    try {
      if (Array.isArray(document.adoptedStyleSheets) || 'adoptedStyleSheets' in document) {
        const sheet = new CSSStyleSheet();
        sheet.replaceSync(STYLE_TEXT);
        document.adoptedStyleSheets = Array.from(document.adoptedStyleSheets).concat(sheet);
        return;
      }
    } catch (error) {
      // an older browser: fall through to a style element
    }
    const style = document.createElement('style');
    style.id = STYLE_ID;
    style.textContent = STYLE_TEXT;
    (document.head || document.documentElement).appendChild(style);
  }

  /* Calls found(element) once the element with this id is in the document. */
  function whenElement(id, found) {
    const element = document.getElementById(id);
    if (element) {
      found(element);
      return;
    }
    const observer = new MutationObserver(function lookForElement() {
      const added = document.getElementById(id);
      if (added) {
        observer.disconnect();
        found(added);
      }
    });
    observer.observe(document.documentElement, { childList: true, subtree: true });
    function reportMissing() {
      if (!document.getElementById(id)) warn(id, 'no element with this id on the page yet; waiting for it');
    }
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', reportMissing, { once: true });
    } else {
      reportMissing();
    }
  }

  function makeElement(tag, className) {
    const element = document.createElement(tag);
    if (className) element.className = className;
    return element;
  }

  function makeIcon(className, shapes) {
    const svg = document.createElementNS(SVG_NS, 'svg');
    svg.setAttribute('viewBox', '0 0 16 16');
    svg.setAttribute('aria-hidden', 'true');
    svg.setAttribute('class', className);
    shapes.forEach(([tag, attributes]) => {
      const shape = document.createElementNS(SVG_NS, tag);
      Object.keys(attributes).forEach((name) => shape.setAttribute(name, attributes[name]));
      svg.appendChild(shape);
    });
    return svg;
  }

  /* A target other than the same, parent or top frame opens another browsing context. */
  function opensElsewhere(target) {
    return target !== '' && !/^_(self|parent|top)$/i.test(target);
  }

  class Slider {
    constructor(divId, width, height, step, delay, gap, trailer, background, items,
      imageBorder, boxBorder) {
      this.id = String(divId);
      this.width = size(width);
      this.height = size(height);
      this.speed = speedOf(this.id, step, delay); // px per ms, + = left
      this.gap = Math.min(Math.max(0, finiteOr(gap, 0)), MAX_SIZE);
      this.trailer = Math.min(Math.max(0, finiteOr(trailer, 0)), MAX_SIZE);
      this.background = cssColour(this.id, background);
      this.items = readItems(this.id, items);
      this.imageBorder = Math.min(Math.max(0, finiteOr(imageBorder, 0)), MAX_SIZE);
      this.boxBorder = Math.min(Math.max(0, finiteOr(boxBorder, 0)), MAX_SIZE);
      this.offset = 0; // where the strip stands while there is no running animation
      this.cycle = 0;
      this.animations = []; // one a piece, all at the same time
      this.hovered = false;
      this.focused = false;
      this.stopped = false;
      this.unseen = typeof IntersectionObserver === 'function'; // until the first report
      this.released = false; // the first box width has loaded: others load as they come near
      this.loadTimer = 0;
      this.touch = null;
      this.swallowClick = false;
      this.followMotionSetting = this.followMotionSetting.bind(this);
      this.onVisibility = () => this.update();
      this.onResolution = () => this.followResolution();
      this.motionQuery = window.matchMedia ? window.matchMedia('(prefers-reduced-motion: reduce)') : null;
      whenElement(this.id, (element) => this.mount(element));
    }

    mount(element) {
      if (!readableFormats && this.items.some((item) => item.formats.length)) {
        probeFormats().then(() => this.mount(element));
        return;
      }
      const previous = sliders.get(element);
      if (previous) previous.destroy();
      sliders.set(element, this);
      installStyle();
      this.element = element;
      this.data = datasetOf.call(element);
      this.exposeOffset();
      element.style.maxWidth = '100%';
      this.box = makeElement('div', 'slidercontainer torvane-box');
      if (this.width) this.box.style.width = this.width + 'px';
      if (this.height) this.box.style.height = this.height + 'px';
      if (this.background) this.box.style.backgroundColor = this.background;
      this.button = this.makeButton();
      this.view = makeElement('div', 'torvane-view');
      this.track = makeElement('div', 'torvane-track');
      this.view.appendChild(this.track);
      this.box.append(this.button, this.view);
      element.replaceChildren(this.box);
      this.listen();
      this.layout();
      this.items.filter((item) => !item.width).forEach((item) => this.measure(item));
      if (this.motionQuery) this.motionQuery.addEventListener('change', this.followMotionSetting);
      this.followMotionSetting();
    }

    /* Reading element.dataset first brings data-offset up to date. */
    exposeOffset() {
      const slider = this;
      const data = this.data;
      Object.defineProperty(this.element, 'dataset', {
        configurable: true,
        get() {
          if (sliders.get(this) === slider) slider.writeOffset();
          return data;
        },
      });
    }

    makeButton() {
      const button = makeElement('button', 'torvane-toggle');
      button.type = 'button';
      button.setAttribute('aria-label', 'Pause the slider');
      button.setAttribute('aria-pressed', 'false');
      button.title = 'Pause';
      // Both icons stay in the button; replacing them under the pointer loses its leave event.
      button.append(
        makeIcon('torvane-pause', [['rect', { x: 3, y: 2, width: 3.5, height: 12 }],
          ['rect', { x: 9.5, y: 2, width: 3.5, height: 12 }]]),
        makeIcon('torvane-play', [['path', { d: 'M4 2l10 6-10 6z' }]]));
      button.addEventListener('click', () => this.setStopped(!this.stopped));
      return button;
    }

    setStopped(stopped) {
      this.stopped = stopped;
      this.button.setAttribute('aria-pressed', String(stopped));
      this.button.title = stopped ? 'Play' : 'Pause';
      this.box.classList.toggle('torvane-stopped', stopped);
      this.update();
    }

    listen() {
      const mouse = (event) => event.pointerType !== 'touch';
      this.box.addEventListener('pointerenter', (event) => {
        if (mouse(event)) { this.hovered = true; this.update(); }
      });
      this.box.addEventListener('pointerleave', (event) => {
        if (mouse(event)) { this.hovered = false; this.update(); }
      });
      this.view.addEventListener('pointerdown', (event) => {
        this.swallowClick = false;
        this.touch = event.pointerType === 'touch' && event.isPrimary ? { x: event.clientX, y: event.clientY } : null;
      });
      this.view.addEventListener('pointercancel', () => { this.touch = null; });
      this.view.addEventListener('pointerup', (event) => this.onTap(event));
      this.view.addEventListener('click', (event) => {
        if (!this.swallowClick) return;
        this.swallowClick = false;
        event.preventDefault();
      }, true);
      this.view.addEventListener('focusin', (event) => this.onFocus(event.target));
      this.view.addEventListener('focusout', (event) => {
        if (this.view.contains(event.relatedTarget)) return;
        this.focused = false;
        this.update();
      });
      this.view.addEventListener('scroll', () => this.onScroll());
      document.addEventListener('visibilitychange', this.onVisibility);
      this.watchResolution();
      if (typeof IntersectionObserver === 'function') {
        this.seen = new IntersectionObserver((entries) => {
          this.unseen = !entries[entries.length - 1].isIntersecting;
          this.update();
        });
        this.seen.observe(this.box);
      }
      if (typeof ResizeObserver === 'function') {
        this.resized = new ResizeObserver(() => {
          this.fillBox();
          this.loadNear();
        });
        this.resized.observe(this.box);
      }
    }

    /* Calls onResolution once the device pixel ratio differs from the present one. */
    watchResolution() {
      if (!window.matchMedia) return;
      this.resolutionQuery = window.matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
      this.resolutionQuery.addEventListener('change', this.onResolution, { once: true });
    }

    /* Another device pixel ratio: pieces of another width, perhaps other pictures. */
    followResolution() {
      if (sliders.get(this.element) !== this) return;
      this.watchResolution();
      if (pieceWidth() !== this.pieceWidth || denseScreen() !== this.dense) {
        this.layout();
        this.followMotionSetting();
      }
    }

    /* A touch tap stops a moving strip (without following a link); on a stopped strip a tap on
       a link follows it and a tap elsewhere starts the strip again. */
    onTap(event) {
      const start = this.touch;
      this.touch = null;
      if (!start || event.pointerType !== 'touch' || this.manual() || !this.animates()) return;
      if (Math.abs(event.clientX - start.x) > TAP_SLOP || Math.abs(event.clientY - start.y) > TAP_SLOP) return;
      const onLink = event.target.closest && event.target.closest('a');
      if (!this.stopped) {
        this.swallowClick = Boolean(onLink);
        this.setStopped(true);
      } else if (!onLink) {
        this.setStopped(false);
      }
    }

    /* Lays the pictures of one cycle, then as many copies as cover the box at any offset. */
    layout() {
      const offset = this.currentOffset();
      const pictureHeight = Math.max(0, (this.height || this.box.clientHeight)
        - 2 * this.boxBorder - 2 * this.imageBorder);
      this.innerHeight = pictureHeight + 2 * this.imageBorder;
      this.pictureHeight = pictureHeight;
      let x = 0;
      this.items.forEach((item) => {
        if (!item.width) return;
        item.x = x;
        x += item.width + 2 * this.imageBorder + this.gap;
      });
      this.cycle = x > 0 ? x + this.trailer : 0;
      this.firstSpan = this.span();
      this.pieceWidth = pieceWidth();
      this.dense = denseScreen();
      this.plan = this.planPieces();
      this.lazy = this.plan.length > LAZY_PIECES;
      this.stopAnimations();
      this.track.replaceChildren();
      this.track.style.width = this.cycle + 'px';
      this.fillBox();
      this.materialize();
      this.data.cycle = String(this.cycle);
      this.button.hidden = !this.animates();
      this.startAnimation(offset);
      this.loadInOrder();
    }

    /* Width the copies must cover: the box's real width, or the designed one while it has none. */
    span() {
      return this.box.clientWidth || this.width;
    }

    /* Adds or removes copies so that the strip covers the box's present width. */
    fillBox() {
      if (!this.track) return;
      const wanted = this.cycle > 0 ? Math.min(Math.ceil(this.span() / this.cycle) + 1, MAX_COPIES) : 1;
      const sets = this.track.children;
      if (sets.length === wanted) return;
      while (sets.length > wanted) this.track.lastElementChild.remove();
      const manual = this.manual();
      while (sets.length < wanted) {
        const set = this.makeSet(sets.length);
        set.hidden = manual && sets.length > 0;
        this.track.appendChild(set);
      }
      // New pieces move with the others from where the strip stands.
      if (this.animations.length) this.startAnimation(this.currentOffset());
    }

    /* The pieces of one cycle: at most pieceWidth px each (a wider picture is a piece of its
       own), as { start, width, items }, in strip order. */
    planPieces() {
      const plan = [];
      let piece = null;
      this.items.forEach((item, index) => {
        if (!item.width) return;
        const outer = item.width + 2 * this.imageBorder;
        if (!piece || item.x + outer - piece.start > this.pieceWidth) {
          piece = { start: item.x, width: 0, items: [] };
          plan.push(piece);
        }
        piece.width = item.x + outer - piece.start;
        piece.items.push(index);
      });
      return plan;
    }

    /* Set k of the strip: the real pictures (k = 0) or a copy for the loop. A lazy strip gets its
       pieces as they come near the view (materialize). */
    makeSet(k) {
      const set = makeElement('div', 'torvane-set');
      set.style.left = k * this.cycle + 'px';
      set.style.width = this.cycle + 'px';
      if (k > 0) set.setAttribute('aria-hidden', 'true');
      set.pieces = new Map(); // plan index -> piece element
      if (!this.lazy) this.plan.forEach((piece, n) => set.appendChild(this.makePiece(set, k, n)));
      return set;
    }

    makePiece(set, k, n) {
      const piece = this.plan[n];
      const element = makeElement('div', 'torvane-piece');
      element.style.left = piece.start + 'px';
      element.style.width = piece.width + 'px';
      piece.items.forEach((index) => {
        const item = this.items[index];
        const height = item.height || this.pictureHeight;
        const wrapper = this.makeItem(item, height, (this.innerHeight - height - 2 * this.imageBorder) / 2, piece.start);
        wrapper.dataset.item = String(index);
        if (k > 0 && item.link) wrapper.tabIndex = -1;
        element.appendChild(wrapper);
      });
      set.pieces.set(n, element);
      return element;
    }

    /* A lazy strip: makes the pieces within one box width of the view (before and after it, and
       where the loop brings the view next) and drops those more than three box widths away. The
       first piece stays: its animation keeps the strip's time. */
    materialize() {
      if (!this.lazy || !this.track || this.cycle <= 0) return;
      const span = this.span();
      const offset = this.currentOffset();
      const reference = this.animations[0] || null;
      const added = [];
      Array.from(this.track.children).forEach((set, k) => {
        const near = (n, margin) => [-this.cycle, 0, this.cycle].some((shift) => {
          const start = k * this.cycle + this.plan[n].start + shift;
          return start < offset + (1 + margin) * span && start + this.plan[n].width > offset - margin * span;
        });
        set.pieces.forEach((element, n) => {
          if ((k === 0 && n === 0) || near(n, 3)) return;
          set.pieces.delete(n);
          if (element.torvaneAnimation) {
            element.torvaneAnimation.cancel();
            this.animations = this.animations.filter((animation) => animation !== element.torvaneAnimation);
          }
          element.remove();
        });
        this.plan.forEach((piece, n) => {
          if (set.pieces.has(n) || !((k === 0 && n === 0) || near(n, 1))) return;
          const element = this.makePiece(set, k, n);
          set.appendChild(element);
          added.push(element);
        });
      });
      if (!added.length || !this.keyframes) return;
      const time = reference ? reference.currentTime : wrap(this.offset / this.speed, this.cycle / Math.abs(this.speed));
      const running = Boolean(reference && reference.playState === 'running');
      added.forEach((element) => {
        const animation = element.animate(this.keyframes, this.timing);
        animation.pause();
        animation.currentTime = time;
        element.torvaneAnimation = animation;
        this.animations.push(animation);
        if (running) {
          animation.play();
          animation.ready.then(() => { animation.currentTime = reference.currentTime; }, () => null);
        }
      });
    }

    makeItem(item, height, top, pieceStart) {
      const wrapper = makeElement(item.link ? 'a' : 'span', 'torvane-item');
      if (item.link) {
        wrapper.href = item.link;
        if (item.target) wrapper.target = item.target;
        if (opensElsewhere(item.target)) wrapper.rel = 'noopener';
        if (!item.tip) wrapper.setAttribute('aria-label', item.link);
      }
      if (item.tip) wrapper.title = item.tip;
      wrapper.style.left = item.x - pieceStart + 'px';
      wrapper.style.top = top + 'px';
      const image = makeElement('img', 'sliderimages');
      image.decoding = 'async';
      /* A seventh entry names the picture at twice the height, for screens of 1.5 or more device
         pixels per CSS pixel. Chosen here rather than by srcset, whose choice differs between
         browsers, so that every browser draws the line at 1.5 and the loading order stays. */
      const src = bestFile(item.dense && this.dense ? item.dense : item.src, item.formats);
      if (item.near || item.x < this.firstSpan) {
        image.src = src;
        if (!this.released && item.x < this.firstSpan) image.fetchPriority = 'high';
      } else {
        image.dataset.src = src;
      }
      image.alt = item.tip;
      if (item.tip) image.title = item.tip;
      image.width = item.width;
      image.height = height;
      image.style.width = item.width + 'px';
      image.style.height = height + 'px';
      image.draggable = false;
      wrapper.appendChild(image);
      return wrapper;
    }

    /* The pictures in the first box width load first; the others as they come near the view. */
    loadInOrder() {
      if (this.released) {
        this.loadNear();
        return;
      }
      const first = Array.from(this.track.querySelectorAll('img[src]'));
      const waits = first.map((image) => (image.complete ? Promise.resolve() : new Promise((done) => {
        image.addEventListener('load', done, { once: true });
        image.addEventListener('error', done, { once: true });
      })));
      Promise.all(waits).then(() => {
        if (sliders.get(this.element) !== this || this.released) return;
        this.released = true;
        this.loadNear();
      });
    }

    /* Loads every picture within one box width of the view, and while the strip moves looks again
       once it has moved half a box width. */
    loadNear() {
      clearTimeout(this.loadTimer);
      if (!this.track || this.cycle <= 0) return;
      this.materialize();
      const span = this.span();
      const again = () => {
        this.loadTimer = setTimeout(() => this.loadNear(), span / 2 / Math.abs(this.speed));
      };
      if (!this.released) {
        if (this.lazy && this.moving()) again();
        return;
      }
      const offset = this.currentOffset();
      const from = offset - span;
      const to = offset + 2 * span;
      let waiting = false;
      this.items.forEach((item, index) => {
        if (item.near || !item.width) return;
        const outer = item.width + 2 * this.imageBorder;
        // The first copy of the picture at or after `from`, in strip coordinates.
        const left = from + wrap(item.x - from, this.cycle);
        if (left > to && left + outer - this.cycle < from) {
          waiting = true;
          return;
        }
        item.near = true;
        this.track.querySelectorAll('[data-item="' + index + '"] img[data-src]').forEach((image) => {
          image.src = image.dataset.src;
          image.removeAttribute('data-src');
        });
      });
      if ((waiting || this.lazy) && this.moving()) again();
    }

    /* An item without a width joins the strip once its picture has loaded. */
    measure(item) {
      const probe = new Image();
      probe.onload = () => {
        const height = item.height || Math.max(1, (this.height || this.box.clientHeight)
          - 2 * this.boxBorder - 2 * this.imageBorder);
        item.width = probe.naturalHeight ? Math.min(Math.round(probe.naturalWidth * height / probe.naturalHeight), MAX_SIZE) : 0;
        if (item.width && sliders.get(this.element) === this) {
          this.layout();
          this.followMotionSetting();
        }
      };
      probe.onerror = () => warn(this.id, 'picture "' + item.src + '" has no size and could not be loaded; left out');
      probe.src = bestFile(item.src, item.formats);
    }

    manual() {
      return Boolean(this.motionQuery && this.motionQuery.matches);
    }

    /* Whether this slider moves at all when nothing holds it. */
    animates() {
      return this.cycle > 0 && this.speed !== 0;
    }

    stopAnimations() {
      this.animations.forEach((animation) => animation.cancel());
      this.animations = [];
      this.keyframes = null;
    }

    /* Every piece gets the same animation, repeated for ever, that shifts it by one cycle; all
       start held at offset. */
    startAnimation(offset) {
      this.stopAnimations();
      this.offset = wrap(offset, this.cycle);
      if (!this.animates() || this.manual() || typeof this.track.animate !== 'function') {
        this.writeOffset();
        return;
      }
      const keyframes = [{ transform: 'translateX(0px)' }, { transform: 'translateX(' + (-this.cycle) + 'px)' }];
      const timing = {
        duration: this.cycle / Math.abs(this.speed), iterations: Infinity, easing: 'linear',
        direction: this.speed > 0 ? 'normal' : 'reverse',
      };
      this.animations = Array.from(this.track.querySelectorAll('.torvane-piece'), (piece) => {
        const animation = piece.animate(keyframes, timing);
        animation.pause();
        piece.torvaneAnimation = animation;
        return animation;
      });
      this.keyframes = keyframes; // for the pieces of a lazy strip made later
      this.timing = timing;
      this.seek(this.offset);
      this.update();
    }

    /* Moves the strip to offset (px to the left) without changing whether it runs. */
    seek(offset) {
      this.offset = wrap(offset, this.cycle);
      if (this.animations.length) {
        const time = wrap(this.offset / this.speed, this.cycle / Math.abs(this.speed));
        this.animations.forEach((animation) => { animation.currentTime = time; });
      }
      this.writeOffset();
      this.loadNear();
    }

    currentOffset() {
      if (this.view && this.manual() && this.box.classList.contains('torvane-manual')) return this.view.scrollLeft;
      const time = this.animations.length ? this.animations[0].currentTime : null;
      if (time === null || time === undefined) return this.offset;
      return wrap(this.speed * Number(time), this.cycle);
    }

    writeOffset() {
      this.data.offset = String(Math.round(this.currentOffset() * 100) / 100);
    }

    /* Reduced motion: a plain row scrolled by hand; otherwise the looping strip. */
    followMotionSetting() {
      const manual = this.manual();
      Array.from(this.track.children).forEach((set, k) => { set.hidden = manual && k > 0; });
      if (manual !== this.box.classList.contains('torvane-manual')) {
        if (manual) {
          const offset = this.currentOffset();
          this.stopAnimations();
          this.box.classList.add('torvane-manual');
          this.view.style.overflowX = 'auto';
          this.view.scrollLeft = offset;
          this.offset = this.view.scrollLeft;
        } else {
          const offset = wrap(this.view.scrollLeft, this.cycle);
          this.box.classList.remove('torvane-manual');
          this.view.style.overflowX = 'hidden';
          this.view.scrollLeft = 0;
          this.startAnimation(offset);
        }
      }
      this.update();
    }

    onScroll() {
      if (this.manual()) {
        this.offset = this.view.scrollLeft;
        this.writeOffset();
        this.loadNear();
      } else if (this.view.scrollLeft !== 0) {
        // The browser scrolled the clipped view (e.g. to show a focused link): fold it into the offset.
        const scrolled = this.view.scrollLeft;
        this.view.scrollLeft = 0;
        this.seek(this.currentOffset() + scrolled);
      }
    }

    onFocus(target) {
      const link = target.closest('.torvane-item');
      let keyboard = true;
      try { keyboard = target.matches(':focus-visible'); } catch (error) { keyboard = true; }
      if (!link || !keyboard) return;
      this.focused = true;
      this.update();
      if (this.manual()) return;
      this.view.scrollLeft = 0; // the browser may already have scrolled the clipped view to the link
      const item = this.items[Number(link.dataset.item)];
      if (!item) return;
      const offset = this.currentOffset();
      const outer = item.width + 2 * this.imageBorder;
      const visible = this.view.clientWidth;
      const left = item.x - offset;
      if (left < 0 || outer > visible) this.seek(item.x);
      else if (left + outer > visible) this.seek(item.x + outer - visible);
    }

    moving() {
      return this.animates() && !this.stopped && !this.hovered && !this.focused && !this.manual()
        && !this.unseen && !document.hidden && this.element.isConnected;
    }

    /* Runs or holds the animations; held ones keep their place. Started in one go, they start in
       the same frame; should one start later it is brought back in step with the first. */
    update() {
      this.loadNear();
      const animations = this.animations;
      if (!animations.length) return;
      const moving = this.moving();
      if (moving && animations[0].playState !== 'running') {
        animations.forEach((animation) => animation.play());
        Promise.all(animations.map((animation) => animation.ready)).then(() => {
          const time = animations[0].currentTime;
          animations.forEach((animation) => {
            if (animation.currentTime !== time) animation.currentTime = time;
          });
        }, () => null);
      } else if (!moving && animations[0].playState === 'running') {
        animations.forEach((animation) => animation.pause());
        this.writeOffset();
      }
    }

    destroy() {
      clearTimeout(this.loadTimer);
      this.stopAnimations();
      this.cycle = 0;
      if (this.seen) this.seen.disconnect();
      if (this.resized) this.resized.disconnect();
      document.removeEventListener('visibilitychange', this.onVisibility);
      if (this.resolutionQuery) this.resolutionQuery.removeEventListener('change', this.onResolution);
      if (this.motionQuery) this.motionQuery.removeEventListener('change', this.followMotionSetting);
      if (this.element) delete this.element.dataset;
    }
  }

  window.BXae = Slider;
  window.Bmaf = true;
})();
