// Draws the items of a LaTeX picture (read by picture.js) as SVG, and keeps
// the drawing up to date: a new picture changes only the elements whose
// items changed, texts keep their typeset nodes and only move, and a big
// picture is drawn in slices so that the page goes on answering.
//
// The lines are drawn in picture units inside one group whose transform
// puts the picture's box at the origin and sets the zoom; the texts are
// HTML (typeset by KaTeX) in one layer over the svg, laid out at zoom 1
// and scaled. So a change of the picture's box or of the zoom moves two
// transforms and nothing else.
//
// Lines and arrow heads follow the pict2e package: any slope, the length of a
// sloped line measured along x, arrow heads of width 3.2 line widths + 1.5pt
// and length 1.52 head widths. \dashbox lays its dashes out as LaTeX does.
import { STRIDE, LINE, VECTOR, CIRCLE, DISK, RECT, DASHRECT, TEXT, SP_PER_PT, dashes } from './picture.js';
import { XHTML, TEXT_PT, prepareTexts, textEntry, trimTexts, placeText } from './texts.js';

const SVG = 'http://www.w3.org/2000/svg';
export const PX_PER_PT = 96 / 72.27;
const PAD = 6;           // px of room around everything drawn
const SLICE_MS = 12;     // the longest stretch of drawing between two breaks
// The most elements added to the page between two frames: the page styles,
// lays out and paints what was added in the frame after, and a text
// typeset by KaTeX is a few dozen elements.
const FRAME_NODES = 1200;
// A picture of more items than this is drawn only where it is in view (and
// a view's size around that), and drawn further as the view moves.
export const CULL_MIN = 20000;

const TAG = { [LINE]: 'line', [VECTOR]: 'path', [CIRCLE]: 'circle', [DISK]: 'circle', [RECT]: 'rect',
  [DASHRECT]: 'path' };

const r5 = (v) => Math.round(v * 100000) / 100000;
const r3 = (v) => Math.round(v * 1000) / 1000;

function el(doc, name, attrs = {}) {
  const e = doc.createElementNS(SVG, name);
  for (const k in attrs) e.setAttribute(k, String(attrs[k]));
  return e;
}

// The attributes of the element that draws item o of items, in picture
// units less (ox, oy), the offset of the group it is drawn in; unitPt is
// the picture unit in pt.
function shape(items, o, unitPt, ox = 0, oy = 0) {
  const kind = items[o];
  const lw = items[o + 2] / unitPt;
  const x = items[o + 3] - ox, y = items[o + 4] - oy;
  if (kind === LINE) {
    return { x1: r5(x), y1: r5(y), x2: r5(items[o + 5] - ox), y2: r5(items[o + 6] - oy), 'stroke-width': r5(lw) };
  }
  if (kind === VECTOR) {
    // pict2e's head: width 3.2 lw + 1.5pt, length 1.52 widths, slightly
    // concave sides; the shaft, as wide as the line, stops where the head
    // begins. One filled outline.
    const x2 = items[o + 5] - ox, y2 = items[o + 6] - oy;
    const len = Math.hypot(x2 - x, y2 - y);
    if (!(len > 0)) return { d: 'M0 0' };
    const aw = (3.2 * items[o + 2] + 1.5) / unitPt;
    const al = 1.52 * aw;
    const ux = (x2 - x) / len, uy = (y2 - y) / len;
    const nx = -uy, ny = ux;
    const back = Math.min(al, len);
    const bx = x2 - ux * back, by = y2 - uy * back;
    const mx = x2 - ux * al / 2, my = y2 - uy * al / 2;
    const p = (px, py) => `${r5(px)} ${r5(py)}`;
    let d = `M${p(x2, y2)}Q${p(mx + nx * aw / 8, my + ny * aw / 8)} ${p(bx + nx * aw / 2, by + ny * aw / 2)}` +
      `L${p(bx - nx * aw / 2, by - ny * aw / 2)}Q${p(mx - nx * aw / 8, my - ny * aw / 8)} ${p(x2, y2)}Z`;
    if (len > al) {
      const h = lw / 2;
      const ex = bx + ux * 0.5 / unitPt / PX_PER_PT, ey = by + uy * 0.5 / unitPt / PX_PER_PT;
      d += `M${p(x + nx * h, y + ny * h)}L${p(ex + nx * h, ey + ny * h)}L${p(ex - nx * h, ey - ny * h)}` +
        `L${p(x - nx * h, y - ny * h)}Z`;
    }
    return { d, fill: '#000', stroke: 'none' };
  }
  if (kind === CIRCLE) return { cx: r5(x), cy: r5(y), r: r5(Math.abs(items[o + 5])), 'stroke-width': r5(lw) };
  if (kind === DISK) return { cx: r5(x), cy: r5(y), r: r5(Math.abs(items[o + 5])), fill: '#000', stroke: 'none' };
  if (kind === RECT) {
    // LaTeX's \frame puts its rules just outside the box; a negative size
    // lays the box out the other way from its point.
    const w = items[o + 5], h = items[o + 6];
    const left = Math.min(x, x + w), bottom = Math.min(y, y + h);
    return { x: r5(left - lw / 2), y: r5(bottom - lw / 2), width: r5(Math.abs(w) + lw),
      height: r5(Math.abs(h) + lw), 'stroke-width': r5(lw) };
  }
  if (kind === DASHRECT) {
    // Dashes computed in sp, as LaTeX computes them, then drawn in units.
    const w = items[o + 5], h = items[o + 6];
    const wsp = items[o + 8], hsp = items[o + 9], dsp = items[o + 10];
    const u = unitPt * SP_PER_PT;   // sp per unit
    let d = '';
    for (const [a, b] of dashes(wsp, dsp)) {
      if (b <= a) continue;
      for (const yy of [y, y + h]) d += `M${r5(x + a / u)} ${r5(yy)}H${r5(x + b / u)}`;
    }
    for (const [a, b] of dashes(hsp, dsp)) {
      if (b <= a) continue;
      for (const xx of [x, x + w]) d += `M${r5(xx)} ${r5(y + a / u)}V${r5(y + b / u)}`;
    }
    return { d: d || 'M0 0', 'stroke-width': r5(lw) };
  }
  return null;
}

// Whether item o reaches into the region (picture units).
function near(items, o, r) {
  const kind = items[o];
  let x0 = items[o + 3], y0 = items[o + 4], x1 = x0, y1 = y0;
  if (kind === LINE || kind === VECTOR) {
    x1 = items[o + 5]; y1 = items[o + 6];
    if (x1 < x0) [x0, x1] = [x1, x0];
    if (y1 < y0) [y0, y1] = [y1, y0];
  } else if (kind === CIRCLE || kind === DISK) {
    const rr = Math.abs(items[o + 5]);
    x0 -= rr; x1 += rr; y0 -= rr; y1 += rr;
  } else {
    x1 = x0 + items[o + 5]; y1 = y0 + items[o + 6];
    if (x1 < x0) [x0, x1] = [x1, x0];
    if (y1 < y0) [y0, y1] = [y1, y0];
  }
  return x1 >= r.x0 && x0 <= r.x1 && y1 >= r.y0 && y0 <= r.y1;
}

function sameItem(a, i, b, j) {
  const p = i * STRIDE, q = j * STRIDE;
  if (a[p] !== b[q] || a[p + 2] !== b[q + 2]) return false;
  for (let k = 3; k < STRIDE; k++) if (a[p + k] !== b[q + k]) return false;
  return true;
}

// Whether item j of b is item i of a moved by (dx, dy), all else the same
// (the numbers of the picture have five decimals: a move is exact to far
// less than that).
function movedItem(a, i, b, j, dx, dy) {
  const p = i * STRIDE, q = j * STRIDE;
  const kind = a[p];
  if (kind !== b[q] || a[p + 2] !== b[q + 2]) return false;
  if (Math.abs(b[q + 3] - a[p + 3] - dx) > 1e-7 || Math.abs(b[q + 4] - a[p + 4] - dy) > 1e-7) return false;
  const ends = kind === LINE || kind === VECTOR;
  if (ends && (Math.abs(b[q + 5] - a[p + 5] - dx) > 1e-7 || Math.abs(b[q + 6] - a[p + 6] - dy) > 1e-7)) return false;
  for (let k = ends ? 7 : 5; k < STRIDE; k++) if (a[p + k] !== b[q + k]) return false;
  return true;
}

// The extent of item o in picture units, widened by pad units.
function extent(items, o, unitPt, out) {
  const kind = items[o];
  const x = items[o + 3], y = items[o + 4];
  const lw = items[o + 2] / unitPt;
  let x0 = x, x1 = x, y0 = y, y1 = y, pad = lw;
  if (kind === LINE || kind === VECTOR) {
    x0 = Math.min(x, items[o + 5]); x1 = Math.max(x, items[o + 5]);
    y0 = Math.min(y, items[o + 6]); y1 = Math.max(y, items[o + 6]);
    if (kind === VECTOR) pad = (3.2 * items[o + 2] + 1.5) / unitPt;
  } else if (kind === CIRCLE || kind === DISK) {
    const r = Math.abs(items[o + 5]);
    x0 = x - r; x1 = x + r; y0 = y - r; y1 = y + r;
  } else if (kind === RECT || kind === DASHRECT) {
    x0 = Math.min(x, x + items[o + 5]); x1 = Math.max(x, x + items[o + 5]);
    y0 = Math.min(y, y + items[o + 6]); y1 = Math.max(y, y + items[o + 6]);
  }
  if (!Number.isFinite(x0 + x1 + y0 + y1)) return;
  out[0] = Math.min(out[0], x0 - pad); out[1] = Math.max(out[1], x1 + pad);
  out[2] = Math.min(out[2], y0 - pad); out[3] = Math.max(out[3], y1 + pad);
}

// The distance in units from (px, py) to what item o draws.
function distance(items, o, px, py) {
  const kind = items[o];
  const x = items[o + 3], y = items[o + 4];
  const seg = (ax, ay, bx, by) => {
    const dx = bx - ax, dy = by - ay;
    const l2 = dx * dx + dy * dy;
    const t = l2 > 0 ? Math.max(0, Math.min(1, ((px - ax) * dx + (py - ay) * dy) / l2)) : 0;
    return Math.hypot(px - ax - t * dx, py - ay - t * dy);
  };
  if (kind === LINE || kind === VECTOR) return seg(x, y, items[o + 5], items[o + 6]);
  if (kind === CIRCLE) return Math.abs(Math.hypot(px - x, py - y) - Math.abs(items[o + 5]));
  if (kind === DISK) return Math.max(0, Math.hypot(px - x, py - y) - Math.abs(items[o + 5]));
  if (kind === RECT || kind === DASHRECT) {
    const x2 = x + items[o + 5], y2 = y + items[o + 6];
    return Math.min(seg(x, y, x2, y), seg(x2, y, x2, y2), seg(x2, y2, x, y2), seg(x, y2, x, y));
  }
  return Infinity;
}

// A new view of pictures. Returns an object with:
//   svg: the picture's <svg> element, to be put into the page, and layer,
//     the texts' element, to be put after it in a positioned parent
//   draw(result, settings): draws a picture read by parsePicture (result
//     holds items, count, texts, box); settings: unitPt (pt per unit),
//     zoom, host (an element where texts are measured), stage (the
//     scrolling element around the svg), whole (draw a big picture whole).
//     Resolves to false when a later draw replaced it, else true.
//   setZoom(zoom): rescales the drawing without drawing it again
//   bounds(): the extent of everything drawn, in px at zoom 1, relative
//     to the top-left corner of the picture's box: {x0, y0, x1, y1}
//   itemAt(clientX, clientY): the index of the item nearest to that point
//     of the page, within a few px, or -1
//   item(i): {kind, line, x, y, a, b, text, pos} of item i; element(i)
//   highlight(line): marks what source line 'line' drew (0: nothing)
//
// The drawing is kept as runs: each run draws a stretch of the items in a
// group of its own, moved by an offset. A new picture that keeps the items
// at the start, and the items at the end only moved (as an edit moves what
// is drawn after it), keeps their elements: the runs at the end are moved
// as wholes, and only the items between are drawn anew, in a run of their
// own.
const MAX_RUNS = 24;

export function createView(doc, katex) {
  const svg = el(doc, 'svg', { xmlns: SVG, class: 'qld-picture' });
  const ink = el(doc, 'g', { class: 'qld-lines', fill: 'none', stroke: '#000', 'stroke-linecap': 'butt' });
  // The texts lie over the svg, in HTML of their own: the page lays them
  // out and paints them apart from the lines.
  const layer = doc.createElementNS(XHTML, 'div');
  layer.setAttribute('class', 'qld-layer qld-texts');
  svg.append(ink);

  let items = new Float64Array(0);   // what is drawn, in picture units
  let count = 0;
  let nodes = [];                    // the element of each item (null: text, or not in view)
  let runs = [];                     // {g, tl, start, end, dx, dy}, covering 0 to count in order
  let texts = [];                    // the texts of the items' c
  let box = { x: 0, y: 0, w: 0, h: 0 };
  let unitPt = 28.45276;
  let zoom = 1;
  let generation = 0;
  let lit = [];
  let litLine = 0;
  let ext = { x0: 0, y0: 0, x1: 0, y1: 0 };
  let culled = false;                // some items are left out of view
  const fontPx = TEXT_PT * PX_PER_PT;
  const s1 = () => unitPt * PX_PER_PT;   // px per unit at zoom 1

  // The part of the plane, in picture units, that the stage shows, with as
  // much again on every side.
  function inView(stage, pictureBox) {
    const s = unitPt * PX_PER_PT * zoom;
    const sr = stage.getBoundingClientRect();
    const r = svg.getBoundingClientRect();
    const left = Math.max(sr.left, 0), top = Math.max(sr.top, 0);
    const right = Math.min(sr.right, innerWidth), bottom = Math.min(sr.bottom, innerHeight);
    const w = Math.max(right - left, sr.width, 200), h = Math.max(bottom - top, 200);
    const vb = svg.viewBox.baseVal;
    const vx = vb && r.width ? vb.x : 0, vy = vb && r.height ? vb.y : 0;
    const ux0 = vx + (left - r.left) - w, ux1 = vx + (left - r.left) + 2 * w;
    const uy0 = vy + (top - r.top) - h, uy1 = vy + (top - r.top) + 2 * h;
    return { x0: pictureBox.x + ux0 / s, x1: pictureBox.x + ux1 / s,
      y0: pictureBox.y + pictureBox.h - uy1 / s, y1: pictureBox.y + pictureBox.h - uy0 / s };
  }

  function newRun(start, end, dx = 0, dy = 0) {
    const g = el(doc, 'g', { class: 'qld-run' });
    const tl = doc.createElementNS(XHTML, 'div');
    tl.setAttribute('class', 'qld-run-texts');
    ink.appendChild(g);
    layer.appendChild(tl);
    const run = { g, tl, start, end, dx, dy };
    placeRun(run);
    return run;
  }

  function placeRun(run) {
    if (run.dx || run.dy) {
      run.g.setAttribute('transform', `translate(${r5(run.dx)} ${r5(run.dy)})`);
      run.tl.style.transform = `translate(${r3(run.dx * s1())}px,${r3(-run.dy * s1())}px)`;
    } else {
      run.g.removeAttribute('transform');
      run.tl.style.transform = '';
    }
  }

  function dropRun(run) {
    run.g.remove();
    run.tl.remove();
  }

  // The element of item i, in its run.
  function make(i, run) {
    const o = i * STRIDE;
    const kind = items[o];
    if (kind === TEXT) return textDiv(i, run);
    const node = el(doc, TAG[kind], shape(items, o, unitPt, run.dx, run.dy));
    node.setAttribute('data-line', String(items[o + 1]));
    run.g.appendChild(node);
    made++;
    return node;
  }

  // The div of text item i, at its place in its run; its typeset node is
  // taken from a div set free, or cloned from the kept one. Each text has
  // its box in the svg as well, an unpainted rect in its run's group that
  // carries its line: so the svg holds an element for everything drawn,
  // texts included, for tools that look for a line's elements there.
  let spare = new Map();   // text -> [div] set free by this drawing
  function textDiv(i, run) {
    const o = i * STRIDE;
    const t = texts[items[o + 7]];
    const m = textEntry(t.text);
    if (!m) return null;
    const at = placeText(m, (items[o + 3] - run.dx) * s1(), (items[o + 4] - run.dy) * s1(),
      items[o + 5] * s1(), items[o + 6] * s1(), t.pos, fontPx);
    let div = spare.get(t.text)?.pop();
    if (!div) {
      div = doc.createElementNS(XHTML, 'div');
      div.setAttribute('class', 'qld-text');
      // Its size is known: the page need not lay it out to move it.
      div.style.width = `${r3(m.w * fontPx)}px`;
      div.style.height = `${r3(m.hgt * fontPx)}px`;
      div.appendChild(m.node.cloneNode(true));
      div.box = el(doc, 'rect', { class: 'qld-text-box', fill: 'none', stroke: 'none' });
    }
    made += m.n + 2;
    const k = s1();
    for (const [a, v] of [['x', at.left / k], ['y', -(at.top + at.height) / k], ['width', at.width / k], ['height', at.height / k]]) {
      div.box.setAttribute(a, String(r5(v)));
    }
    div.style.transform = `translate(${r3(at.left)}px,${r3(at.top)}px)` + (m.sx !== 1 ? ` scaleX(${m.sx})` : '');
    div.dataset.text = t.text;
    lineOf(div, items[o + 1]);
    run.tl.appendChild(div);
    run.g.appendChild(div.box);
    return div;
  }

  function free(node) {
    if (!node) return;
    node.remove();
    if (node.box) node.box.remove();
    if (node.dataset && node.dataset.text !== undefined && node.localName === 'div') {
      const list = spare.get(node.dataset.text);
      if (list) list.push(node); else spare.set(node.dataset.text, [node]);
    }
  }

  // A text's div and the elements of KaTeX's own drawings inside it carry
  // the line that wrote the text.
  function lineOf(div, line) {
    const v = String(line);
    if (div.getAttribute('data-line') === v) return;
    div.setAttribute('data-line', v);
    div.box.setAttribute('data-line', v);
    for (const e of div.querySelectorAll('svg, svg *')) e.setAttribute('data-line', v);
  }

  // Sets the transforms and the size of the view from the box, the zoom
  // and the extent.
  let framed = '';
  function frame() {
    const z = zoom;
    const vx = r3(ext.x0 * z), vy = r3(ext.y0 * z);
    const vw = r3(Math.max((ext.x1 - ext.x0) * z, 1)), vh = r3(Math.max((ext.y1 - ext.y0) * z, 1));
    const s = s1() * z;
    const key = [vx, vy, vw, vh, s, box.x, box.y, box.w, box.h].join(' ');
    // Only what changed is set: the page would lay out and paint again what
    // is set to the same.
    if (key === framed) return;
    framed = key;
    svg.setAttribute('viewBox', `${vx} ${vy} ${vw} ${vh}`);
    svg.setAttribute('width', String(vw));
    svg.setAttribute('height', String(vh));
    ink.setAttribute('transform', `matrix(${r5(s)} 0 0 ${r5(-s)} ${r5(-box.x * s)} ${r5((box.y + box.h) * s)})`);
    layer.style.transform = `translate(${r3(-vx - box.x * s)}px, ${r3(-vy + (box.y + box.h) * s)}px) scale(${r5(z)})`;
    svg.dataset.box = `${r3(box.w * s)} ${r3(box.h * s)}`;
  }

  // The extent of what is drawn, from the items (texts by their measures).
  function measureExtent() {
    const out = [box.x, box.x + box.w, box.y, box.y + box.h];
    const k = s1();
    let tx0 = Infinity, tx1 = -Infinity, ty0 = Infinity, ty1 = -Infinity;
    for (let i = 0; i < count; i++) {
      const o = i * STRIDE;
      if (items[o] !== TEXT) { extent(items, o, unitPt, out); continue; }
      const t = texts[items[o + 7]];
      const m = t && textEntry(t.text);
      if (!m) continue;
      const at = placeText(m, items[o + 3] * k, items[o + 4] * k, items[o + 5] * k, items[o + 6] * k, t.pos, fontPx);
      tx0 = Math.min(tx0, at.left); tx1 = Math.max(tx1, at.left + at.width);
      ty0 = Math.min(ty0, at.top); ty1 = Math.max(ty1, at.top + at.height);
    }
    // px at zoom 1 relative to the box's top-left corner
    const ox = box.x * k, oy = (box.y + box.h) * k;
    let x0 = (out[0] - box.x) * k, x1 = (out[1] - box.x) * k;
    let y0 = (box.y + box.h - out[3]) * k, y1 = (box.y + box.h - out[2]) * k;
    if (tx1 >= tx0) {
      x0 = Math.min(x0, tx0 - ox); x1 = Math.max(x1, tx1 - ox);
      y0 = Math.min(y0, ty0 + oy); y1 = Math.max(y1, ty1 + oy);
    }
    ext = { x0: x0 - PAD, y0: y0 - PAD, x1: x1 + PAD, y1: y1 + PAD };
  }

  const pause = () => new Promise((resolve) => {
    const ch = new MessageChannel();
    ch.port1.onmessage = () => resolve();
    ch.port2.postMessage(0);
  });
  // Elements added since the last frame began (counted while drawing).
  let made = 0;
  let watching = 0;
  function watchFrames() {
    if (!watching && typeof requestAnimationFrame === 'function') {
      watching = requestAnimationFrame(() => { watching = 0; made = 0; });
    }
  }
  // The next frame; or, should the page draw no frames, a moment.
  const nextFrame = () => new Promise((resolve) => {
    const timer = setTimeout(resolve, 100);
    requestAnimationFrame(() => { clearTimeout(timer); resolve(); });
  });

  function clearAll() {
    for (const run of runs) dropRun(run);
    runs = [];
    nodes = [];
    items = new Float64Array(0);
    count = 0;
  }

  async function draw(result, settings) {
    const mine = ++generation;
    let t0 = performance.now();
    // A break when the slice's time is up; when a frame's worth of
    // elements has been added, the break lasts until the next frame (not
    // in a hidden page, which has no frames).
    const breathe = async () => {
      watchFrames();
      if (made >= FRAME_NODES && doc.visibilityState !== 'hidden' && watching) {
        await nextFrame();
        made = 0;
      } else if (performance.now() - t0 < SLICE_MS) {
        return true;
      } else {
        await pause();
      }
      t0 = performance.now();
      return mine === generation;
    };
    const its = result.items;
    const n = result.count;
    if (settings.unitPt !== unitPt) {
      unitPt = settings.unitPt;
      clearAll();
    }
    zoom = settings.zoom;
    const newBox = result.box || { x: 0, y: 0, w: 0, h: 0 };
    const region = n > CULL_MIN && !settings.whole ? inView(settings.stage, newBox) : null;
    const seen = (o) => !region || near(its, o, region);

    // The texts in view first: typeset and measure those not known yet.
    const unknown = [];
    const asked = new Set();
    for (let i = 0; i < n; i++) {
      const o = i * STRIDE;
      if (its[o] !== TEXT || !seen(o)) continue;
      const text = result.texts[its[o + 7]].text;
      if (!asked.has(text)) { asked.add(text); if (!textEntry(text)) unknown.push(text); }
    }
    // A slice at a time: typesetting with KaTeX takes a good part of a
    // millisecond a text.
    for (let k = 0; k < unknown.length;) {
      k = await prepareTexts(doc, katex, settings.host, unknown, fontPx, { from: k, budget: SLICE_MS });
      if (!(await breathe())) return false;
    }
    trimTexts(asked);

    // What stayed: the same items at the start, and at the end the same
    // items moved by one distance (none, when nothing moved).
    const m = count;
    let p = 0;
    const lim = Math.min(m, n);
    while (p < lim && sameItem(items, p, its, p)) p++;
    let s = 0, dx = 0, dy = 0;
    if (p < lim) {
      const a = (m - 1) * STRIDE, b = (n - 1) * STRIDE;
      dx = its[b + 3] - items[a + 3];
      dy = its[b + 4] - items[a + 4];
      while (s < lim - p && movedItem(items, m - 1 - s, its, n - 1 - s, dx, dy)) s++;
    }
    if (Math.abs(dx) < 1e-12 && Math.abs(dy) < 1e-12) { dx = 0; dy = 0; }

    // The runs: those before the change stay, those after it move, the
    // items between are drawn anew.
    spare = new Map();
    const kept = [];
    const moved = [];
    const midEnd = m - s;
    for (const run of runs) {
      const head = [run.start, Math.min(run.end, p)];
      const tail = [Math.max(run.start, midEnd), run.end];
      for (let i = Math.max(run.start, p); i < Math.min(run.end, midEnd); i++) free(nodes[i]);
      if (head[1] > head[0] && tail[1] > tail[0]) {
        // A run across the change is cut in two; its end moves to a run of
        // its own.
        const other = newRun(tail[0], tail[1], run.dx, run.dy);
        for (let i = tail[0]; i < tail[1]; i++) {
          const e = nodes[i];
          if (!e) continue;
          if (e.localName === 'div') { other.tl.appendChild(e); other.g.appendChild(e.box); } else other.g.appendChild(e);
        }
        run.end = head[1];
        kept.push(run);
        moved.push(other);
      } else if (head[1] > head[0]) {
        run.end = head[1];
        kept.push(run);
      } else if (tail[1] > tail[0]) {
        run.start = tail[0];
        moved.push(run);
      } else {
        dropRun(run);
      }
    }
    const shift = n - m;
    const next = new Array(n);
    for (let i = 0; i < p; i++) next[i] = nodes[i];
    for (let i = 0; i < s; i++) next[n - s + i] = nodes[m - s + i];
    for (const run of moved) {
      run.start += shift;
      run.end += shift;
      if (dx || dy) { run.dx += dx; run.dy += dy; placeRun(run); }
    }
    nodes = next;
    // Line numbers change without anything moving when a line is added.
    for (let i = 0; i < n; i++) {
      if (i === p) i = n - s;
      if (i >= n) break;
      const o = i * STRIDE;
      const j = i < p ? i : i - shift;
      if (items[j * STRIDE + 1] !== its[o + 1] && nodes[i]) {
        if (nodes[i].localName === 'div') lineOf(nodes[i], its[o + 1]);
        else nodes[i].setAttribute('data-line', String(its[o + 1]));
      }
    }
    items = its.slice(0, n * STRIDE);
    // Until they are drawn, the new items are marked as not drawn.
    for (let i = p; i < n - s; i++) items[i * STRIDE] = -items[i * STRIDE] || -1;
    count = n;
    texts = result.texts;
    box = newBox;
    runs = [...kept];
    let middle = null;
    if (n - s > p) {
      middle = newRun(p, n - s);
      runs.push(middle);
    }
    runs.push(...moved);
    runs.sort((a, b) => a.start - b.start);

    // Too many runs: all is drawn again as one.
    if (runs.length > MAX_RUNS) {
      for (let i = 0; i < n; i++) free(nodes[i]);
      for (const run of runs) dropRun(run);
      for (let i = 0; i < n; i++) if (items[i * STRIDE] > 0) items[i * STRIDE] = -items[i * STRIDE];
      middle = newRun(0, n);
      runs = [middle];
      nodes = new Array(n).fill(null);
    }

    // The new items, drawn in their run where they are in view.
    let left = null;
    if (middle) {
      for (let i = middle.start; i < middle.end; i++) {
        const o = i * STRIDE;
        items[o] = -items[o];
        nodes[i] = seen(o) ? make(i, middle) : null;
        if (((i & 255) === 0 || made >= FRAME_NODES) && !(await breathe())) { left = i; break; }
      }
      if (left !== null) {
        // Stopped for a later picture: what was not drawn stays marked.
        for (let i = left + 1; i < middle.end; i++) if (items[i * STRIDE] > 0) items[i * STRIDE] = -items[i * STRIDE];
        return false;
      }
    }
    // Items that stayed come into view or leave it as the view moves.
    if (region || culled) {
      let r = 0;
      for (let i = 0; i < n; i++) {
        while (runs[r].end <= i) r++;
        if (runs[r] === middle) { i = middle.end - 1; continue; }
        const want = seen(i * STRIDE);
        if (want && !nodes[i]) nodes[i] = make(i, runs[r]);
        else if (!want && nodes[i]) { free(nodes[i]); nodes[i] = null; }
        if (((i & 1023) === 0 || made >= FRAME_NODES) && !(await breathe())) return false;
      }
    }
    culled = !!region;
    measureExtent();
    frame();
    // What the cursor's line drew is marked again, on the elements now.
    const line = litLine;
    for (const e of lit) e.classList.remove('qld-lit');
    lit = [];
    litLine = 0;
    highlight(line);
    return true;
  }

  function itemAt(clientX, clientY) {
    const r = svg.getBoundingClientRect();
    const vb = svg.viewBox.baseVal;
    const s = unitPt * PX_PER_PT * zoom;
    const vx = vb.x + (clientX - r.left), vy = vb.y + (clientY - r.top);
    const px = box.x + vx / s, py = box.y + box.h - vy / s;
    let best = -1, bestD = 5 / s;   // within 5 px
    for (let i = 0; i < count; i++) {
      const o = i * STRIDE;
      if (items[o] === TEXT) {
        const div = nodes[i];
        if (!div) continue;
        const b = div.getBoundingClientRect();
        if (clientX >= b.left && clientX <= b.right && clientY >= b.top && clientY <= b.bottom) return i;
        continue;
      }
      const d = distance(items, o, px, py);
      if (d < bestD) { bestD = d; best = i; }
    }
    return best;
  }

  function item(i) {
    const o = i * STRIDE;
    const kind = Math.abs(items[o]);
    return { kind, line: items[o + 1], x: items[o + 3], y: items[o + 4], a: items[o + 5], b: items[o + 6],
      text: kind === TEXT ? texts[items[o + 7]]?.text : undefined,
      pos: kind === TEXT ? texts[items[o + 7]]?.pos : undefined };
  }

  function highlight(line) {
    if (line === litLine) return;
    for (const e of lit) e.classList.remove('qld-lit');
    lit = [];
    litLine = line;
    if (!line) return;
    for (let i = 0; i < count; i++) {
      if (items[i * STRIDE + 1] !== line) continue;
      const e = nodes[i];
      if (e) { e.classList.add('qld-lit'); lit.push(e); }
    }
  }

  return {
    svg,
    layer,
    draw,
    setZoom(z) { zoom = z; frame(); },
    bounds: () => ({ ...ext }),
    box: () => ({ ...box }),
    scale: () => unitPt * PX_PER_PT,
    itemAt,
    item,
    element: (i) => nodes[i] || null,
    highlight,
    count: () => count,
    runs: () => runs.length,
    culled: () => culled,
  };
}
