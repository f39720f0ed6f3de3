// No source or link keeps the page from answering: for the links that draw
// a million and a hundred million circles and for a 2 MB source (opened
// from the browser's storage, then typed in), as the page itself measures
// it, the longest task stays under 1 s, and so does the longest gap between
// the ticks of a 20 ms timer while the page opens and draws, and the time
// from each key typed to the page drawn after it (the keys' event timing);
// what the preview leaves out is said.
import { needBrowser, withBrowser, pageUrl, finish, settled } from './harness.mjs';
import { encodeFragment } from '../src/share.js';
import { generate } from './gensrc.mjs';

const LIMIT = 1000;   // ms
const CASES = [
  { name: 'a million circles', source: 'r (5)\n%\\multiput(0,0)(0.05,0){100}{{\\multiput(0,0)(0,0.0005){10000}{\\circle{0.001}}}}',
    cut: /not previewed: 1000000 elements from line 2/ },
  { name: 'a hundred million circles', source: 'r (5)\n%\\multiput(0,0)(0.05,0){10000}{{\\multiput(0,0)(0,0.0005){10000}{\\circle{0.001}}}}',
    cut: /not previewed: 100000000 elements from line 2/ },
  { name: 'a 2 MB source', source: generate(50000, 12000, 2150000), stored: true, cut: null },
];

// Installed before the page runs: the longest task and the longest gap
// between timer ticks.
// Installed before the page runs: the longest task, the longest gap
// between timer ticks until typing starts, the longest answer to a key.
function watch() {
  window.__longest = 0;
  window.__gap = 0;
  window.__key = 0;
  window.__typing = false;
  const observe = (type, take, extra = {}) => {
    try {
      new PerformanceObserver((list) => { for (const e of list.getEntries()) take(e); })
        .observe({ type, buffered: true, ...extra });
    } catch (e) { /* not reported by this browser */ }
  };
  observe('longtask', (e) => { window.__longest = Math.max(window.__longest, e.duration); });
  observe('event', (e) => { if (/^key|^input|^beforeinput|^textInput/.test(e.name)) window.__key = Math.max(window.__key, e.duration); },
    { durationThreshold: 16 });
  let last = performance.now();
  setInterval(() => {
    const now = performance.now();
    // While keys come in back to back, the browser answers them before its
    // timers: their own timing says how long each took.
    if (!window.__typing) window.__gap = Math.max(window.__gap, now - last);
    last = now;
  }, 20);
}

const puppeteer = await needBrowser();
const failures = [];
await withBrowser(puppeteer, async (browser) => {
  for (const c of CASES) {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 900 });
    const problems = [];
    page.on('pageerror', (e) => problems.push(e.message));
    await page.evaluateOnNewDocument(watch);
    if (c.stored) {
      await page.evaluateOnNewDocument((text) => {
        localStorage.setItem('quillard-playground', JSON.stringify({ source: text, conf: '', letters: '' }));
      }, c.source);
    }
    // The ticks start with the page; what comes before them (reading the
    // page's own file) is not the source's doing.
    await page.goto(pageUrl('index.html', c.stored ? '' : encodeFragment({ source: c.source })));
    await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
    await settled(page, 60000);
    // Typing goes on, the page answering each key.
    await page.focus('#editor textarea');
    await page.evaluate(() => { window.__typing = true; });
    await page.keyboard.type('r (1)\n');
    await settled(page, 60000);
    await new Promise((r) => setTimeout(r, 500));
    const m = await page.evaluate(() => ({ longest: window.__longest, gap: window.__gap, key: window.__key,
      skipped: document.getElementById('skipped').textContent }));
    console.log(`${c.name}: longest task ${m.longest.toFixed(0)} ms, longest gap between ticks ${m.gap.toFixed(0)} ms,` +
      ` longest answer to a key ${m.key.toFixed(0)} ms`);
    const worst = Math.max(m.longest, m.gap, m.key);
    if (worst >= LIMIT) failures.push(`${c.name}: the page did not answer for ${worst.toFixed(0)} ms`);
    if (c.cut && !c.cut.test(m.skipped)) failures.push(`${c.name}: what was left out is not said ('${m.skipped}')`);
    if (problems.length) failures.push(`${c.name}: ${problems.join('; ')}`);
    await page.close();
  }
});
finish('responsive', failures, CASES.length);
