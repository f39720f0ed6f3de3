// Help with the geometry. Every drawn element inside '#preview svg' (texts
// by their boxes) carries data-line, the line that drew it: with -h, each
// line number quillard writes into the picture is a text whose data-line
// is that number, and every element lies on a line of the source that
// draws. Hovering an element shows its line's source text and its
// coordinates, which are where the line's LaTeX puts it; a click puts the
// editor's cursor on that line; the cursor's line lights exactly its
// elements, without changing the ink. The grid has its lines a unit
// apart, the origin marked where the picture's (0,0) is; a label's marker
// sits where the label was defined, with its name.
import { needBrowser, withBrowser, openPage, examples, programOutput, finish, settled } from './harness.mjs';
import { decodePng } from './images.mjs';
import { encodeFragment } from '../src/share.js';

// [source, {label: the element's data-line and end ('start' or 'end') it lies at}]
const GEOMETRY = [
  ['n (A)\nr (2)\nn (B)\nu (1.5)\nk (C)\nl (1)\n', { A: [2, 'start'], B: [2, 'end'], C: [4, 'end'] }],
  ['x (-1.5)\ny (0.5)\nn (P)\nr (1.25)\nd (1)\nn (Q)\n', { P: [4, 'start'], Q: [5, 'end'] }],
];
const DRAWS = /^[ \t]*-?[ \t]*[rRuUlLdDbBakcspmxyXYg%]/;

const puppeteer = await needBrowser();
const failures = [];
let total = 0;

// The elements of the preview's svg: their line, kind, box and, for lines
// and arrows, their two ends (in page px).
async function elements(page) {
  return page.evaluate(() => [...document.querySelectorAll('#preview svg .qld-lines *')]
    .filter((e) => e.localName !== 'g').map((e) => {
      const b = e.getBoundingClientRect();
      const out = { tag: e.localName, cls: e.getAttribute('class') || '', line: e.getAttribute('data-line'),
        box: [b.left, b.top, b.right, b.bottom] };
      if (e.localName === 'line') {
        const m = e.getScreenCTM();
        const p = (x, y) => { const q = new DOMPoint(x, y).matrixTransform(m); return [q.x, q.y]; };
        out.ends = [p(e.x1.baseVal.value, e.y1.baseVal.value), p(e.x2.baseVal.value, e.y2.baseVal.value)];
      }
      return out;
    }));
}

await withBrowser(puppeteer, async (browser) => {
  // data-line on every element, and as -h numbers the lines.
  for (const ex of examples()) {
    total++;
    const letters = ex.letters.includes('h') ? ex.letters : ex.letters + 'h';
    const { page } = await openPage(browser, 'index.html', encodeFragment({ ...ex, letters }));
    await settled(page);
    const els = await elements(page);
    const lines = ex.source.split('\n');
    const bad = els.filter((e) => !/^\d+$/.test(e.line || '') || !DRAWS.test(lines[Number(e.line) - 1] || ''));
    if (!els.length || bad.length) failures.push(`${ex.name}: ${bad.length} of ${els.length} elements without the line that drew them (${JSON.stringify(bad[0])})`);
    const numbers = [...programOutput(ex.source, letters, ex.conf).tex.matchAll(/\\scriptsize (\d+)\$ r \$/g)].map((m) => m[1]);
    const texts = await page.$$eval('#preview .qld-text', (ds) => ds.map((d) => [d.textContent.replace(/\s/g, ''), d.dataset.line]));
    const numbered = texts.filter(([t]) => /^\d+r$/.test(t));
    const wrong = numbered.filter(([t, n]) => t !== n + 'r');
    const boxes = els.filter((e) => e.cls === 'qld-text-box').length;
    if (numbered.length !== numbers.length || wrong.length || boxes !== texts.length) {
      failures.push(`${ex.name}: ${numbers.length} numbers written by -h, ${numbered.length} shown, ${wrong.length} on another line; ${boxes} text boxes for ${texts.length} texts`);
    }
    await page.close();
  }

  // Hover, click and the cursor's line, on the elements of one example.
  const ex = examples().find((e) => e.name === 'feedback');
  const { page } = await openPage(browser, 'index.html', encodeFragment(ex));
  await settled(page);
  const tex = await page.$eval('#tex', (e) => e.textContent);
  const lines = ex.source.split('\n');
  const shot = async () => {
    const r = await page.$eval('#preview svg', (e) => { const b = e.getBoundingClientRect(); return { x: b.x, y: b.y, width: b.width, height: b.height }; });
    const img = decodePng(await page.screenshot({ clip: r }));
    return img.grey.reduce((n, g) => n + (g < 200), 0);
  };
  const plainInk = await shot();
  const long = (await elements(page)).filter((e) => e.tag === 'line' && Math.hypot(e.ends[1][0] - e.ends[0][0], e.ends[1][1] - e.ends[0][1]) > 30);
  for (const e of long.slice(0, 6)) {
    total++;
    const x = (e.ends[0][0] + e.ends[1][0]) / 2, y = (e.ends[0][1] + e.ends[1][1]) / 2;
    await page.mouse.move(x, y);
    // The tip follows the mouse a frame later: until then it may still show
    // the element hovered before.
    await page.waitForFunction((n) => {
      const t = document.getElementById('tip');
      return !t.hidden && t.textContent.startsWith(`line ${n}:`);
    }, { timeout: 2000 }, e.line).catch(() => {});
    const tip = await page.$eval('#tip', (t) => (t.hidden ? '' : t.textContent));
    const m = /^line (\d+): (.*)\n\w+ from \(([-\d.]+),([-\d.]+)\)/.exec(tip);
    if (!m || m[1] !== e.line || m[2] !== lines[Number(e.line) - 1].trim() || !tex.includes(`\\put(${m[3]},${m[4]})`)) {
      failures.push(`hover on a line of line ${e.line}: '${tip}'`);
    }
    await page.mouse.click(x, y);
    const cursor = await page.$eval('#editor textarea', (t) => t.value.slice(0, t.selectionStart).split('\n').length);
    if (String(cursor) !== e.line) failures.push(`click on a line of line ${e.line}: the cursor is on line ${cursor}`);
  }
  // The cursor's line lights what it drew, and only that, for every line
  // that drew something.
  await page.mouse.move(1, 1);
  const drawing = [...new Set((await elements(page)).map((e) => e.line))].sort((a, b) => a - b);
  for (const n of drawing) {
    total++;
    await page.evaluate((n) => {
      const t = document.querySelector('#editor textarea');
      const at = t.value.split('\n').slice(0, n - 1).join('\n').length + (n > 1 ? 1 : 0);
      t.focus();
      t.setSelectionRange(at, at);
    }, Number(n));
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0))));
    const got = await page.evaluate((n) => {
      const lit = [...document.querySelectorAll('#preview .qld-lit')];
      const drawn = [...document.querySelectorAll(`#preview svg .qld-lines [data-line="${n}"]:not(.qld-text-box), #preview .qld-text[data-line="${n}"]`)];
      return { lit: lit.length, same: lit.length === drawn.length && drawn.every((d) => lit.includes(d)) };
    }, n);
    if (!got.lit || !got.same) failures.push(`cursor on line ${n}: ${got.lit} elements lit, not those it drew`);
    const litInk = await shot();
    if (Math.abs(litInk - plainInk) > 0.05 * plainInk) failures.push(`cursor on line ${n}: the ink changed from ${plainInk} to ${litInk} px`);
  }
  await page.close();

  // The grid and the label markers, against the lines that were drawn.
  for (const [source, labels] of GEOMETRY) {
    total++;
    const { page } = await openPage(browser, 'index.html', encodeFragment({ source }));
    await page.click('#aid-grid');
    await page.click('#aid-labels');
    await settled(page);
    const els = await elements(page);
    const at = (line, end) => { const e = els.find((x) => x.line === String(line)); return e && (end === 'start' ? e.ends[0] : e.ends[1]); };
    const aids = await page.evaluate(() => {
      const under = document.getElementById('underlay');
      const m = under.getScreenCTM();
      const p = (x, y) => { const q = new DOMPoint(x, y).matrixTransform(m); return [q.x, q.y]; };
      const major = under.querySelector('.qld-grid-major')?.getAttribute('d') || '';
      const xs = [...major.matchAll(/M([-\d.]+) [-\d.]+V/g)].map((g) => p(Number(g[1]), 0)[0]).sort((a, b) => a - b);
      const origin = under.querySelector('.qld-origin');
      const o = origin ? /M([-\d.]+) ([-\d.]+)H/.exec(origin.getAttribute('d')) : null;
      const markers = [...document.querySelectorAll('#overlay .qld-label')].map((g) => {
        const c = g.querySelector('circle');
        const q = new DOMPoint(c.cx.baseVal.value, c.cy.baseVal.value).matrixTransform(document.getElementById('overlay').getScreenCTM());
        return { name: g.dataset.name, text: g.textContent, at: [q.x, q.y] };
      });
      return { xs, origin: o ? p(Number(o[1]) + 7, Number(o[2])) : null, markers };
    });
    const near = (a, b) => a && b && Math.hypot(a[0] - b[0], a[1] - b[1]) < 1;
    const steps = aids.xs.slice(1).map((x, i) => x - aids.xs[i]);
    // One unit: the first line's length over its operand.
    const first = els.find((e) => e.tag === "line");
    const unit = Math.hypot(first.ends[1][0] - first.ends[0][0], first.ends[1][1] - first.ends[0][1]) /
      Number(/\(([\d.]+)\)/.exec(source.split('\n')[Number(first.line) - 1])[1]);
    if (!steps.length || steps.some((d) => Math.abs(d - unit) > 0.5)) failures.push(`grid of '${source}': lines ${steps.map((d) => d.toFixed(1))} px apart, a unit is ${unit.toFixed(1)}`);
    // The picture's (0,0): the first line's start less the point its LaTeX
    // puts it at.
    const put = /\\put\(([-\d.]+),([-\d.]+)\)\{\\(?:line|vector)/.exec(await page.$eval('#tex', (e) => e.textContent));
    const start = at(Number(first.line), 'start');
    const origin = [start[0] - Number(put[1]) * unit, start[1] + Number(put[2]) * unit];
    if (!near(aids.origin, origin)) failures.push(`grid of '${source}': the origin marked at ${aids.origin}, (0,0) is at ${origin}`);
    for (const [name, [line, end]] of Object.entries(labels)) {
      const mk = aids.markers.find((m) => m.name === name);
      if (!mk || mk.text !== name || !near(mk.at, at(line, end))) failures.push(`label ${name} of '${source}': ${JSON.stringify(mk)} where ${at(line, end)}`);
    }
    if (aids.markers.length !== Object.keys(labels).length) failures.push(`labels of '${source}': ${aids.markers.length} markers`);
    await page.close();
  }
});
finish('aids', failures, total);
