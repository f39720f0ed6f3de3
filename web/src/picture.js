// Reads a LaTeX picture environment into a flat list of drawn items: the
// picture commands Quillard writes (\put, \line, \vector, \multiput,
// \circle, \circle*, \framebox, \dashbox, \makebox, \thicklines,
// \thinlines, \linethickness) and the same commands written by hand in '%'
// lines. Whatever is not understood is skipped and reported with its source
// line, never dropped silently. Runs in the page's worker and under node;
// it touches no document.
//
// Lengths that LaTeX computes in scaled points (the dashes of \dashbox) are
// computed here as TeX computes them: decimal factors rounded to 2^-16,
// products truncated, counts divided as integers.

export const THIN = 0.4;    // pt
export const THICK = 0.8;   // pt
export const SP_PER_PT = 65536;
// At most this many items are drawn in all; what lies beyond is reported.
export const MAX_ITEMS = 100000;

// The kinds of item, and the layout of one item in the item array: kind,
// source line, line width (pt), x, y, then a to f by kind:
//   line, vector: a, b = the end point
//   circle, disk: a = the radius
//   rect: a, b = width and height
//   dashrect: a, b = width and height, c = dash, d, e, f = width, height
//     and dash in sp as TeX reads them
//   text: a, b = width and height of the box, c = index into the texts
export const LINE = 1;
export const VECTOR = 2;
export const CIRCLE = 3;
export const DISK = 4;
export const RECT = 5;
export const DASHRECT = 6;
export const TEXT = 7;
export const KIND_NAMES = ['', 'line', 'vector', 'circle', 'disk', 'rect', 'dashrect', 'text'];
export const STRIDE = 11;

// ------------------------------------------------------------ TeX numbers

// TeX's x * n / d for a dimension x, truncated towards zero.
function xnOverD(x, n, d) {
  const p = Math.abs(x) * n;
  const q = Math.floor(p / d);
  return { q: x < 0 ? -q : q, rem: p - q * d };
}

// A decimal text split as TeX scans it: sign, integer part, and the
// fraction rounded to a multiple of 2^-16 from its first 17 digits. null
// when it is no plain decimal.
function decimal(text) {
  const m = /^\s*([-+]*)\s*(\d*)(?:[.,](\d*))?\s*$/.exec(text);
  if (!m || (m[2] === '' && (m[3] === undefined || m[3] === ''))) return null;
  const negative = (m[1].match(/-/g) || []).length % 2 === 1;
  const int = m[2] === '' ? 0 : Number(m[2]);
  const digits = (m[3] || '').slice(0, 17);
  let a = 0;
  for (let k = digits.length - 1; k >= 0; k--) a = Math.floor((a + Number(digits[k]) * 131072) / 10);
  return { negative, int, f: Math.floor((a + 1) / 2) };
}

// factor * dimension (sp), as TeX reads '<factor>\unitlength'.
export function timesDimen(factor, sp) {
  const d = decimal(String(factor));
  if (!d || d.int >= 16384) return null;
  const v = d.int * sp + xnOverD(sp, d.f, 65536).q;
  return d.negative ? -v : v;
}

const UNIT_RATIO = { pt: [1, 1], in: [7227, 100], pc: [12, 1], cm: [7227, 254], mm: [7227, 2540],
  bp: [7227, 7200], dd: [1238, 1157], cc: [14856, 1157] };
const FONT_UNITS = { em: 655361, ex: 282168 };   // of the document's 10pt font

// A dimension such as '1cm' or '0.5 pt' in sp, as TeX scans it, or null.
export function texDimen(text) {
  const m = /^\s*([-+]?\s*\d*(?:[.,]\d*)?)\s*(pt|in|pc|cm|mm|bp|dd|cc|sp|em|ex)\s*$/.exec(text);
  if (!m) return null;
  const d = decimal(m[1]);
  if (!d || d.int >= 16384) return null;
  let v;
  if (m[2] === 'sp') v = d.int;
  else if (m[2] in FONT_UNITS) v = d.int * FONT_UNITS[m[2]] + xnOverD(FONT_UNITS[m[2]], d.f, 65536).q;
  else {
    const [num, den] = UNIT_RATIO[m[2]];
    let int = d.int, f = d.f;
    if (num !== 1 || den !== 1) {
      const r = xnOverD(int, num, den);
      f = Math.floor((num * f + 65536 * r.rem) / den);
      int = r.q + Math.floor(f / 65536);
      f %= 65536;
    }
    if (int >= 16384) return null;
    v = int * 65536 + f;
  }
  return d.negative ? -v : v;
}

// The dashes of one side of a \dashbox as [from, to] in sp along the side,
// for a side of length sp and a dash of dash sp, laid out as LaTeX's
// \dashbox lays them: the count of dash lengths in the side (plus 200sp,
// divided as integers); an odd count starts and ends with a whole dash, an
// even one with half dashes at the corners.
export function dashes(length, dash) {
  if (dash === 0) return [];   // TeX refuses to divide: no dash is drawn
  const trunc = (x) => (x < 0 ? Math.ceil(x) : Math.floor(x));
  let count = trunc((length + 200) / dash);
  const out = [];
  let start;
  if (count % 2 !== 0) {
    start = 0;
    count = trunc((count + 1) / 2);
  } else {
    const half = trunc(dash / 2);
    if (half > 0) out.push([0, half], [length - half, length]);
    count = trunc(count / 2) - 1;
    start = 3 * half;
  }
  if (dash > 0) for (let k = 0; k < count; k++) out.push([start + 2 * k * dash, start + 2 * k * dash + dash]);
  return out;
}

// ------------------------------------------------------------- the reader

class Unknown extends Error {}

// The number written in s from a to b (blanks around it allowed): digits
// with at most one '.', a sign, an exponent; else the text is not read.
function decimalAt(s, a, b) {
  while (a < b && isBlank(s.charCodeAt(a))) a++;
  while (b > a && isBlank(s.charCodeAt(b - 1))) b--;
  let i = a;
  let c = s.charCodeAt(i);
  if (c === 43 || c === 45) c = s.charCodeAt(++i);
  let digits = 0, dots = 0;
  for (; i < b; c = s.charCodeAt(++i)) {
    if (c >= 48 && c <= 57) digits++;
    else if (c === 46 && dots === 0) dots++;
    else break;
  }
  if (digits === 0) throw new Unknown('number');
  if (i < b && (c === 101 || c === 69)) {
    c = s.charCodeAt(++i);
    if (c === 43 || c === 45) c = s.charCodeAt(++i);
    let e = 0;
    for (; i < b && c >= 48 && c <= 57; c = s.charCodeAt(++i)) e++;
    if (e === 0) throw new Unknown('number');
  }
  if (i !== b) throw new Unknown('number');
  return parseFloat(s.slice(a, b));
}
class Full extends Error {
  constructor(count) { super('full'); this.count = count; }
}

const isBlank = (c) => c === 32 || c === 10 || c === 9 || c === 13 || c === 12;

// A cursor over the LaTeX text.
class Scanner {
  constructor(text) { this.s = text; this.i = 0; }
  blank() {
    const s = this.s;
    for (;;) {
      while (this.i < s.length && isBlank(s.charCodeAt(this.i))) this.i++;
      if (s.charCodeAt(this.i) !== 37) return;   // '%'
      const nl = s.indexOf('\n', this.i);
      this.i = nl < 0 ? s.length : nl;
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
    const s = this.s;
    if (s.charCodeAt(this.i) !== 92) return null;   // '\\'
    let j = this.i + 1;
    for (let c = s.charCodeAt(j); (c >= 65 && c <= 90) || (c >= 97 && c <= 122); c = s.charCodeAt(++j));
    if (j === this.i + 1) return s[j] === undefined ? null : s[j];
    if (s.charCodeAt(j) === 42) j++;   // '*'
    return s.slice(this.i + 1, j);
  }
  take(name) { this.blank(); this.i += name.length + 1; }
  // The text between balanced braces, the braces consumed.
  group() {
    this.eat('{');
    const start = this.i;
    let depth = 1;
    const s = this.s;
    while (this.i < s.length) {
      const ch = s[this.i++];
      if (ch === '\\') this.i++;
      else if (ch === '{') depth++;
      else if (ch === '}' && --depth === 0) return s.slice(start, this.i - 1);
    }
    throw new Unknown('{');
  }
  number(text) {
    return decimalAt(text, 0, text.length);
  }
  // '(a,b)': its two numbers are left in a and b.
  pair() {
    this.eat('(');
    const s = this.s;
    const comma = s.indexOf(',', this.i);
    const end = s.indexOf(')', this.i);
    if (end < 0 || comma < 0 || comma > end) throw new Unknown('(');
    const second = s.indexOf(',', comma + 1);
    if (second >= 0 && second < end) throw new Unknown('(');
    this.a = decimalAt(s, this.i, comma);
    this.b = decimalAt(s, comma + 1, end);
    this.from = this.i;
    this.comma = comma;
    this.i = end + 1;
  }
  // The texts of the last pair's numbers.
  pairTexts() {
    return [this.s.slice(this.from, this.comma).trim(), this.s.slice(this.comma + 1, this.i - 1).trim()];
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

// The source line of each offset of the picture: ends[0] is the end of the
// header, ends[k] the end of the LaTeX of source line k. Offsets before
// the first line's output belong to line 0.
export function lineFinder(ends) {
  let last = 1;
  return (at) => {
    if (!ends || ends.length === 0) return 0;
    if (at < ends[0]) return 0;
    // Offsets come in increasing order: look on from the last answer.
    if (!(last < ends.length && at >= ends[last - 1])) last = 1;
    while (last < ends.length && at >= ends[last]) last++;
    return last < ends.length ? last : ends.length - 1;
  };
}

// Reads the picture. Options: ends (see lineFinder), unit (\unitlength in
// sp, for \dashbox), max (the most items drawn). Returns
//   box: the picture's size and offset, or null
//   items: a Float64Array of count items of STRIDE numbers each
//   texts: [{text, pos}], indexed by the items' c
//   skipped: [{at, line, text}] what could not be read
//   cut: null, or {line, count}: from that line on, count items were left
//     out to keep within max
//   lineStart: the index of the first item of each source line (length
//     lines + 1, so that line k's items are lineStart[k] to lineStart[k+1])
//   lineWidth: the line width in force where each source line begins
//   whole: 1 for a line whose output was read on its own, 0 where a
//     command reaches into the next line's output
export function parsePicture(tex, options = {}) {
  const unit = options.unit || texDimen('1cm');
  const max = options.max ?? MAX_ITEMS;
  const ends = options.ends || null;
  const lineOf = lineFinder(ends);
  const sc = new Scanner(tex);
  let items = new Float64Array(STRIDE * 1024);
  let count = 0;
  const texts = [];
  const skipped = [];
  let box = null;
  const state = { lw: THIN };
  let line = 0;
  // Past the limit items are only counted.
  let counting = false;
  let counted = 0;

  function room(n) {
    if (n * STRIDE > items.length) {
      const more = new Float64Array(Math.max(n * STRIDE, items.length * 2));
      more.set(items);
      items = more;
    }
  }

  function push(kind, lw, x, y, a = 0, b = 0, c = 0, d = 0, e = 0, f = 0) {
    if (counting) { counted++; return; }
    if (count >= max) throw new Full();
    room(count + 1);
    const o = count * STRIDE;
    items[o] = kind; items[o + 1] = line; items[o + 2] = lw; items[o + 3] = x; items[o + 4] = y;
    items[o + 5] = a; items[o + 6] = b; items[o + 7] = c; items[o + 8] = d; items[o + 9] = e; items[o + 10] = f;
    count++;
  }

  // One object placed at (x, y).
  function object(x, y, st) {
    const c = sc.command();
    if (c === null) {
      if (sc.peek() === '{') { groupItems(x, y, st); return; }
      throw new Unknown('object');
    }
    if (c === 'put') {
      sc.take(c);
      sc.pair();
      object(x + sc.a, y + sc.b, st);
      return;
    }
    if (c === 'line' || c === 'vector') {
      sc.take(c);
      sc.pair();
      const sx = sc.a, sy = sc.b;
      const len = sc.number(sc.group());
      if (sx === 0 && sy === 0) throw new Unknown(c);
      let dx, dy;
      if (sx === 0) { dx = 0; dy = Math.sign(sy) * len; }
      else { dx = Math.sign(sx) * len; dy = dx * sy / sx; }
      push(c === 'line' ? LINE : VECTOR, st.lw, x, y, x + dx, y + dy);
      return;
    }
    if (c === 'circle' || c === 'circle*') {
      sc.take(c);
      const d = sc.number(sc.group());
      push(c === 'circle' ? CIRCLE : DISK, st.lw, x, y, d / 2);
      return;
    }
    if (c === 'framebox' || c === 'makebox' || c === 'dashbox') {
      sc.take(c);
      let dash = 0, dashText = '';
      if (c === 'dashbox') { dashText = sc.group(); dash = sc.number(dashText); }
      if (sc.peek() !== '(') throw new Unknown(c);
      sc.pair();
      const w = sc.a, h = sc.b;
      const [wText, hText] = c === 'dashbox' ? sc.pairTexts() : ['', ''];
      const pos = sc.option();
      if (!/^[lrtbs]*$/.test(pos)) throw new Unknown(pos);
      const text = sc.group();
      if (c === 'framebox') push(RECT, st.lw, x, y, w, h);
      if (c === 'dashbox') {
        const sp = [wText, hText, dashText].map((t) => timesDimen(t, unit));
        if (sp.includes(null)) throw new Unknown(c);
        push(DASHRECT, st.lw, x, y, w, h, dash, sp[0], sp[1], sp[2]);
      }
      if (text.trim() !== '') {
        if (!counting) texts.push({ text, pos });
        push(TEXT, st.lw, x, y, w, h, texts.length - 1);
      }
      return;
    }
    if (c === 'thicklines' || c === 'thinlines') {
      sc.take(c);
      st.lw = c === 'thicklines' ? THICK : THIN;
      return;
    }
    if (c === 'linethickness') {
      sc.take(c);
      const sp = texDimen(sc.group());
      if (sp === null) throw new Unknown(c);
      st.lw = sp / SP_PER_PT;
      return;
    }
    throw new Unknown(c);
  }

  // A braced group of objects: the line thickness set inside stays inside.
  function groupItems(x, y, st) {
    sc.eat('{');
    const inner = { lw: st.lw };
    while (sc.peek() !== '}') {
      if (sc.i >= tex.length) throw new Unknown('{');
      if (sc.command() === 'multiput') multiput(x, y, inner);
      else object(x, y, inner);
    }
    sc.i++;
  }

  // The object once, to learn its items; the copies follow by offset.
  function multiput(x, y, st) {
    sc.take('multiput');
    sc.pair();
    const x0 = sc.a, y0 = sc.b;
    sc.pair();
    const dx = sc.a, dy = sc.b;
    const n = Math.floor(sc.number(sc.group()));
    const first = counting ? counted : count;
    const textsBefore = texts.length;
    object(x + x0, y + y0, st);
    if (counting) {
      const made = counted - first;
      counted = first + made * Math.max(n, 0);
      return;
    }
    const made = count - first;
    if (n <= 0) { count = first; texts.length = textsBefore; return; }
    if (first + made * n > max) throw new Full();
    room(first + made * n);
    for (let k = 1; k < n; k++) {
      for (let j = 0; j < made; j++) {
        const from = (first + j) * STRIDE, to = (first + k * made + j) * STRIDE;
        for (let q = 0; q < STRIDE; q++) items[to + q] = items[from + q];
        items[to + 3] += k * dx;
        items[to + 4] += k * dy;
        const kind = items[to];
        if (kind === LINE || kind === VECTOR) { items[to + 5] += k * dx; items[to + 6] += k * dy; }
      }
    }
    count = first + made * n;
  }

  // Skips what could not be read from at to the end of its line, and to the
  // end of the lines its braces keep open.
  function skip(at, report) {
    let depth = 0;
    let i = at;
    for (; i < tex.length; i++) {
      const ch = tex[i];
      if (ch === '\\') { i++; continue; }
      if (ch === '{') depth++;
      else if (ch === '}') depth--;
      else if (ch === '\n' && depth <= 0) break;
    }
    if (report) skipped.push({ at, line: lineOf(at), text: tex.slice(at, i).trim() });
    sc.i = i;
  }

  const lines = ends ? Math.max(ends.length - 1, 0) : 0;
  const lineStart = new Int32Array(lines + 2);
  const lineWidth = new Float32Array(lines + 2);
  const whole = new Uint8Array(lines + 2).fill(1);
  let filled = 0;   // lines whose start has been recorded
  // Records the start of every line up to the one that holds offset at.
  function reach(upto) {
    while (filled <= upto && filled <= lines + 1) {
      lineStart[filled] = count;
      lineWidth[filled] = state.lw;
      filled++;
    }
  }

  let cut = null;
  // One statement: the header, the closing line, or an object at (0,0).
  function statement() {
    const c = sc.command();
    if (c === 'begin') {
      sc.take(c);
      if (sc.group() !== 'picture') throw new Unknown('begin');
      sc.pair();
      const w = sc.a, h = sc.b;
      let x0 = 0, y0 = 0;
      if (sc.peek() === '(') { sc.pair(); x0 = sc.a; y0 = sc.b; }
      if (!box && !counting) box = { x: x0, y: y0, w, h };
    } else if (c === 'end') {
      sc.take(c);
      if (sc.group() !== 'picture') throw new Unknown('end');
    } else if (c === 'multiput') {
      multiput(0, 0, state);
    } else {
      object(0, 0, state);
    }
  }

  while (sc.peek() !== undefined) {
    const at = sc.i;
    line = ends ? lineOf(at) : 0;
    reach(line);
    const first = count;
    const textsBefore = texts.length;
    const lw = state.lw;
    try {
      statement();
    } catch (e) {
      count = first;
      texts.length = textsBefore;
      state.lw = lw;
      sc.i = at;
      if (e instanceof Full) {
        // From here on items are counted, not drawn.
        counting = true;
        cut = { line, count: 0 };
        try { statement(); } catch (e2) { skip(at, false); }
      } else {
        // Anything that cannot be read, nesting too deep for the stack
        // included, is skipped and reported.
        skip(at, !counting);
      }
    }
    // A statement that ends past its line's output makes the lines it
    // reaches into depend on it.
    if (ends) {
      const last = lineOf(Math.max(sc.i - 1, at));
      for (let k = line; k <= last && last > line; k++) whole[k] = 0;
    }
  }
  reach(lines + 1);
  if (cut) cut.count = counted;
  return { box, items: items.subarray(0, count * STRIDE), count, texts, skipped, cut,
    lineStart, lineWidth, whole };
}
