// Draws a LaTeX picture environment as SVG: the picture commands that
// Quillard writes (\put, \line, \vector, \multiput, \circle, \circle*,
// \framebox, \dashbox, \makebox, \thicklines, \thinlines) and the same
// commands written by hand in '%' lines. Texts are typeset with KaTeX inside
// one foreignObject. Whatever is not understood is skipped and reported with
// its offset in the LaTeX text, never dropped silently.
//
// Lines and arrow heads follow the pict2e package: any slope, the length of a
// sloped line measured along x, arrow heads of width 3.2 line widths + 1.5pt
// and length 1.52 head widths. \dashbox lays its dashes out as LaTeX does.

const SVG = 'http://www.w3.org/2000/svg';
const XHTML = 'http://www.w3.org/1999/xhtml';
export const PX_PER_PT = 96 / 72.27;
const THIN = 0.4;    // pt
const THICK = 0.8;   // pt
const TEXT_PT = 10;  // the document's normal text size
const MARGIN = 400;  // px of room around the picture for texts that stick out
const MAX_COPIES = 10000;   // a longer \multiput is not previewed

// Units of \linethickness and \unitlength, in pt.
const UNITS = { pt: 1, mm: 2.845276, cm: 28.45276, in: 72.27, bp: 72.27 / 72, sp: 1 / 65536,
                em: 10, ex: 4.3, pc: 12, dd: 1.07, cc: 12.84 };

// Parses a dimension such as '1cm' or '0.5 pt' into pt, or null.
export function parseDimen(text) {
  const m = /^\s*(-?\d*\.?\d*)\s*(pt|mm|cm|in|bp|sp|em|ex|pc|dd|cc)\s*$/.exec(text);
  if (!m || m[1] === '' || m[1] === '-' || m[1] === '.') return null;
  return parseFloat(m[1]) * UNITS[m[2]];
}

class Unknown extends Error {}

// A cursor over the LaTeX text.
class Scanner {
  constructor(text) { this.s = text; this.i = 0; }
  blank() {
    for (;;) {
      while (this.i < this.s.length && /\s/.test(this.s[this.i])) this.i++;
      if (this.s[this.i] !== '%') return;
      while (this.i < this.s.length && this.s[this.i] !== '\n') this.i++;
    }
  }
  peek() { this.blank(); return this.s[this.i]; }
  eat(ch) {
    if (this.peek() !== ch) throw new Unknown(ch);
    this.i++;
  }
  // A control word such as \put, or null when none follows.
  command() {
    this.blank();
    const m = /^\\([A-Za-z]+\*?|.)/.exec(this.s.slice(this.i, this.i + 40));
    return m ? m[1] : null;
  }
  take(name) { this.blank(); this.i += name.length + 1; }
  // The text between balanced braces, the braces consumed.
  group() {
    this.eat('{');
    const start = this.i;
    let depth = 1;
    while (this.i < this.s.length) {
      const ch = this.s[this.i++];
      if (ch === '\\') this.i++;
      else if (ch === '{') depth++;
      else if (ch === '}' && --depth === 0) return this.s.slice(start, this.i - 1);
    }
    throw new Unknown('{');
  }
  number(text) {
    const t = text.trim();
    if (!/^[-+]?(\d+\.?\d*|\.\d+)(e[-+]?\d+)?$/i.test(t)) throw new Unknown(t);
    return parseFloat(t);
  }
  // '(a,b)' as two numbers.
  pair() {
    this.eat('(');
    const end = this.s.indexOf(')', this.i);
    if (end < 0) throw new Unknown('(');
    const parts = this.s.slice(this.i, end).split(',');
    if (parts.length !== 2) throw new Unknown('(');
    this.i = end + 1;
    return [this.number(parts[0]), this.number(parts[1])];
  }
  option() {
    if (this.peek() !== '[') return '';
    const end = this.s.indexOf(']', this.i);
    if (end < 0) throw new Unknown('[');
    const text = this.s.slice(this.i + 1, end).trim();
    this.i = end + 1;
    return text;
  }
}

// Parses the picture into a flat list of items in picture coordinates:
// {kind: 'line'|'vector'|'circle'|'disk'|'rect'|'dashrect'|'text', ...,
// lw (pt), at (offset in the text)}, the picture box, and what was skipped.
export function parsePicture(tex) {
  const sc = new Scanner(tex);
  const items = [];
  const skipped = [];
  let box = null;
  const state = { lw: THIN };

  // One object placed at (x, y); returns nothing, appends items.
  function object(x, y, at, st) {
    const c = sc.command();
    if (c === null) {
      if (sc.peek() === '{') { groupItems(x, y, at, st); return; }
      throw new Unknown('object');
    }
    if (c === 'put') {
      sc.take(c);
      const [dx, dy] = sc.pair();
      object(x + dx, y + dy, at, st);
      return;
    }
    if (c === 'line' || c === 'vector') {
      sc.take(c);
      const [sx, sy] = sc.pair();
      const len = sc.number(sc.group());
      if (sx === 0 && sy === 0) throw new Unknown(c);
      let dx, dy;
      if (sx === 0) { dx = 0; dy = Math.sign(sy) * len; }
      else { dx = Math.sign(sx) * len; dy = dx * sy / sx; }
      items.push({ kind: c, x, y, x2: x + dx, y2: y + dy, lw: st.lw, at });
      return;
    }
    if (c === 'circle' || c === 'circle*') {
      sc.take(c);
      const d = sc.number(sc.group());
      items.push({ kind: c === 'circle' ? 'circle' : 'disk', x, y, r: d / 2, lw: st.lw, at });
      return;
    }
    if (c === 'framebox' || c === 'makebox' || c === 'dashbox') {
      sc.take(c);
      let dash = 0;
      if (c === 'dashbox') dash = sc.number(sc.group());
      if (sc.peek() !== '(') throw new Unknown(c);
      const [w, h] = sc.pair();
      const pos = sc.option();
      if (!/^[lrtbs]*$/.test(pos)) throw new Unknown(pos);
      const text = sc.group();
      if (c === 'framebox') items.push({ kind: 'rect', x, y, w, h, lw: st.lw, at });
      if (c === 'dashbox') items.push({ kind: 'dashrect', x, y, w, h, dash, lw: st.lw, at });
      if (text.trim() !== '') items.push({ kind: 'text', x, y, w, h, pos, text, at });
      return;
    }
    if (c === 'thicklines' || c === 'thinlines') {
      sc.take(c);
      st.lw = c === 'thicklines' ? THICK : THIN;
      return;
    }
    if (c === 'linethickness') {
      sc.take(c);
      const lw = parseDimen(sc.group());
      if (lw === null) throw new Unknown(c);
      st.lw = lw;
      return;
    }
    throw new Unknown(c);
  }

  // A braced group of objects: the line thickness set inside stays inside.
  function groupItems(x, y, at, st) {
    sc.eat('{');
    const inner = { lw: st.lw };
    while (sc.peek() !== '}') {
      if (sc.i >= tex.length) throw new Unknown('{');
      if (sc.command() === 'multiput') multiput(x, y, at, inner);
      else object(x, y, at, inner);
    }
    sc.i++;
  }

  function multiput(x, y, at, st) {
    sc.take('multiput');
    const [x0, y0] = sc.pair();
    const [dx, dy] = sc.pair();
    const n = sc.number(sc.group());
    if (n > MAX_COPIES) throw new Unknown('multiput');
    const first = items.length;
    // The object once, to learn its items; copies follow by offset.
    object(x + x0, y + y0, at, st);
    const made = items.splice(first);
    for (let k = 0; k < n; k++) {
      for (const it of made) {
        const copy = { ...it, x: it.x + k * dx, y: it.y + k * dy };
        if ('x2' in it) { copy.x2 = it.x2 + k * dx; copy.y2 = it.y2 + k * dy; }
        items.push(copy);
      }
    }
  }

  // Skips what could not be read from at to the end of its line, and to the
  // end of the lines its braces keep open.
  function skip(at) {
    let depth = 0;
    let i = at;
    for (; i < tex.length; i++) {
      const ch = tex[i];
      if (ch === '\\') { i++; continue; }
      if (ch === '{') depth++;
      else if (ch === '}') depth--;
      else if (ch === '\n' && depth <= 0) break;
    }
    skipped.push({ at, text: tex.slice(at, i).trim() });
    sc.i = i;
  }

  while (sc.peek() !== undefined) {
    const at = sc.i;
    const first = items.length;
    const c = sc.command();
    try {
      if (c === 'begin') {
        sc.take(c);
        if (sc.group() !== 'picture') throw new Unknown('begin');
        const [w, h] = sc.pair();
        let [x0, y0] = [0, 0];
        if (sc.peek() === '(') [x0, y0] = sc.pair();
        if (!box) box = { x: x0, y: y0, w, h };
      } else if (c === 'end') {
        sc.take(c);
        if (sc.group() !== 'picture') throw new Unknown('end');
      } else if (c === 'multiput') {
        multiput(0, 0, at, state);
      } else {
        object(0, 0, at, state);
      }
    } catch (e) {
      // Anything that cannot be read, nesting too deep for the stack
      // included, is skipped and reported.
      items.length = first;
      skip(at);
    }
  }
  return { box: box || { x: 0, y: 0, w: 0, h: 0 }, items, skipped };
}

// The dashes of one side of a \dashbox, as [from, to] along the side:
// LaTeX counts the dash lengths that fit; an odd count starts and ends with a
// whole dash, an even one with half dashes at the corners.
export function dashes(length, dash) {
  if (!(dash > 0) || !(length >= 0)) return [[0, length]];
  const count = Math.floor((length + 200 / 65536 / 28.45276) / dash + 1e-9);
  const out = [];
  let start = 0;
  let n;
  if (count % 2 === 1) {
    n = (count + 1) / 2;
  } else {
    out.push([0, dash / 2], [length - dash / 2, length]);
    start = 1.5 * dash;
    n = count / 2 - 1;
  }
  for (let k = 0; k < n; k++) out.push([start + 2 * k * dash, start + 2 * k * dash + dash]);
  return out;
}

function el(doc, name, attrs) {
  const e = doc.createElementNS(SVG, name);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, String(v));
  return e;
}

const r3 = (v) => Math.round(v * 1000) / 1000;

// Renders LaTeX picture text as one <svg>. Options: document, katex,
// unit (pt per picture unit, 1cm by default), zoom (1 = 96 px per inch).
// Returns {svg, skipped: [{at, text}], box}.
export function renderPicture(tex, options = {}) {
  const doc = options.document || globalThis.document;
  const katex = options.katex || globalThis.katex;
  const unit = options.unit || UNITS.cm;
  const zoom = options.zoom || 1;
  const { box, items, skipped } = parsePicture(tex);
  const s = unit * PX_PER_PT * zoom;     // px per picture unit
  const pt = PX_PER_PT * zoom;           // px per pt
  const W = Math.max(box.w * s, 1);
  const H = Math.max(box.h * s, 1);
  const X = (x) => r3((x - box.x) * s);
  const Y = (y) => r3((box.y + box.h - y) * s);

  const svg = el(doc, 'svg', { xmlns: SVG, width: r3(W), height: r3(H),
    viewBox: `0 0 ${r3(W)} ${r3(H)}`, class: 'qld-picture', overflow: 'visible' });
  const ink = el(doc, 'g', { class: 'qld-lines', fill: 'none', stroke: '#000',
    'stroke-linecap': 'butt' });
  svg.appendChild(ink);
  let layer = null;

  for (const it of items) {
    const lw = r3(it.lw * pt);
    if (it.kind === 'line' || it.kind === 'vector') {
      const { x2, y2 } = it;
      const len = Math.hypot(x2 - it.x, y2 - it.y) * s;
      if (it.kind === 'vector' && len > 0) {
        // pict2e's head: width 3.2 lw + 1.5pt, length 1.52 widths, slightly
        // concave sides; the shaft stops where the head begins.
        const aw = (3.2 * it.lw + 1.5) * pt;
        const al = 1.52 * aw;
        const ux = (X(x2) - X(it.x)) / len, uy = (Y(y2) - Y(it.y)) / len;
        const tx = X(x2), ty = Y(y2);
        const bx = tx - ux * Math.min(al, len), by = ty - uy * Math.min(al, len);
        const mx = tx - ux * al / 2, my = ty - uy * al / 2;
        const nx = -uy, ny = ux;
        const p = (x, y) => `${r3(x)} ${r3(y)}`;
        ink.appendChild(el(doc, 'path', { class: 'qld-head', fill: '#000', stroke: 'none',
          d: `M${p(tx, ty)}Q${p(mx + nx * aw / 8, my + ny * aw / 8)} ${p(bx + nx * aw / 2, by + ny * aw / 2)}` +
             `L${p(bx - nx * aw / 2, by - ny * aw / 2)}Q${p(mx - nx * aw / 8, my - ny * aw / 8)} ${p(tx, ty)}Z` }));
        if (len > al) {
          ink.appendChild(el(doc, 'line', { x1: X(it.x), y1: Y(it.y), x2: r3(bx + ux * 0.5), y2: r3(by + uy * 0.5),
            'stroke-width': lw }));
        }
        continue;
      }
      ink.appendChild(el(doc, 'line', { x1: X(it.x), y1: Y(it.y), x2: X(x2), y2: Y(y2), 'stroke-width': lw }));
    } else if (it.kind === 'circle') {
      ink.appendChild(el(doc, 'circle', { cx: X(it.x), cy: Y(it.y), r: r3(Math.abs(it.r) * s), 'stroke-width': lw }));
    } else if (it.kind === 'disk') {
      ink.appendChild(el(doc, 'circle', { cx: X(it.x), cy: Y(it.y), r: r3(Math.abs(it.r) * s), fill: '#000', stroke: 'none' }));
    } else if (it.kind === 'rect') {
      // LaTeX's \frame puts its rules just outside the box.
      // A negative size lays the box out the other way from its point.
      const o = it.lw * pt / 2;
      const left = Math.min(it.x, it.x + it.w), top = Math.max(it.y, it.y + it.h);
      ink.appendChild(el(doc, 'rect', { x: r3(X(left) - o), y: r3(Y(top) - o),
        width: r3(Math.abs(it.w) * s + 2 * o), height: r3(Math.abs(it.h) * s + 2 * o), 'stroke-width': lw }));
    } else if (it.kind === 'dashrect') {
      let d = '';
      for (const [a, b] of dashes(it.w, it.dash)) {
        for (const yy of [it.y, it.y + it.h]) d += `M${X(it.x + a)} ${Y(yy)}H${X(it.x + b)}`;
      }
      for (const [a, b] of dashes(it.h, it.dash)) {
        for (const xx of [it.x, it.x + it.w]) d += `M${X(xx)} ${Y(it.y + a)}V${Y(it.y + b)}`;
      }
      ink.appendChild(el(doc, 'path', { class: 'qld-dashbox', d, 'stroke-width': lw }));
    } else if (it.kind === 'text') {
      if (!layer) {
        const fo = el(doc, 'foreignObject', { x: -MARGIN, y: -MARGIN, width: r3(W + 2 * MARGIN),
          height: r3(H + 2 * MARGIN), class: 'qld-texts' });
        layer = doc.createElementNS(XHTML, 'div');
        layer.setAttribute('style', `position:relative;width:100%;height:100%;font-size:${r3(TEXT_PT * pt)}px;` +
          'line-height:1;color:#000;pointer-events:none');
        fo.appendChild(layer);
        svg.appendChild(fo);
      }
      layer.appendChild(textBox(doc, katex, it, MARGIN + X(Math.min(it.x, it.x + it.w)),
        MARGIN + Y(Math.max(it.y, it.y + it.h)), Math.abs(it.w) * s, Math.abs(it.h) * s));
    }
  }
  return { svg, skipped, box };
}

// A box of w by h px with its top-left corner at (left, top), holding the
// text placed by the position letters as \makebox places it.
function textBox(doc, katex, it, left, top, w, h) {
  const div = doc.createElementNS(XHTML, 'div');
  const pos = it.pos;
  const justify = pos.includes('l') ? 'flex-start' : pos.includes('r') ? 'flex-end' : 'center';
  const align = pos.includes('t') ? 'flex-start' : pos.includes('b') ? 'flex-end' : 'center';
  div.setAttribute('class', 'qld-text');
  div.setAttribute('style', `position:absolute;left:${r3(left)}px;top:${r3(top)}px;width:${r3(w)}px;` +
    `height:${r3(h)}px;contain:layout style;display:flex;justify-content:${justify};align-items:${align};white-space:nowrap`);
  div.appendChild(typeset(doc, katex, it.text));
  return div;
}

// Typeset texts by their source, so that a redraw after a keystroke typesets
// only what changed; a copy of the kept node goes into each picture.
const typesetCache = new Map();
const CACHE_SIZE = 500;

function typeset(doc, katex, text) {
  const key = text;
  let node = typesetCache.get(key);
  if (!node || node.ownerDocument !== doc) {
    node = doc.createElementNS(XHTML, 'span');
    node.setAttribute('style', 'display:inline-block;flex:none');
    if (katex) {
      try {
        katex.render(`\\text{${text}}`, node, { throwOnError: false, trust: false, strict: 'ignore',
          output: 'html', maxExpand: 200, maxSize: 20 });
        // KaTeX scales its output by 1.21 for screens; LaTeX's sizes are wanted.
        if (node.firstElementChild) node.firstElementChild.style.fontSize = '1em';
      } catch (e) {
        node.textContent = text;
      }
    } else {
      node.textContent = text;
    }
    if (typesetCache.size >= CACHE_SIZE) typesetCache.delete(typesetCache.keys().next().value);
    typesetCache.set(key, node);
  }
  return node.cloneNode(true);
}
