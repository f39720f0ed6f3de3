// The page's downloads: 'Download .tex' saves the LaTeX shown in #tex, and
// 'Download SVG' saves the preview as a well-formed SVG document with the
// same drawing.
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { needBrowser, withBrowser, openPage, examples, finish } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

async function saved(dir, name) {
  for (let i = 0; i < 100; i++) {
    if (readdirSync(dir).includes(name)) return readFileSync(join(dir, name), 'utf8');
    await new Promise((r) => setTimeout(r, 50));
  }
  return null;
}

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
      const tex = await saved(dir, 'picture.tex');
      if (tex !== await page.$eval('#tex', (e) => e.textContent)) failures.push(`${ex.name}: picture.tex`);
      await page.click('#download-svg');
      const svg = await saved(dir, 'picture.svg');
      const check = svg && await page.evaluate((text) => {
        const doc = new DOMParser().parseFromString(text, 'image/svg+xml');
        const shown = document.querySelector('#preview svg');
        return doc.getElementsByTagName('parsererror').length === 0 && doc.documentElement.localName === 'svg' &&
          doc.querySelectorAll('line, path, circle, rect').length === shown.querySelectorAll('line, path, circle, rect').length &&
          doc.querySelectorAll('.qld-text').length === shown.querySelectorAll('.qld-text').length;
      }, svg);
      if (!check) failures.push(`${ex.name}: picture.svg`);
      await page.close();
    } finally {
      rmSync(dir, { recursive: true, force: true });
    }
  }
});
finish('downloads', failures, cases.length);
