// What a slider shows, read from the page, and the check that its box is always covered.

/* Offset, cycle, the box's inner rectangle and every rendered picture (border included), read at
   one animation time (ms of the document timeline) and page clock time. Runs inside the page, in
   any browser engine; state(page, id) runs it through playwright. */
export function readState(id) {
  const element = document.getElementById(id);
  const box = element.querySelector('.slidercontainer');
  const r = box.getBoundingClientRect();
  const c = getComputedStyle(box);
  const inner = {
    left: r.left + parseFloat(c.borderLeftWidth), right: r.right - parseFloat(c.borderRightWidth),
    top: r.top + parseFloat(c.borderTopWidth), bottom: r.bottom - parseFloat(c.borderBottomWidth),
  };
  const images = [...element.querySelectorAll('img')].map((img) => {
    const b = img.getBoundingClientRect();
    return { left: b.left, right: b.right, width: b.width, real: !img.closest('[aria-hidden="true"]') };
  }).filter((b) => b.width > 0);
  return { offset: Number(element.dataset.offset), cycle: Number(element.dataset.cycle), inner, images,
    time: document.timeline.currentTime, now: performance.now() };
}

/* Puts every moving piece of the strip at animation time t (ms); runs inside the page. */
export function setStripTime([id, t]) {
  document.getElementById(id).querySelectorAll('.torvane-piece').forEach((piece) => {
    piece.getAnimations().forEach((animation) => { animation.currentTime = t; });
  });
}

export function state(page, id) {
  return page.evaluate(readState, id);
}

/*
 * Null when the pictures cover the box's width except for the configured spaces: between two
 * pictures only `gap` or `gap + trailer` may be blank, at either edge at most `gap + trailer`.
 * Otherwise a description of the first fault.
 */
export function coverageFault(s, gap, trailer, tolerance = 0.6) {
  const parts = s.images.filter((im) => im.right > s.inner.left + 0.01 && im.left < s.inner.right - 0.01)
    .sort((a, b) => a.left - b.left);
  if (parts.length === 0) return 'no picture in view';
  let cursor = s.inner.left;
  let first = true;
  for (const im of parts) {
    const run = im.left - cursor;
    if (first && run > gap + trailer + tolerance) return `blank ${run.toFixed(2)} px at the left edge`;
    if (!first && run > tolerance && Math.abs(run - gap) > tolerance && Math.abs(run - gap - trailer) > tolerance) {
      return `blank ${run.toFixed(2)} px at x=${cursor.toFixed(2)}`;
    }
    if (!first && run < -tolerance) return `pictures overlap by ${(-run).toFixed(2)} px at x=${im.left.toFixed(2)}`;
    cursor = Math.max(cursor, im.right);
    first = false;
  }
  const tail = s.inner.right - cursor;
  return tail > gap + trailer + tolerance ? `blank ${tail.toFixed(2)} px at the right edge` : null;
}
