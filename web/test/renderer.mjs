// The renderer alone, without a browser: what it reads from picture
// commands, in picture coordinates, and what it skips.
import { parsePicture, dashes, parseDimen } from '../src/render.js';
import { finish } from './harness.mjs';

const close = (a, b) => Math.abs(a - b) < 1e-9;
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
  ['\\multiput(0,0)(1,0){1000000000}{\\line(1,0){1}}', [], ['\\multiput(0,0)(1,0){1000000000}{\\line(1,0){1}}']],
  [DEEP + '\n\\put(0,0){\\line(1,0){1}}', [['line', 0, 0, 1, 0, 0.4]], [DEEP]],
];

const failures = [];
for (const [i, [tex, want, skipped]] of PICTURES.entries()) {
  const got = parsePicture(tex);
  const items = got.items.map(summary);
  if (want === null) {
    // The staircase of a sampler: 100 steps that climb 1 across 2 along.
    const last = got.items[got.items.length - 1];
    if (got.items.length !== 100 || !close(last.x2, 0.5) || !close(last.y, 0.2475)) failures.push(`picture ${i}: staircase`);
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

// \dashbox: an odd count of dash lengths starts and ends with a dash, an
// even count puts half dashes at the corners.
const DASHES = [
  [0.9, 0.1, [[0, 0.1], [0.2, 0.3], [0.4, 0.5], [0.6, 0.7], [0.8, 0.9]]],
  [1, 0.1, [[0, 0.05], [0.95, 1], [0.15, 0.25], [0.35, 0.45], [0.55, 0.65], [0.75, 0.85]]],
  [0.3, 0.1, [[0, 0.1], [0.2, 0.3]]],
];
for (const [len, d, want] of DASHES) {
  const got = dashes(len, d);
  if (got.length !== want.length || got.some(([a, b], k) => !close(a, want[k][0]) || !close(b, want[k][1]))) {
    failures.push(`dashes ${len}/${d}: ${JSON.stringify(got)}`);
  }
}

const UNITS = [['1cm', 28.45276], ['10mm', 28.45276], ['1in', 72.27], ['12pt', 12], ['cm', null], ['1 furlong', null]];
for (const [text, pt] of UNITS) {
  const got = parseDimen(text);
  if (pt === null ? got !== null : !(Math.abs(got - pt) < 1e-4)) failures.push(`unit ${text}: ${got}`);
}
finish('renderer', failures, PICTURES.length + 1 + DASHES.length + UNITS.length);
