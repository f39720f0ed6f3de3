// The preview agrees with LaTeX: every example's picture is typeset by
// pdflatex with pict2e and rasterised at 100 and at 200 dpi, its preview is
// drawn at the same scale in Chromium, both with their texts left out, and
// at least 90 % of LaTeX's ink must lie within 2 px of the preview's ink.
// The two images share the picture's box: the PDF page is cut to it, and so
// is the screenshot of the preview, each with a margin of 10 px.
import { needBrowser, withBrowser, openPage, examples, finish, setView } from './harness.mjs';
import { needLatex, latexImages, shotOfBox, nearShare } from './images.mjs';
import { encodeFragment } from '../src/share.js';

const DPIS = [100, 200];
const REACH = 2;        // px
const NEEDED = 0.9;
const PAD = 10;         // px of room around the picture's box in both images

// The picture with the text of every box emptied: the argument in braces
// that ends each \makebox, \framebox and \dashbox.
function withoutTexts(tex) {
  let out = '';
  let i = 0;
  const re = /\\(makebox|framebox|dashbox)/g;
  let m;
  while ((m = re.exec(tex)) !== null) {
    let j = m.index + m[0].length;
    const skipSpace = () => { while (/\s/.test(tex[j])) j++; };
    const close = (open, shut) => {
      let depth = 0;
      for (; j < tex.length; j++) {
        if (tex[j] === open) depth++;
        else if (tex[j] === shut && --depth === 0) { j++; return; }
      }
    };
    skipSpace();
    if (m[1] === 'dashbox' && tex[j] === '{') { close('{', '}'); skipSpace(); }
    if (tex[j] === '(') { close('(', ')'); skipSpace(); }
    if (tex[j] === '[') { close('[', ']'); skipSpace(); }
    if (tex[j] !== '{') continue;
    const start = j;
    close('{', '}');
    out += tex.slice(i, start) + '{}';
    i = j;
    re.lastIndex = j;
  }
  return out + tex.slice(i);
}


needLatex();
const puppeteer = await needBrowser();
const failures = [];
const cases = examples();
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const { page } = await openPage(browser, 'index.html',
      encodeFragment({ source: ex.source, letters: ex.letters, conf: ex.conf }));
    await page.setViewport({ width: 2600, height: 1600, deviceScaleFactor: 1 });
    await page.addStyleTag({ content: '.qld-texts { display: none } body, #stage { background: #fff }' +
      ' #stage { border: 0; overflow: visible; max-height: none } header, nav, h2, .q-pane-source, .q-pane-latex { visibility: hidden }' });
    const tex = await page.$eval('#tex', (e) => e.textContent);
    for (const dpi of DPIS) {
      // 1cm at dpi: the page draws 1cm as 37.8 px at zoom 1, 96 px an inch.
      await setView(page, { unit: '1cm', zoom: dpi / 96 });
      const shot = await shotOfBox(page, PAD);
      const [L] = latexImages([withoutTexts(tex)], dpi, PAD);
      const there = nearShare(L, shot.img, REACH);
      const back = nearShare(shot.img, L, REACH);
      console.log(`${ex.name} at ${dpi} dpi: ${(100 * there.share).toFixed(1)} % of LaTeX's ink within ${REACH} px of the preview's` +
        ` (${there.total} px; preview ink near LaTeX's: ${(100 * back.share).toFixed(1)} %)`);
      if (there.total === 0 || there.share < NEEDED) failures.push(`${ex.name} at ${dpi} dpi: ${(100 * there.share).toFixed(1)} %`);
    }
    await page.close();
  }
});
finish('fidelity', failures, cases.length * DPIS.length);
