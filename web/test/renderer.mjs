// The reader of pictures alone, without a browser: what it reads from
// picture commands, in picture coordinates, and what it skips; the limit
// on drawn items; TeX's arithmetic of dimensions and of \dashbox.
import { parsePicture, dashes, texDimen, timesDimen, STRIDE, KIND_NAMES, TEXT } from '../src/picture.js';
import { finish } from './harness.mjs';

const close = (a, b) => Math.abs(a - b) < 1e-9;
// The items of a reading as objects, as the tests below write them.
const itemsOf = (got) => {
  const out = [];
  for (let i = 0; i < got.count; i++) {
    const o = i * STRIDE;
    const v = got.items;
    const it = { kind: KIND_NAMES[v[o]], line: v[o + 1], lw: v[o + 2], x: v[o + 3], y: v[o + 4] };
    if (it.kind === 'line' || it.kind === 'vector') { it.x2 = v[o + 5]; it.y2 = v[o + 6]; }
    if (it.kind === 'circle' || it.kind === 'disk') it.r = v[o + 5];
    if (it.kind === 'rect' || it.kind === 'dashrect' || it.kind === 'text') { it.w = v[o + 5]; it.h = v[o + 6]; }
    if (it.kind === 'dashrect') it.dash = v[o + 7];
    if (v[o] === TEXT) { it.text = got.texts[v[o + 7]].text; it.pos = got.texts[v[o + 7]].pos; }
    out.push(it);
  }
  return out;
};
const summary = (it) => {
  const keys = { line: ['x', 'y', 'x2', 'y2'], vector: ['x', 'y', 'x2', 'y2'], circle: ['x', 'y', 'r'],
    disk: ['x', 'y', 'r'], rect: ['x', 'y', 'w', 'h'], dashrect: ['x', 'y', 'w', 'h', 'dash'],
    text: ['x', 'y', 'w', 'h'] }[it.kind];
  return [it.kind, ...keys.map((k) => it[k]), it.kind === 'text' ? it.pos + ':' + it.text : it.lw];
};

// Nesting deeper than any stack holds.
const DEEP = '\\put(0,0){'.repeat(20000) + '\\line(1,0){1}' + '}'.repeat(20000);

// [LaTeX, the items it draws as summaries, the texts skipped]
const PICTURES = [
  ['\\put(1,2){\\vector(3,2){1.5}}', [['vector', 1, 2, 2.5, 3, 0.4]], []],
  ['\\put(0,0){\\line(0,-1){2}}\n\\put(1,1){\\line(-1,0){0.5}}',
    [['line', 0, 0, 0, -2, 0.4], ['line', 1, 1, 0.5, 1, 0.4]], []],
  ['\\put(3.3,2.6){\\put(-1.35,-0.5){\\vector(3,2){1.5}}}', [['vector', 1.95, 2.1, 3.45, 3.1, 0.4]], []],
  ['\\put(1,2){\\line(1,0){0.05}} \\multiput(1.05,2)(0.2,0){2}{\\line(1,0){0.1}} \\put(1.45,2){\\vector(1,0){0.15}}',
    [['line', 1, 2, 1.05, 2, 0.4], ['line', 1.05, 2, 1.15, 2, 0.4], ['line', 1.25, 2, 1.35, 2, 0.4],
     ['vector', 1.45, 2, 1.6, 2, 0.4]], []],
  ['\\multiput(0,0)(1,0){-1}{\\line(1,0){1}}', [], []],
  ['{\\thicklines\\put(1,0.5){\\framebox(2,1){A}}}\n\\put(0,0){\\line(1,0){1}}',
    [['rect', 1, 0.5, 2, 1, 0.8], ['text', 1, 0.5, 2, 1, ':A'], ['line', 0, 0, 1, 0, 0.4]], []],
  ['\\thicklines\n\\put(0,0){\\line(1,1){1}}\n\\thinlines\n\\put(0,0){\\circle{0.3}}\n\\put(1,1){\\circle*{0.08}}',
    [['line', 0, 0, 1, 1, 0.8], ['circle', 0, 0, 0.15, 0.4], ['disk', 1, 1, 0.04, 0.4]], []],
  ['\\put(1,0.5){\\dashbox{0.1}(2,1){}}\n\\put(2,1.7){\\makebox(0,0)[b]{Gain}}',
    [['dashrect', 1, 0.5, 2, 1, 0.1, 0.4], ['text', 2, 1.7, 0, 0, 'b:Gain']], []],
  ['\\begin{picture}(3,2)(-0.5,-0.2)\n% a remark\n\\qbezier(0,0)(1,1)(2,0)\n\\put(0,0){\\oval(1,1)}\n\\put(0,0){\\line(1,0){1}}\n\\end{picture}\n',
    [['line', 0, 0, 1, 0, 0.4]], ['\\qbezier(0,0)(1,1)(2,0)', '\\put(0,0){\\oval(1,1)}']],
  ['\\put(0,0){\\line(1,0){1}\n', [], ['\\put(0,0){\\line(1,0){1}']],
  ['\\multiput(0,0)(0.005,0.0025){100}{\\line(1,0){0.005}}', null, []],
  ['\\multiput(0,0)(1,0){-3}{\\line(1,0){1}}\n\\put(1,0){\\makebox(0,0)[tl]{x}}', [['text', 1, 0, 0, 0, 'tl:x']], []],
  [DEEP + '\n\\put(0,0){\\line(1,0){1}}', [['line', 0, 0, 1, 0, 0.4]], [DEEP]],
];

const failures = [];
for (const [i, [tex, want, skipped]] of PICTURES.entries()) {
  const got = parsePicture(tex);
  const all = itemsOf(got);
  const items = all.map(summary);
  if (want === null) {
    // The staircase of a sampler: 100 steps that climb 1 across 2 along.
    const last = all[all.length - 1];
    if (all.length !== 100 || !close(last.x2, 0.5) || !close(last.y, 0.2475)) failures.push(`picture ${i}: staircase`);
  } else if (items.length !== want.length ||
      items.some((it, k) => it.some((v, j) => (typeof v === 'number' ? !close(v, want[k][j]) : v !== want[k][j])))) {
    failures.push(`picture ${i}: ${JSON.stringify(items)}`);
  }
  const texts = got.skipped.map((s) => s.text);
  if (JSON.stringify(texts) !== JSON.stringify(skipped)) failures.push(`picture ${i}: skipped ${JSON.stringify(texts)}`);
  for (const s of got.skipped) if (!tex.startsWith(s.text, s.at)) failures.push(`picture ${i}: offset of '${s.text}'`);
}

const header = parsePicture('\\begin{picture}(8.7,2.8)(-0.3,-0.2)\n\\end{picture}\n').box;
if (JSON.stringify(header) !== JSON.stringify({ x: -0.3, y: -0.2, w: 8.7, h: 2.8 })) failures.push(`box ${JSON.stringify(header)}`);

// TeX's dimensions and \dashbox counts, as TeX itself computed them:
// [\unitlength, side, dash, \unitlength in sp, side in sp, dash in sp, count].
const TEX = [
  ['1cm', '0.9', '0.1', 1864679, 1678199, 186479, 9], ['1cm', '1', '0.1', 1864679, 1864679, 186479, 10],
  ['1cm', '0.3', '0.1', 1864679, 559409, 186479, 3], ['1cm', '1.2', '0.08', 1864679, 2237609, 149177, 15],
  ['1cm', '2.05', '0.15', 1864679, 3822597, 279690, 13], ['5mm', '7.3', '0.13', 932339, 6806077, 121208, 56],
  ['1in', '0.333', '0.07', 4736286, 1577147, 331574, 4], ['12.5pt', '3.7', '0.11', 819200, 3031037, 90112, 33],
  ['1cm', '-1.5', '0.1', 1864679, -2797018, 186479, -14], ['1bp', '10', '1', 65781, 657810, 65781, 10],
  ['1dd', '1.1', '0.3', 70124, 77136, 21037, 3], ['0.7cc', '2', '0.5', 589039, 1178078, 294519, 4],
];
for (const [unit, side, dash, u, l, d, count] of TEX) {
  const got = [texDimen(unit), timesDimen(side, u), timesDimen(dash, u)];
  if (JSON.stringify(got) !== JSON.stringify([u, l, d])) failures.push(`dimensions of ${side}/${dash} at ${unit}: ${got}`);
  // An odd count: (count + 1) / 2 whole dashes from the corner; an even
  // one: half dashes at both corners and count / 2 - 1 whole ones between.
  const ds = dashes(l, d);
  // A negative side keeps the corner pieces and nothing between, as in TeX.
  const want = count % 2 ? Math.max(0, Math.trunc((count + 1) / 2)) : 2 + Math.max(0, count / 2 - 1);
  if (ds.length !== want || ds[0][0] !== 0) failures.push(`dashes of ${side}/${dash} at ${unit}: ${JSON.stringify(ds)}`);
  if (count % 2 === 0) {
    const half = Math.trunc(d / 2);
    if (ds[0][1] !== half || ds[1][0] !== l - half || (ds.length > 2 && ds[2][0] !== 3 * half)) failures.push(`half dashes of ${side}/${dash}: ${JSON.stringify(ds.slice(0, 3))}`);
  }
}

// The limit on drawn items: a multiput of multiputs is counted, not drawn,
// and what follows the cut is counted too.
const huge = parsePicture('\\put(0,0){\\line(1,0){1}}\n\\multiput(0,0)(0.05,0){100}{{\\multiput(0,0)(0,0.0005){10000}{\\circle{0.001}}}}\n' +
  '\\put(1,1){\\circle{1}}\n', { max: 1000, ends: [0, 25, 104, 126] });
if (huge.count !== 1 || !huge.cut || huge.cut.count !== 1000001 || huge.cut.line !== 2) failures.push(`limit: ${huge.count} ${JSON.stringify(huge.cut)}`);
const endless = parsePicture('\\multiput(0,0)(1,0){10000}{\\multiput(0,0)(0,1){10000}{\\line(1,0){1}}}\n');
if (endless.count !== 0 || endless.cut.count !== 1e8) failures.push(`limit of 10000 x 10000: ${JSON.stringify(endless.cut)}`);

const UNITS = [['1cm', 1864679], ['10mm', 1864679], ['1in', 4736286], ['12pt', 786432], ['-.5 pt', -32768],
  ['cm', null], ['1 furlong', null], ['', null], ['1cm2', null]];
for (const [text, sp] of UNITS) {
  const got = texDimen(text);
  if (got !== sp) failures.push(`unit ${text}: ${got}`);
}
finish('renderer', failures, PICTURES.length + 1 + TEX.length + 2 + UNITS.length);
