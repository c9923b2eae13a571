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
 *   width       outer width of the box in px.
 *   height      outer height of the box in px; it already includes 2 x imageBorder and
 *               2 x boxBorder (the box is sized border-box).
 *   step, delay the strip moves `step` px every `delay` ms. Position is computed from elapsed time
 *               on every animation frame, so speed is the same at any refresh rate and motion is
 *               smooth (sub-pixel CSS transforms). Positive step: pictures move to the left;
 *               negative: to the right; 0: the strip stands still. A delay <= 0 or not a number
 *               counts as 10 ms.
 *   gap         px of space after every picture, the last one included, so spacing stays even
 *               across the loop seam.
 *   trailer     extra px after the last picture's gap before the first picture comes round again.
 *               One cycle is therefore sum(picture width + 2 x imageBorder + gap) + trailer.
 *   background  six hex digits without '#'; anything else leaves the box transparent (warning).
 *   items       [[file, link, target, tooltip, width, height], ...]. width and height are the inner
 *               picture size; class "sliderimages" draws the image border around it. An empty link
 *               gives a plain picture (no <a>); an empty target opens the link in the same frame.
 *               Without a usable height a picture takes the box's inner picture height. Without a
 *               usable width it stays out of the strip until it has loaded, then joins at its
 *               natural proportions (one re-layout); if it cannot load it stays out. A missing or
 *               empty list gives an empty box.
 *   imageBorder, boxBorder  border widths in px of the classes "sliderimages" and
 *               "slidercontainer"; torvane.css gives their style and colour.
 *
 * Behaviour
 *   - Enough copies of the pictures are laid side by side that the box is always covered; the
 *     offset wraps modulo one cycle, so the seam never jumps. Widths come from the configuration,
 *     so nothing moves while pictures load.
 *   - The strip pauses while the pointer is over the box and while one of its links has keyboard
 *     focus (a focused link that is out of view is brought into view). A pause button, first in
 *     the Tab order and shown on hover or focus, stops the motion until pressed again.
 *   - Copies made for the loop are aria-hidden and their links have tabindex=-1.
 *   - Under prefers-reduced-motion the strip does not move by itself; it becomes a plain row that
 *     can be scrolled by hand (wheel, touch, keyboard). The setting is followed live.
 *   - The element with the given id carries data-offset (px the strip has moved to the left,
 *     within [0, data-cycle)) and data-cycle (px of one cycle).
 *   - Every slider on a page runs on its own; calling BXae again for the same element replaces
 *     the slider drawn there.
 */
(function torvaneRuntime() {
  'use strict';

  const DEFAULT_DELAY_MS = 10;
  const MAX_FRAME_MS = 250; // longer gaps between frames (hidden tab) do not jump the strip
  const MAX_COPIES = 4000;
  const STYLE_ID = 'torvane-runtime-style';
  const STYLE_TEXT = [
    '.torvane-box{position:relative;overflow:hidden;box-sizing:border-box;padding:0;margin:0}',
    '.torvane-view{position:absolute;inset:0;overflow:hidden;scrollbar-width:none}',
    '.torvane-view::-webkit-scrollbar{display:none}',
    '.torvane-track{position:absolute;left:0;top:0;height:100%;will-change:transform}',
    '.torvane-set{position:absolute;top:0;height:100%}',
    '.torvane-item{position:absolute;display:block;margin:0;padding:0;border:0;line-height:0}',
    '.torvane-item:focus-visible{outline:2px solid #1a73e8;outline-offset:-2px}',
    '.torvane-item>img{display:block;box-sizing:content-box;max-width:none;max-height:none;margin:0}',
    '.torvane-toggle{position:absolute;z-index:1;top:4px;right:4px;width:24px;height:24px;',
    'margin:0;padding:4px;border:0;border-radius:4px;background:rgba(0,0,0,.6);color:#fff;',
    'line-height:0;cursor:pointer;opacity:0;transition:opacity .15s}',
    '.torvane-toggle svg{width:16px;height:16px;fill:currentColor}',
    '.torvane-box:hover .torvane-toggle,.torvane-toggle:focus-visible{opacity:1}',
    '.torvane-toggle:focus-visible{outline:2px solid #fff;outline-offset:-1px}',
    '.torvane-manual .torvane-toggle{display:none}',
  ].join('');
  const PAUSE_ICON = '<svg viewBox="0 0 16 16" aria-hidden="true"><rect x="3" y="2" width="3.5" '
    + 'height="12"/><rect x="9.5" y="2" width="3.5" height="12"/></svg>';
  const PLAY_ICON = '<svg viewBox="0 0 16 16" aria-hidden="true"><path d="M4 2l10 6-10 6z"/></svg>';

  const sliders = new WeakMap(); // element -> slider drawn in it

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

  function wrap(value, cycle) {
    return cycle > 0 ? ((value % cycle) + cycle) % cycle : 0;
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
        width: positiveOr(entry[4], 0), height: positiveOr(entry[5], 0), x: 0,
      });
    });
    return items;
  }

  function injectStyle() {
    if (document.getElementById(STYLE_ID)) return;
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

  class Slider {
    constructor(divId, width, height, step, delay, gap, trailer, background, items,
      imageBorder, boxBorder) {
      this.id = String(divId);
      this.width = positiveOr(width, 0);
      this.height = positiveOr(height, 0);
      this.speed = finiteOr(step, 0) / positiveOr(delay, DEFAULT_DELAY_MS); // px per ms, + = left
      this.gap = Math.max(0, finiteOr(gap, 0));
      this.trailer = Math.max(0, finiteOr(trailer, 0));
      this.background = cssColour(this.id, background);
      this.items = readItems(this.id, items);
      this.imageBorder = Math.max(0, finiteOr(imageBorder, 0));
      this.boxBorder = Math.max(0, finiteOr(boxBorder, 0));
      this.offset = 0;
      this.cycle = 0;
      this.hovered = false;
      this.focused = false;
      this.stopped = false;
      this.frame = 0;
      this.lastTime = 0;
      this.tick = this.tick.bind(this);
      this.followMotionSetting = this.followMotionSetting.bind(this);
      this.motionQuery = window.matchMedia ? window.matchMedia('(prefers-reduced-motion: reduce)') : null;
      whenElement(this.id, (element) => this.mount(element));
    }

    mount(element) {
      const previous = sliders.get(element);
      if (previous) previous.destroy();
      sliders.set(element, this);
      injectStyle();
      this.element = element;
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

    makeButton() {
      const button = makeElement('button', 'torvane-toggle');
      button.type = 'button';
      button.setAttribute('aria-label', 'Pause the slider');
      button.setAttribute('aria-pressed', 'false');
      button.title = 'Pause';
      button.innerHTML = PAUSE_ICON;
      button.addEventListener('click', () => {
        this.stopped = !this.stopped;
        button.setAttribute('aria-pressed', String(this.stopped));
        button.title = this.stopped ? 'Play' : 'Pause';
        button.innerHTML = this.stopped ? PLAY_ICON : PAUSE_ICON;
        this.update();
      });
      return button;
    }

    listen() {
      this.box.addEventListener('pointerenter', () => { this.hovered = true; this.update(); });
      this.box.addEventListener('pointerleave', () => { this.hovered = false; this.update(); });
      this.view.addEventListener('focusin', (event) => this.onFocus(event.target));
      this.view.addEventListener('focusout', (event) => {
        if (this.view.contains(event.relatedTarget)) return;
        this.focused = false;
        this.update();
      });
      this.view.addEventListener('scroll', () => this.onScroll());
    }

    /* Lays the pictures of one cycle, then as many copies as cover the box at any offset. */
    layout() {
      const pictureHeight = Math.max(0, (this.height || this.box.clientHeight)
        - 2 * this.boxBorder - 2 * this.imageBorder);
      const innerHeight = pictureHeight + 2 * this.imageBorder;
      const set = makeElement('div', 'torvane-set');
      set.style.left = '0px';
      let x = 0;
      this.items.forEach((item, index) => {
        if (!item.width) return;
        const height = item.height || pictureHeight;
        item.x = x;
        const element = this.makeItem(item, height, (innerHeight - height - 2 * this.imageBorder) / 2);
        element.dataset.item = String(index);
        set.appendChild(element);
        x += item.width + 2 * this.imageBorder + this.gap;
      });
      this.cycle = x > 0 ? x + this.trailer : 0;
      set.style.width = this.cycle + 'px';
      const span = Math.max(this.width, this.box.clientWidth);
      const copies = this.cycle > 0 ? Math.min(Math.ceil(span / this.cycle) + 1, MAX_COPIES) : 1;
      const sets = [set];
      for (let k = 1; k < copies; k++) {
        const copy = set.cloneNode(true);
        copy.style.left = k * this.cycle + 'px';
        copy.setAttribute('aria-hidden', 'true');
        copy.querySelectorAll('a').forEach((link) => link.setAttribute('tabindex', '-1'));
        sets.push(copy);
      }
      this.track.replaceChildren(...sets);
      this.track.style.width = this.cycle + 'px';
      this.element.dataset.cycle = String(this.cycle);
      this.button.hidden = this.cycle === 0 || this.speed === 0;
      this.offset = wrap(this.offset, this.cycle);
      this.render();
    }

    makeItem(item, height, top) {
      const wrapper = makeElement(item.link ? 'a' : 'span', 'torvane-item');
      if (item.link) {
        wrapper.href = item.link;
        if (item.target) wrapper.target = item.target;
        if (!item.tip) wrapper.setAttribute('aria-label', item.link);
      }
      if (item.tip) wrapper.title = item.tip;
      wrapper.style.left = item.x + 'px';
      wrapper.style.top = top + 'px';
      const image = makeElement('img', 'sliderimages');
      image.src = item.src;
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

    /* An item without a width joins the strip once its picture has loaded. */
    measure(item) {
      const probe = new Image();
      probe.onload = () => {
        const height = item.height || Math.max(1, (this.height || this.box.clientHeight)
          - 2 * this.boxBorder - 2 * this.imageBorder);
        item.width = probe.naturalHeight ? Math.round(probe.naturalWidth * height / probe.naturalHeight) : 0;
        if (item.width && sliders.get(this.element) === this) {
          this.layout();
          this.followMotionSetting();
        }
      };
      probe.onerror = () => warn(this.id, 'picture "' + item.src + '" has no size and could not be loaded; left out');
      probe.src = item.src;
    }

    manual() {
      return Boolean(this.motionQuery && this.motionQuery.matches);
    }

    /* Reduced motion: a plain row scrolled by hand; otherwise the looping strip. */
    followMotionSetting() {
      const manual = this.manual();
      Array.from(this.track.children).forEach((set, k) => { set.hidden = manual && k > 0; });
      if (manual !== this.box.classList.contains('torvane-manual')) {
        this.box.classList.toggle('torvane-manual', manual);
        this.view.style.overflowX = manual ? 'auto' : 'hidden';
        if (manual) {
          const offset = this.offset;
          this.track.style.transform = 'none';
          this.view.scrollLeft = offset;
          this.offset = this.view.scrollLeft;
        } else {
          this.offset = wrap(this.view.scrollLeft, this.cycle);
          this.view.scrollLeft = 0;
        }
      }
      this.render();
      this.update();
    }

    onScroll() {
      if (this.manual()) {
        this.offset = this.view.scrollLeft;
      } else if (this.view.scrollLeft !== 0) {
        // The browser scrolled the clipped view (e.g. to show a focused link): fold it into the offset.
        this.offset = wrap(this.offset + this.view.scrollLeft, this.cycle);
        this.view.scrollLeft = 0;
      }
      this.render();
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
      const outer = item.width + 2 * this.imageBorder;
      const visible = this.view.clientWidth;
      const left = item.x - this.offset;
      if (left < 0 || outer > visible) this.offset = item.x;
      else if (left + outer > visible) this.offset = item.x + outer - visible;
      this.render();
    }

    render() {
      if (!this.manual()) this.track.style.transform = 'translate3d(' + (-this.offset) + 'px,0,0)';
      this.element.dataset.offset = String(Math.round(this.offset * 100) / 100);
    }

    moving() {
      return this.cycle > 0 && this.speed !== 0 && !this.stopped && !this.hovered && !this.focused
        && !this.manual() && this.element.isConnected;
    }

    update() {
      const moving = this.moving();
      if (moving && !this.frame) {
        this.lastTime = performance.now();
        this.frame = requestAnimationFrame(this.tick);
      } else if (!moving && this.frame) {
        cancelAnimationFrame(this.frame);
        this.frame = 0;
      }
    }

    tick(time) {
      this.frame = 0;
      if (!this.moving()) return;
      const elapsed = Math.min(Math.max(time - this.lastTime, 0), MAX_FRAME_MS);
      this.lastTime = Math.max(this.lastTime, time);
      this.offset = wrap(this.offset + this.speed * elapsed, this.cycle);
      this.render();
      this.frame = requestAnimationFrame(this.tick);
    }

    destroy() {
      if (this.frame) cancelAnimationFrame(this.frame);
      this.frame = 0;
      this.cycle = 0;
      if (this.motionQuery) this.motionQuery.removeEventListener('change', this.followMotionSetting);
    }
  }

  window.BXae = Slider;
  window.Bmaf = true;
})();
