// A shared link round-trips: the page opened with '#src=...&opts=...' shows
// that source, options and picture; editing updates the fragment; the
// updated link opened anew shows the same again. Padding is optional.
import { needBrowser, withBrowser, openPage, finish } from './harness.mjs';
import { encodeFragment, decodeFragment, toBase64url } from '../src/share.js';

const CASES = [
  { source: 'R (1)\nc ("Übertragung – ü")\nb (1.4, 0.8, "$G(s)$")\n', letters: 'hB', conf: '\\c = 0.3\n' },
  { source: 'r (1)\n', letters: '', conf: '' },
  { source: 'a (S)\nU (1)\nb (1, 1, "x")', letters: 'bsn', conf: '' },
];

async function state(page) {
  return page.evaluate(() => ({
    source: document.querySelector('#editor textarea').value,
    conf: document.getElementById('conf').value,
    letters: ['h', 'b', 'B', 's', 'n'].filter((k) => document.getElementById('opt-' + k).checked).join(''),
    tex: document.getElementById('tex').textContent,
    hash: location.hash,
  }));
}

const puppeteer = await needBrowser();
const failures = [];
await withBrowser(puppeteer, async (browser) => {
  for (const [i, c] of CASES.entries()) {
    const padded = 'src=' + toBase64url(c.source) + '='.repeat((4 - (toBase64url(c.source).length % 4)) % 4) +
      (c.letters ? '&opts=' + c.letters : '') + (c.conf ? '&conf=' + toBase64url(c.conf) : '');
    for (const fragment of [encodeFragment(c), padded]) {
      const { page, problems } = await openPage(browser, 'index.html', fragment);
      const shown = await state(page);
      if (shown.source !== c.source || shown.letters !== c.letters || shown.conf !== c.conf) {
        failures.push(`case ${i}: opened as ${JSON.stringify(shown)}`);
      }
      // Edit the source and switch -s over; the fragment follows.
      await page.focus('#editor textarea');
      await page.evaluate(() => {
        const t = document.querySelector('#editor textarea');
        t.setSelectionRange(t.value.length, t.value.length);
      });
      await page.keyboard.type('\nd (0.5)');
      await page.click('#opt-s');
      await page.waitForFunction((h) => location.hash !== h, {}, shown.hash);
      await new Promise((r) => setTimeout(r, 100));
      const edited = await state(page);
      const decoded = decodeFragment(edited.hash);
      if (!decoded || decoded.source !== edited.source || decoded.letters !== edited.letters ||
          decoded.conf !== edited.conf || !edited.source.endsWith('\nd (0.5)')) {
        failures.push(`case ${i}: the fragment does not follow the edit`);
      }
      const again = await openPage(browser, 'index.html', edited.hash.slice(1));
      const reopened = await state(again.page);
      for (const k of ['source', 'conf', 'letters', 'tex']) {
        if (reopened[k] !== edited[k]) failures.push(`case ${i}: ${k} differs when the link is opened anew`);
      }
      if (problems.length || again.problems.length) failures.push(`case ${i}: ${[...problems, ...again.problems]}`);
      await again.page.close();
      await page.close();
    }
  }
});
finish('share', failures, CASES.length * 2);
