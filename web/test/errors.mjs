// Errors are listed to be read: each error once, in line order, exactly as
// 'quillard --quiet' writes it for a file source.qld (reasons and warnings
// included), each linked to its line; the gutter marks the lines. The raw
// transcript is the program's, with a link for every '[N]' of its
// messages. '%' lines the preview cannot draw are listed as 'not
// previewed: line N' with their source line, with and without -h.
import { needBrowser, withBrowser, openPage, programOutput, finish, rawTranscript } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const ERRORS = [
  { source: 'r (1)\nZ (1)\nu (1)\nb (1, 1, x)\n' },
  { source: 'R (1)\ng (NOWHERE)\n\n  r ($none)\nc ("fine")\n' },
  { source: '$w = 1\n$w = 2\nb (-1, 1, "x")\nr (1)\n%\\put("*MISSING"){x}\n' },
  { source: 'c ("50% & #1")\nr (1)\nR (A)\nu (1\n\\c = 99\n' },
  { source: 'r (1)\n\\a = x\n', conf: '\\k = 0.1\n\\q = 1\n' },
];
const UNDRAWN = [
  { source: 'r (1)\n%\\qbezier(0,0)(1,1)(2,0)\nu (1)\n%\\put(0,0){\\oval(1,1)}\n%\\put(0,0){\\circle{1}}\n', letters: '', lines: [2, 4] },
  { source: 'r (1)\n%\\qbezier(0,0)(1,1)(2,0)\nu (1)\n%\\put(0,0){\\oval(1,1)}\n%\\put(0,0){\\circle{1}}\n', letters: 'h', lines: [2, 4] },
  { source: 'n (A)\n$l = 1\n  %\\put("@A"){\\line(1,0){"$l"}} \\put(0,0){\\oval(2,1)}\nr ($l)\n', letters: 'hs', lines: [3] },
];

const puppeteer = await needBrowser();
const failures = [];
await withBrowser(puppeteer, async (browser) => {
  for (const [i, c] of ERRORS.entries()) {
    const quiet = programOutput(c.source, '', c.conf || '', { extra: ['--quiet'], name: 'source.qld' }).stderr;
    const listed = quiet.split('\n').filter(Boolean);
    const { page } = await openPage(browser, 'index.html', encodeFragment({ source: c.source, conf: c.conf || '' }));
    const shown = await page.$$eval('#errors li', (ls) => ls.map((l) => l.textContent));
    if (listed.length === 0 || JSON.stringify(shown) !== JSON.stringify(listed)) {
      failures.push(`errors ${i}: listed ${JSON.stringify(shown)} where quillard --quiet says ${JSON.stringify(listed)}`);
    }
    const lines = c.source.split('\n');
    const links = await page.$$eval('#errors a.q-errlink', (as) => as.map((a) => Number(a.dataset.line)));
    for (const [k, n] of links.entries()) {
      await page.$$eval('#errors a.q-errlink', (as, k) => as[k].click(), k);
      const sel = await page.$eval('#editor textarea', (t) => t.value.slice(t.selectionStart, t.selectionEnd));
      if (sel !== lines[n - 1]) failures.push(`errors ${i}: the link to line ${n} selects '${sel}'`);
    }
    const errorLines = listed.map((l) => /^source\.qld:(\d+): (?!warning)/.exec(l)).filter(Boolean).map((m) => Number(m[1]));
    const marked = await page.$$eval('.q-gutter .q-error-line', (ds) => ds.map((d) => Number(d.textContent)));
    const want = [...new Set(errorLines)].sort((a, b) => a - b);
    if (JSON.stringify(marked) !== JSON.stringify(want)) failures.push(`errors ${i}: gutter marks ${marked} where ${want}`);
    // The raw transcript, one click away, links every line number of it.
    const raw = programOutput(c.source, '', c.conf || '').stdout;
    const rawLines = [...raw.matchAll(/(?: in | at )\[(\d+)\]/g)].map((m) => Number(m[1]));
    await rawTranscript(page);
    const rawLinks = await page.$$eval('#transcript a.q-errlink', (as) => as.map((a) => Number(a.dataset.line)));
    if (JSON.stringify(rawLinks) !== JSON.stringify(rawLines)) failures.push(`errors ${i}: transcript links ${rawLinks} where ${rawLines}`);
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
