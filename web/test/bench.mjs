// The playground's benchmark: real key presses in headless Chromium, timed
// in the page from the key's event to the frame after the preview is
// redrawn (recolouring of the editor included), for every example and for
// generated sources of 3,000 lines with 800 texts and of 50,000 lines
// (2 MB), whose opening is timed too. A measurement, not a test: it prints
// medians and passes or fails nothing.
//
// usage: node bench.mjs [PRESSES]   (QUILLARD_SITE, QUILLARD_EXAMPLES as for the tests)
import { needBrowser, withBrowser, pageUrl, examples } from './harness.mjs';
import { encodeFragment } from '../src/share.js';
import { generate } from './gensrc.mjs';

const PRESSES = Number(process.argv[2] || 30);
let detail = [];
const STORE = 'quillard-playground';

// Installed before the page runs: the time of each key's event, and of the
// frame that follows each drawing.
function instrument() {
  window.__keys = [];
  window.__drawn = [];
  addEventListener('keydown', (e) => window.__keys.push(e.timeStamp), true);
  document.addEventListener('qld-drawn', (e) => {
    requestAnimationFrame(() => {
      const ch = new MessageChannel();
      ch.port1.onmessage = () => window.__drawn.push({ id: e.detail.id, at: performance.now(), times: e.detail.times });
      ch.port2.postMessage(0);
    });
  });
}

const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length ? s[Math.floor(s.length / 2)] : NaN;
};

// Opens a source (through the browser's storage, as a reload would find
// it) and returns the page and the time from navigation to the frame after
// its first drawing.
async function open(browser, c) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  await page.evaluateOnNewDocument(instrument);
  await page.evaluateOnNewDocument((key, state) => {
    if (state) localStorage.setItem(key, state);
  }, STORE, c.big ? JSON.stringify({ source: c.source, conf: c.conf, letters: c.letters }) : null);
  await page.goto(pageUrl('index.html', c.big ? '' : encodeFragment(c)));
  await page.waitForFunction(() => window.__drawn.length > 0 && document.body.dataset.busy === 'false',
    { timeout: 120000, polling: 50 });
  const opened = await page.evaluate(() => window.__drawn[0].at);
  return { page, opened };
}

// Puts the cursor after the first digit of the first box line (or line
// with a number) from the given share of the text on (0: its start; a
// change there moves all that follows), and presses '5' and Backspace in
// turn.
const WHERE = Number(process.env.BENCH_AT || 0.5);
async function presses(page, n) {
  await page.evaluate((where) => {
    // Found in the whole text; the cursor put on its line (which a long
    // source's textarea then holds), then at its column.
    const editor = window.quillard.editor;
    const v = editor.value;
    const from = Math.floor(v.length * where);
    const find = (re) => { re.lastIndex = from; const m = re.exec(v); return m ? m.index : -1; };
    let at = find(/^[ \t]*b \(\d/gm);
    if (at < 0) at = find(/^[ \t]*[rRuUlLdD] \(\d/gm);
    if (at < 0) at = v.search(/^[ \t]*[rRuUlLdDb] \(\d/m);
    at = v.indexOf('(', at) + 2;
    const line = v.slice(0, at).split('\n').length;
    const column = at - v.lastIndexOf('\n', at - 1) - 1;
    editor.cursorTo(line);
    const t = document.querySelector('#editor textarea');
    t.setSelectionRange(t.selectionStart + column, t.selectionStart + column);
  }, WHERE);
  const times = [];
  detail = [];
  for (let i = 0; i < n; i++) {
    const before = await page.evaluate(() => ({ keys: window.__keys.length, drawn: window.__drawn.length }));
    await page.keyboard.press(i % 2 ? 'Backspace' : '5');
    await page.waitForFunction((b) => window.__drawn.length > b.drawn && document.body.dataset.busy === 'false',
      { timeout: 60000, polling: 10 }, before);
    const t = await page.evaluate((b) => {
      const d = window.__drawn[window.__drawn.length - 1];
      const k = window.__keys[b.keys];
      return { total: d.at - k, worker: d.times.received - k, draw: d.times.drawn - d.times.received,
        panes: d.times.shown - d.times.drawn, frame: d.at - d.times.shown, translate: d.times.translate, parse: d.times.parse };
    }, before);
    times.push(t.total);
    if (process.env.BENCH_DETAIL) detail.push(t);
    await new Promise((r) => setTimeout(r, 40));
  }
  return times;
}

const puppeteer = await needBrowser();
const cases = [
  ...examples().map((e) => ({ ...e })),
  { name: 'generated 3000 lines, 800 texts', source: generate(3000, 800), letters: '', conf: '', aim: 'median <= 50 ms' },
  { name: 'generated 50000 lines, 2 MB', source: generate(50000, 12000, 2150000), letters: '', conf: '', big: true,
    aim: 'opened <= 3000 ms' },
];
console.log('Key press to redrawn preview, median of', PRESSES, 'presses (ms), at a number', `${100 * WHERE} % into the source;`,
  'opening: navigation to first drawing');
console.log(['case', 'lines', 'bytes', 'median ms', 'p90 ms', 'opened ms', 'aim'].join('\t'));
const only = process.env.BENCH_ONLY ? new RegExp(process.env.BENCH_ONLY) : null;
await withBrowser(puppeteer, async (browser) => {
  for (const c of cases) {
    if (only && !only.test(c.name)) continue;
    const { page, opened } = await open(browser, c);
    if (process.env.BENCH_CSS) await page.addStyleTag({ content: process.env.BENCH_CSS });
    const times = await presses(page, c.big ? Math.min(PRESSES, 10) : PRESSES);
    const sorted = [...times].sort((a, b) => a - b);
    console.log([c.name, c.source.split('\n').length - 1, c.source.length, median(times).toFixed(1),
      sorted[Math.floor(sorted.length * 0.9)].toFixed(1), opened.toFixed(0), c.aim || 'median <= 16 ms'].join('\t'));
    if (detail.length) {
      console.log('  medians of the parts:', Object.keys(detail[0]).map((k) => `${k} ${median(detail.map((d) => d[k])).toFixed(1)}`).join(', '));
    }
    await page.close();
  }
});
