// Draws the items of a LaTeX picture (read by picture.js) as SVG, and keeps
// the drawing up to date: a new picture changes only the elements whose
// items changed, texts keep their typeset nodes and only move, and a big
// picture is drawn in slices so that the page goes on answering.
//
// The lines are drawn in picture units inside one group whose transform
// puts the picture's box at the origin and sets the zoom; the texts are
// HTML (typeset by KaTeX) inside one foreignObject, laid out at zoom 1 and
// scaled. So a change of the picture's box or of the zoom moves two
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
// units; unitPt is the picture unit in pt.
function shape(items, o, unitPt) {
  const kind = items[o];
  const lw = items[o + 2] / unitPt;
  const x = items[o + 3], y = items[o + 4];
  if (kind === LINE) {
    return { x1: r5(x), y1: r5(y), x2: r5(items[o + 5]), y2: r5(items[o + 6]), 'stroke-width': r5(lw) };
  }
  if (kind === VECTOR) {
    // pict2e's head: width 3.2 lw + 1.5pt, length 1.52 widths, slightly
    // concave sides; the shaft, as wide as the line, stops where the head
    // begins. One filled outline.
    const x2 = items[o + 5], y2 = items[o + 6];
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

function sameItem(a, i, b, j) {
  const p = i * STRIDE, q = j * STRIDE;
  if (a[p] !== b[q] || a[p + 2] !== b[q + 2]) return false;
  for (let k = 3; k < STRIDE; k++) if (a[p + k] !== b[q + k]) return false;
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
//   svg: the picture's <svg> element, to be put into the page
//   draw(result, settings): draws a picture read by parsePicture (result
//     holds items, texts, box); settings: unitPt (pt per unit), zoom, and
//     host (an element where texts are measured). Returns a promise that
//     settles when it is drawn, with false when a later draw replaced it.
//   setZoom(zoom): rescales the drawing without drawing it again
//   bounds(): the extent of everything drawn, in px at zoom 1, relative
//     to the top-left corner of the picture's box: {x0, y0, x1, y1}
//   itemAt(clientX, clientY): the index of the item nearest to that point
//     of the page, within a few px, or -1
//   item(i): {kind, line, x, y, a, b, text, pos} of item i
//   highlight(line): marks what source line 'line' drew (0: nothing)
export function createView(doc, katex) {
  const svg = el(doc, 'svg', { xmlns: SVG, class: 'qld-picture' });
  const ink = el(doc, 'g', { class: 'qld-lines', fill: 'none', stroke: '#000', 'stroke-linecap': 'butt' });
  const fo = el(doc, 'foreignObject', { class: 'qld-texts' });
  const layer = doc.createElementNS(XHTML, 'div');
  layer.setAttribute('class', 'qld-layer');
  fo.appendChild(layer);
  svg.append(ink, fo);

  let items = new Float64Array(0);   // what the elements draw now
  let nodes = [];                    // the element of each item (null for texts)
  let texts = [];                    // the texts of the items' c
  let textNodes = new Map();         // text -> [{div, key}]
  let textOf = [];                   // item index -> its text div
  let box = { x: 0, y: 0, w: 0, h: 0 };
  let unitPt = 28.45276;
  let zoom = 1;
  let generation = 0;
  let lit = [];
  let litLine = 0;
  let ext = { x0: 0, y0: 0, x1: 0, y1: 0 };
  const fontPx = TEXT_PT * PX_PER_PT;

  function make(its, o) {
    const kind = its[o];
    if (kind === TEXT) return null;
    const node = el(doc, TAG[kind], shape(its, o, unitPt));
    node.setAttribute('data-line', String(its[o + 1]));
    ink.appendChild(node);
    return node;
  }

  // Changes the element of item i (which draws what items holds) to draw
  // item o of its: in place when the kind stays, else by a new element.
  function update(i, its, o) {
    const old = nodes[i];
    if (old && items[i * STRIDE] === its[o]) {
      const attrs = shape(its, o, unitPt);
      for (const k in attrs) old.setAttribute(k, String(attrs[k]));
      old.setAttribute('data-line', String(its[o + 1]));
      return old;
    }
    if (old) old.remove();
    return make(its, o);
  }

  // Sets the transforms and the size of the view from the box, the zoom
  // and the extent.
  function frame() {
    const s1 = unitPt * PX_PER_PT;   // px per unit at zoom 1
    const z = zoom;
    const vx = r3(ext.x0 * z), vy = r3(ext.y0 * z);
    const vw = r3(Math.max((ext.x1 - ext.x0) * z, 1)), vh = r3(Math.max((ext.y1 - ext.y0) * z, 1));
    svg.setAttribute('viewBox', `${vx} ${vy} ${vw} ${vh}`);
    svg.setAttribute('width', String(vw));
    svg.setAttribute('height', String(vh));
    const s = s1 * z;
    ink.setAttribute('transform', `matrix(${r5(s)} 0 0 ${r5(-s)} ${r5(-box.x * s)} ${r5((box.y + box.h) * s)})`);
    fo.setAttribute('x', String(vx));
    fo.setAttribute('y', String(vy));
    fo.setAttribute('width', String(vw));
    fo.setAttribute('height', String(vh));
    layer.style.transform = `translate(${r3(-vx - box.x * s)}px, ${r3(-vy + (box.y + box.h) * s)}px) scale(${r5(z)})`;
    svg.dataset.box = `${r3(box.w * s)} ${r3(box.h * s)}`;
  }

  function measureExtent(its, count, textBoxes) {
    const out = [box.x, box.x + box.w, box.y, box.y + box.h];
    for (let i = 0; i < count; i++) if (its[i * STRIDE] !== TEXT) extent(its, i * STRIDE, unitPt, out);
    const s1 = unitPt * PX_PER_PT;
    // px at zoom 1 relative to the box's top-left corner
    let x0 = (out[0] - box.x) * s1, x1 = (out[1] - box.x) * s1;
    let y0 = (box.y + box.h - out[3]) * s1, y1 = (box.y + box.h - out[2]) * s1;
    const ox = box.x * s1, oy = (box.y + box.h) * s1;
    for (const t of textBoxes) {
      x0 = Math.min(x0, t.left - ox); x1 = Math.max(x1, t.left + t.width - ox);
      y0 = Math.min(y0, t.top + oy); y1 = Math.max(y1, t.top + t.height + oy);
    }
    ext = { x0: x0 - PAD, y0: y0 - PAD, x1: x1 + PAD, y1: y1 + PAD };
  }

  const pause = () => new Promise((resolve) => {
    const ch = new MessageChannel();
    ch.port1.onmessage = () => resolve();
    ch.port2.postMessage(0);
  });

  async function draw(result, settings) {
    const mine = ++generation;
    let t0 = performance.now();
    const breathe = async () => {
      if (performance.now() - t0 < SLICE_MS) return true;
      await pause();
      t0 = performance.now();
      return mine === generation;
    };
    const its = result.items;
    const count = result.count;
    const unitChanged = settings.unitPt !== unitPt;
    unitPt = settings.unitPt;
    zoom = settings.zoom;
    const newBox = result.box || { x: 0, y: 0, w: 0, h: 0 };
    const s1 = unitPt * PX_PER_PT;

    // The texts first: typeset and measure those not known yet.
    const wanted = [];
    for (let i = 0; i < count; i++) if (its[i * STRIDE] === TEXT) wanted.push(i);
    const unknown = [];
    const seen = new Set();
    for (const i of wanted) {
      const text = result.texts[its[i * STRIDE + 7]].text;
      if (!seen.has(text)) { seen.add(text); if (!textEntry(text)) unknown.push(text); }
    }
    for (let k = 0; k < unknown.length; k += 200) {
      await prepareTexts(doc, katex, settings.host, unknown.slice(k, k + 200), fontPx);
      if (!(await breathe())) return false;
    }

    // The lines: the items that stayed at the start and at the end keep
    // their elements, those between are changed in place.
    let oldItems = items, oldCount = nodes.length;
    if (unitChanged) {
      for (const n of nodes) if (n) n.remove();
      oldItems = new Float64Array(0);
      oldCount = 0;
      nodes = [];
    }
    let p = 0;
    const m0 = Math.min(oldCount, count);
    while (p < m0 && sameItem(oldItems, p, its, p)) p++;
    let s = 0;
    while (s < m0 - p && sameItem(oldItems, oldCount - 1 - s, its, count - 1 - s)) s++;
    const oldMid = oldCount - p - s, newMid = count - p - s;
    const both = Math.min(oldMid, newMid);
    // The array of what is drawn, as it will stand once every element in
    // the middle is changed; until then the middle holds what it drew.
    const next = new Float64Array(count * STRIDE);
    next.set(its.subarray(0, (p + both) * STRIDE));
    next.set(oldItems.subarray(p * STRIDE, (p + both) * STRIDE), p * STRIDE);
    next.set(its.subarray((p + both) * STRIDE, count * STRIDE), (p + both) * STRIDE);
    // Items not drawn yet are marked so, until their element is made.
    for (let i = p + both; i < p + newMid; i++) next[i * STRIDE] = -1;
    const nextNodes = nodes.slice(0, p + both);
    for (let i = p + both; i < p + oldMid; i++) if (nodes[i]) nodes[i].remove();
    nextNodes.length = count;
    for (let i = 0; i < s; i++) nextNodes[count - s + i] = nodes[oldCount - s + i];
    items = next;
    nodes = nextNodes;
    textOf = [];
    box = newBox;
    texts = result.texts;
    // Line numbers change without anything moving when a line is added.
    for (let i = 0; i < count; i++) {
      const o = i * STRIDE;
      if (items[o + 1] !== its[o + 1]) {
        items[o + 1] = its[o + 1];
        if (nodes[i] && (i < p || i >= p + newMid)) nodes[i].setAttribute('data-line', String(its[o + 1]));
      }
    }
    for (let i = p + both; i < p + newMid; i++) {
      nodes[i] = make(its, i * STRIDE);
      items[i * STRIDE] = its[i * STRIDE];
      if ((i & 255) === 0 && !(await breathe())) return false;
    }
    for (let i = p; i < p + both; i++) {
      const o = i * STRIDE;
      nodes[i] = update(i, its, o);
      for (let q = 0; q < STRIDE; q++) items[o + q] = its[o + q];
      if ((i & 255) === 0 && !(await breathe())) return false;
    }

    // The texts: each keeps its typeset node and only moves.
    const placed = [];
    const keep = new Map();
    const old = textNodes;
    textNodes = new Map();
    const fresh = [];
    for (const i of wanted) {
      const o = i * STRIDE;
      const t = result.texts[its[o + 7]];
      const m = textEntry(t.text);
      if (!m) continue;
      const at = placeText(m, its[o + 3] * s1, its[o + 4] * s1, its[o + 5] * s1, its[o + 6] * s1, t.pos, fontPx);
      const key = where(at, m.sx);
      placed.push(at);
      const list = old.get(t.text);
      let got = -1;
      if (list) {
        got = list.findIndex((e) => e.key === key);
        if (got < 0) got = list.length - 1;
      }
      if (got >= 0) {
        const e = list.splice(got, 1)[0];
        if (!list.length) old.delete(t.text);
        if (e.key !== key) {
          e.div.style.transform = key;
          e.key = key;
        }
        e.at = at;
        e.sx = m.sx;
        lineOf(e.div, its[o + 1]);
        add(textNodes, t.text, e);
        textOf[i] = e.div;
      } else {
        fresh.push({ i, t, m, at, key });
      }
      keep.set(t.text, true);
    }
    for (const list of old.values()) for (const e of list) e.div.remove();
    for (let k = 0; k < fresh.length; k++) {
      const { i, t, m, at, key } = fresh[k];
      const div = doc.createElementNS(XHTML, 'div');
      div.setAttribute('class', 'qld-text');
      div.style.transform = key;
      div.appendChild(m.node.cloneNode(true));
      lineOf(div, its[i * STRIDE + 1]);
      layer.appendChild(div);
      add(textNodes, t.text, { div, key, at, sx: m.sx });
      textOf[i] = div;
      if ((k & 63) === 63 && !(await breathe())) return false;
    }
    trimTexts(new Set(keep.keys()));
    measureExtent(its, count, placed);
    frame();
    for (const e of lit) e.classList.remove('qld-lit');
    lit = [];
    litLine = 0;
    return true;
  }

  // The transform that puts a text's div at its place, at zoom 1.
  function where(at, sx) {
    return `translate(${r3(at.left)}px,${r3(at.top)}px)` + (sx !== 1 ? ` scaleX(${sx})` : '');
  }

  function add(map, key, value) {
    const list = map.get(key);
    if (list) list.push(value); else map.set(key, [value]);
  }

  // A text's div and the elements of KaTeX's own drawings inside it carry
  // the line that wrote the text.
  function lineOf(div, line) {
    const v = String(line);
    if (div.getAttribute('data-line') === v) return;
    div.setAttribute('data-line', v);
    for (const e of div.querySelectorAll('svg, svg *')) e.setAttribute('data-line', v);
  }

  function itemAt(clientX, clientY) {
    const r = svg.getBoundingClientRect();
    const vb = svg.viewBox.baseVal;
    const s = unitPt * PX_PER_PT * zoom;
    const vx = vb.x + (clientX - r.left), vy = vb.y + (clientY - r.top);
    const px = box.x + vx / s, py = box.y + box.h - vy / s;
    let best = -1, bestD = 5 / s;   // within 5 px
    for (let i = 0; i < nodes.length; i++) {
      const o = i * STRIDE;
      if (items[o] === TEXT) {
        const div = textOf[i];
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
    const kind = items[o];
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
    for (let i = 0; i < nodes.length; i++) {
      if (items[i * STRIDE + 1] !== line) continue;
      const e = nodes[i] || textOf[i];
      if (e) { e.classList.add('qld-lit'); lit.push(e); }
    }
  }

  return {
    svg,
    draw,
    setZoom(z) { zoom = z; frame(); },
    bounds: () => ({ ...ext }),
    box: () => ({ ...box }),
    scale: () => unitPt * PX_PER_PT,
    itemAt,
    item,
    element: (i) => nodes[i] || textOf[i] || null,
    highlight,
    count: () => nodes.length,
  };
}
