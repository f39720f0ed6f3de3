// The page's downloads: 'Download .tex' saves the LaTeX shown in #tex,
// 'Download SVG' saves the preview as a well-formed SVG document with the
// same lines and the texts as outlines, and Ctrl+S in the editor saves the
// source as a file (its last line ended).
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { needBrowser, withBrowser, openPage, savedFile, examples, finish } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const puppeteer = await needBrowser();
const failures = [];
const cases = examples().filter((e) => ['pid', 'antiwindup'].includes(e.name));
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const dir = mkdtempSync(join(tmpdir(), 'qld-downloads-'));
    try {
      const { page } = await openPage(browser, 'index.html', encodeFragment(ex));
      const cdp = await page.createCDPSession();
      await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir });
      await page.click('#download-tex');
      const tex = await savedFile(dir, 'picture.tex');
      if (tex !== await page.$eval('#tex', (e) => e.textContent)) failures.push(`${ex.name}: picture.tex`);
      await page.click('#download-svg');
      const svg = await savedFile(dir, 'picture.svg');
      const check = svg && await page.evaluate((text) => {
        const doc = new DOMParser().parseFromString(text, 'image/svg+xml');
        const shown = document.querySelector('#preview svg');
        return doc.getElementsByTagName('parsererror').length === 0 && doc.documentElement.localName === 'svg' &&
          doc.querySelectorAll('.qld-lines > *').length === shown.querySelectorAll('.qld-lines > *').length &&
          doc.querySelectorAll('.qld-texts > path').length >= document.querySelectorAll('#preview .qld-text').length &&
          document.querySelectorAll('#preview .qld-text').length > 0 && !doc.querySelector('foreignObject');
      }, svg);
      if (!check) failures.push(`${ex.name}: picture.svg`);
      await page.focus('#editor textarea');
      await page.keyboard.down('Control');
      await page.keyboard.press('s');
      await page.keyboard.up('Control');
      const qld = await savedFile(dir, 'picture.qld');
      const typed = await page.$eval('#editor textarea', (t) => t.value);
      if (qld === null || qld !== (typed.endsWith('\n') ? typed : typed + '\n')) failures.push(`${ex.name}: Ctrl+S saved ${JSON.stringify(qld && qld.slice(-40))} for ${JSON.stringify(typed.slice(-40))}`);
      await page.close();
    } finally {
      rmSync(dir, { recursive: true, force: true });
    }
  }
});
finish('downloads', failures, cases.length);
