// Errors show with their line numbers: every '[N]' of the transcript is a
// link to line N of the editor, exactly the lines the program reports, and
// the gutter marks them. '%' lines the preview cannot draw are listed as
// 'not previewed: line N' with their source line, with and without -h.
import { needBrowser, withBrowser, openPage, programOutput, finish } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const ERRORS = [
  'r (1)\nZ (1)\nu (1)\nb (1, 1, x)\n',
  'R (1)\ng (NOWHERE)\n\n  r ($none)\nc ("fine")\n',
  '$w = 1\n$w = 2\nb (-1, 1, "x")\nr (1)\n%\\put("*MISSING"){x}\n',
];
const UNDRAWN = [
  { source: 'r (1)\n%\\qbezier(0,0)(1,1)(2,0)\nu (1)\n%\\put(0,0){\\oval(1,1)}\n%\\put(0,0){\\circle{1}}\n', letters: '', lines: [2, 4] },
  { source: 'r (1)\n%\\qbezier(0,0)(1,1)(2,0)\nu (1)\n%\\put(0,0){\\oval(1,1)}\n%\\put(0,0){\\circle{1}}\n', letters: 'h', lines: [2, 4] },
  { source: 'n (A)\n$l = 1\n  %\\put("@A"){\\line(1,0){"$l"}} \\put(0,0){\\oval(2,1)}\nr ($l)\n', letters: 'hs', lines: [3] },
];

const puppeteer = await needBrowser();
const failures = [];
await withBrowser(puppeteer, async (browser) => {
  for (const [i, source] of ERRORS.entries()) {
    const want = [...programOutput(source, '', '').stdout.matchAll(/(?: in | at )\[(\d+)\]/g)].map((m) => Number(m[1]));
    const { page } = await openPage(browser, 'index.html', encodeFragment({ source }));
    const links = await page.$$eval('#transcript a.q-errlink', (as) => as.map((a) => Number(a.dataset.line)));
    if (want.length === 0 || JSON.stringify(links) !== JSON.stringify(want)) {
      failures.push(`errors ${i}: links ${links} where the program reports ${want}`);
    }
    const marked = await page.$$eval('.q-gutter .q-error-line', (ds) => ds.map((d) => Number(d.textContent)));
    if (JSON.stringify(marked) !== JSON.stringify([...new Set(want)].sort((a, b) => a - b))) {
      failures.push(`errors ${i}: gutter marks ${marked}`);
    }
    const lines = source.split('\n');
    for (const [k, n] of want.entries()) {
      await page.$$eval('#transcript a.q-errlink', (as, k) => as[k].click(), k);
      const sel = await page.$eval('#editor textarea', (t) => t.value.slice(t.selectionStart, t.selectionEnd));
      if (sel !== lines[n - 1]) failures.push(`errors ${i}: the link [${n}] selects '${sel}'`);
    }
    await page.close();
  }
  for (const [i, c] of UNDRAWN.entries()) {
    const { page } = await openPage(browser, 'index.html', encodeFragment(c));
    const items = await page.$$eval('#skipped li', (ls) => ls.map((l) => l.textContent));
    const want = c.lines.map((n) => `not previewed: line ${n}`);
    if (JSON.stringify(items) !== JSON.stringify(want)) failures.push(`not previewed ${i}: [${items}] where [${want}]`);
    await page.close();
  }
});
finish('errors', failures, ERRORS.length + UNDRAWN.length);
