// The preview redrawn where it changed is the preview drawn afresh: after
// each edit typed into the editor (numbers changed, lines added and taken
// away, edits that move the origin, boxes becoming lines), every element of
// the page lies where a page opened on the edited source puts it, with the
// same line; and so does every text.
import { needBrowser, withBrowser, openPage, examples, finish, settled, setView } from './harness.mjs';
import { encodeFragment } from '../src/share.js';
import { generate } from './gensrc.mjs';

// [source, edits]; an edit: [line, column, keys], keys typed there
// ('\b' for Backspace, '\n' for Enter).
const CASES = [
  [examples().find((e) => e.name === 'feedback').source, [[5, 4, '5'], [5, 5, '\b'], [7, 5, '\b\b\b3'], [2, 0, 'r (1)\n'],
    [1, 0, 'l (2)\n'], [1, 0, '\b\b\b\b\b\b'], [12, 0, '%%'], [20, 3, '0']]],
  [examples().find((e) => e.name === 'smith').source, [[30, 0, 'b (1, 1, "new")\n'], [10, 3, '7'], [1, 0, '\n\n'], [45, 0, 'd (3)\n']]],
  [generate(400, 120), [[3, 3, '9'], [200, 0, 'u (2)\n'], [390, 4, '1'], [50, 0, 'x (-30)\n'], [2, 0, '\b\b']]],
];

async function drawing(page) {
  return page.evaluate(() => {
    const svg = document.querySelector('#preview svg');
    const r = svg.getBoundingClientRect();
    const f = (v) => Math.round(v * 10) / 10;
    const box = (e) => { const b = e.getBoundingClientRect(); return [f(b.left - r.left), f(b.top - r.top), f(b.width), f(b.height)].join(' '); };
    const out = [];
    for (const e of svg.querySelectorAll('.qld-lines line, .qld-lines path, .qld-lines circle, .qld-lines rect')) {
      out.push(`${e.localName} ${e.dataset.line} ${box(e)}`);
    }
    for (const e of document.querySelectorAll('#preview .qld-text')) out.push(`text ${e.dataset.line} ${e.textContent} ${box(e)}`);
    return out.sort();
  });
}

const puppeteer = await needBrowser();
const failures = [];
let total = 0;
let runs = 0;   // the most runs seen: edits must have kept and moved some
await withBrowser(puppeteer, async (browser) => {
  for (const [k, [source, edits]] of CASES.entries()) {
    const { page } = await openPage(browser, 'index.html', encodeFragment({ source }));
    await setView(page, { zoom: 1 });
    for (const [e, [line, col, keys]] of edits.entries()) {
      await page.evaluate((line, col) => {
        const t = document.querySelector('#editor textarea');
        const lines = t.value.split('\n');
        let at = 0;
        for (let i = 0; i < line - 1; i++) at += lines[i].length + 1;
        at += Math.min(col, lines[line - 1].length);
        t.focus();
        t.setSelectionRange(at, at);
      }, line, col);
      for (const ch of keys) await page.keyboard.press(ch === '\b' ? 'Backspace' : ch === '\n' ? 'Enter' : ch);
      await settled(page);
      const edited = await page.$eval('#editor textarea', (t) => t.value);
      const got = await drawing(page);
      runs = Math.max(runs, await page.evaluate(() => window.quillard.view.runs()));
      const fresh = await openPage(browser, 'index.html', encodeFragment({ source: edited }));
      await setView(fresh.page, { zoom: 1 });
      const want = await drawing(fresh.page);
      await fresh.page.close();
      total++;
      const missing = want.filter((x) => !got.includes(x)), extra = got.filter((x) => !want.includes(x));
      if (missing.length || extra.length || got.length !== want.length) {
        failures.push(`case ${k}, edit ${e}: ${missing.length} elements missing (${missing.slice(0, 2)}), ${extra.length} too many (${extra.slice(0, 2)})`);
      }
    }
    await page.close();
  }
});
if (runs < 3) failures.push(`at most ${runs} runs: the edits never kept and moved part of a drawing`);
finish('incremental', failures, total + 1);
