// The page as a place to work, where nothing is lost: a link that cannot be
// read shows why, with the editor empty and the work kept in the browser
// untouched; the source, the .quillard text and the switches survive a
// reload, and a shared link opened over them can be undone; an example
// chosen over edits can be undone (by the notice and by Ctrl+Z), and
// changes the .quillard text only when it has its own; Tab indents, Esc
// then Tab leaves the editor; at 390 px the page does not scroll sideways
// and the preview is in view at once.
import { needBrowser, withBrowser, openPage, pageUrl, examples, finish, settled } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const KEPT = { source: 'r (1)\nc ("kept")\n', conf: '\\c = 0.3\n', letters: 's' };
const BAD_LINKS = ['src=!!!!', 'src=QUJD&conf=!!', 'src=_w', 'src=A'];

async function state(page) {
  return page.evaluate(() => ({
    source: document.querySelector('#editor textarea').value,
    conf: document.getElementById('conf').value,
    letters: ['h', 'b', 'B', 's', 'n'].filter((k) => document.getElementById('opt-' + k).checked).join(''),
    example: document.getElementById('examples').value,
  }));
}

const same = (a, b) => a.source === b.source && a.conf === b.conf && a.letters === b.letters;
const show = (s) => JSON.stringify(s).slice(0, 120);

const puppeteer = await needBrowser();
const failures = [];
let total = 0;
const exs = examples();
const styled = exs.find((e) => e.conf);
const plain = exs.find((e) => !e.conf);

await withBrowser(puppeteer, async (browser) => {
  // Links that cannot be decoded, opened where the browser keeps work.
  for (const link of BAD_LINKS) {
    total++;
    const page = await browser.newPage();
    await page.evaluateOnNewDocument((kept) => {
      if (!sessionStorage.getItem('seeded')) {
        localStorage.setItem('quillard-playground', JSON.stringify(kept));
        sessionStorage.setItem('seeded', '1');
      }
    }, KEPT);
    await page.goto(pageUrl('index.html', link));
    await page.waitForSelector('body[data-ready="true"]', { timeout: 20000 });
    await settled(page);
    const got = await page.evaluate(() => ({
      source: document.querySelector('#editor textarea').value,
      error: document.getElementById('link-error').hidden ? '' : document.getElementById('link-error').textContent,
      drawn: document.querySelectorAll('#preview [data-line]').length,
      status: document.getElementById('status').className + ' ' + document.getElementById('status').textContent,
      hash: location.hash,
      kept: localStorage.getItem('quillard-playground'),
    }));
    await new Promise((r) => setTimeout(r, 500));
    const keptAfter = await page.evaluate(() => localStorage.getItem('quillard-playground'));
    if (got.source !== '' || !got.error || got.drawn || !/^q-bad .*link/.test(got.status)) failures.push(`link ${link}: ${show(got)}`);
    if (got.hash !== '#' + link) failures.push(`link ${link}: the address was rewritten to ${got.hash}`);
    if (JSON.stringify(JSON.parse(keptAfter)) !== JSON.stringify(KEPT)) failures.push(`link ${link}: the work kept was replaced`);
    await page.close();
  }

  // A shared link opened over work kept from the last visit: Undo gives
  // the work back.
  {
    total++;
    const page = await browser.newPage();
    await page.evaluateOnNewDocument((kept) => {
      localStorage.setItem('quillard-playground', JSON.stringify(kept));
    }, KEPT);
    await page.goto(pageUrl('index.html', encodeFragment({ source: 'u (2)\n' })));
    await page.waitForSelector('body[data-ready="true"]');
    const offered = await page.$eval('#notice', (e) => !e.hidden && !document.getElementById('notice-undo').hidden);
    if (offered) await page.click('#notice-undo');
    const back = await state(page);
    if (!offered || !same(back, KEPT)) failures.push(`link over kept work: ${offered ? show(back) : 'no notice'}`);
    await page.close();
  }

  // A reload, with the address and without it, gives back the work.
  {
    total++;
    const { page } = await openPage(browser, 'index.html');
    await page.evaluate(() => localStorage.clear());
    await page.focus('#editor textarea');
    await page.keyboard.type('%% my own\nr (2)\n');
    await page.evaluate(() => { document.getElementById('conf-pane').open = true; });
    await page.focus('#conf');
    await page.keyboard.type('\\a = 0.25\n');
    await page.click('#opt-b');
    await settled(page);
    await new Promise((r) => setTimeout(r, 600));
    const before = await state(page);
    await page.reload();
    await page.waitForSelector('body[data-ready="true"]');
    const reloaded = await state(page);
    await page.goto(pageUrl('index.html'));
    await page.waitForSelector('body[data-ready="true"]');
    const opened = await state(page);
    if (!same(before, reloaded) || !same(before, opened) || !before.source.includes('%% my own')) {
      failures.push(`reload: ${show(before)} came back as ${show(reloaded)} and ${show(opened)}`);
    }
    await page.close();
  }

  // An example chosen over edits: the notice's Undo gives them back, so
  // does Ctrl+Z; the .quillard text changes only with an example of its
  // own.
  for (const [ex, how] of [[plain, 'notice'], [styled, 'notice'], [plain, 'ctrl+z']]) {
    total++;
    const mine = { source: 'r (1)\nb (1, 1, "mine")\n', conf: '\\k = 0.2\n', letters: 'h' };
    const { page } = await openPage(browser, 'index.html', encodeFragment(mine));
    await page.select('#examples', ex.name);
    await settled(page);
    const chosen = await state(page);
    const want = { source: ex.source, conf: ex.conf || mine.conf, letters: ex.letters };
    if (!same(chosen, want) || chosen.example !== ex.name) failures.push(`${ex.name} over edits: opened as ${JSON.stringify({ ...chosen, source: chosen.source === ex.source })}`);
    const notice = await page.$eval('#notice', (e) => !e.hidden && !document.getElementById('notice-undo').hidden);
    if (!notice) failures.push(`${ex.name} over edits: no notice to undo it`);
    if (how === 'notice') {
      await page.click('#notice-undo');
      await settled(page);
      const back = await state(page);
      if (!same(back, mine)) failures.push(`${ex.name} over edits, undone: ${show(back)}`);
    } else {
      await page.focus('#editor textarea');
      await page.keyboard.down('Control');
      await page.keyboard.press('z');
      await page.keyboard.up('Control');
      await settled(page);
      const back = await state(page);
      if (back.source !== mine.source || back.example !== '') failures.push(`${ex.name} over edits, Ctrl+Z: ${show(back)}`);
    }
    await page.close();
  }

  // Tab indents the line (Shift+Tab takes it back), Esc then Tab leaves.
  {
    total++;
    const { page } = await openPage(browser, 'index.html', encodeFragment({ source: 'r (1)\nu (1)\n' }));
    await page.focus('#editor textarea');
    await page.evaluate(() => document.querySelector('#editor textarea').setSelectionRange(6, 6));
    await page.keyboard.press('Tab');
    const indented = await page.$eval('#editor textarea', (t) => [t.value, document.activeElement === t]);
    await page.keyboard.down('Shift');
    await page.keyboard.press('Tab');
    await page.keyboard.up('Shift');
    const back = await page.$eval('#editor textarea', (t) => t.value);
    await page.keyboard.press('Escape');
    await page.keyboard.press('Tab');
    const left = await page.$eval('#editor textarea', (t) => [t.value, document.activeElement !== t]);
    if (indented[0] !== 'r (1)\n  u (1)\n' || !indented[1]) failures.push(`Tab: ${show(indented)}`);
    if (back !== 'r (1)\nu (1)\n') failures.push(`Shift+Tab: ${show(back)}`);
    if (left[0] !== back || !left[1]) failures.push(`Esc, Tab: ${show(left)}`);
    await page.close();
  }

  // A phone: no sideways scroll, the preview drawn within the first screen,
  // the editor one tap away, for every example (the widest included).
  for (const ex of exs) {
    total++;
    const { page } = await openPage(browser, 'index.html', encodeFragment(ex), { width: 390, height: 844 });
    await settled(page);
    const got = await page.evaluate(() => {
      const p = document.querySelector('#preview svg').getBoundingClientRect();
      return { wide: document.documentElement.scrollWidth, top: p.top, bottom: p.bottom, right: p.right };
    });
    await page.click('.q-tabs button[data-pane="source"]');
    const editor = await page.$eval('#editor textarea', (t) => {
      const r = t.getBoundingClientRect();
      return r.height > 100 && r.top < innerHeight && document.documentElement.scrollWidth <= innerWidth;
    });
    if (got.wide > 390 || got.top < 0 || got.top > 844 - 60 || got.right > 390) failures.push(`${ex.name} at 390 px: ${show(got)}`);
    if (!editor) failures.push(`${ex.name} at 390 px: the editor is not in view after its tab`);
    await page.close();
  }
});
finish('workspace', failures, total);
