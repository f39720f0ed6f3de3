// The preview agrees with LaTeX: every example's picture is typeset by
// pdflatex with pict2e and rasterised at 100 dpi, its preview is drawn at the
// same scale in Chromium, both with their texts left out, and at least 90 %
// of LaTeX's ink must lie within 2 px of the preview's ink. The two images
// share the picture's box: the PDF page is cut to it, and so is the
// screenshot of the preview, each with a margin of 10 px.
import { mkdtempSync, writeFileSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { needBrowser, withBrowser, openPage, examples, skip, finish } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const DPI = 100;
const REACH = 2;        // px
const NEEDED = 0.9;
const INK = 200;        // a pixel darker than this is ink
const PAD = 10;         // px of room around the picture's box in both images

for (const tool of ['pdflatex', 'pdftoppm', 'kpsewhich']) {
  try { execFileSync('sh', ['-c', `command -v ${tool}`], { stdio: 'ignore' }); } catch (e) {
    skip(`${tool} not found (Debian: apt-get install texlive-latex-base texlive-pictures poppler-utils)`);
  }
}
try { execFileSync('kpsewhich', ['pict2e.sty'], { stdio: 'ignore' }); } catch (e) {
  skip('pict2e not found (Debian: apt-get install texlive-pictures)');
}

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

function latexPng(tex) {
  const dir = mkdtempSync(join(tmpdir(), 'qld-fidelity-'));
  try {
    writeFileSync(join(dir, 'pic.tex'), tex);
    writeFileSync(join(dir, 'doc.tex'), [
      '\\documentclass{article}', '\\usepackage{pict2e}', '\\setlength{\\unitlength}{1cm}',
      `\\pdfhorigin=${PAD / DPI}in \\pdfvorigin=${PAD / DPI}in`, '\\begin{document}',
      '\\setbox0=\\hbox{\\input{pic.tex}\\unskip}',
      `\\pdfpagewidth=\\wd0 \\advance\\pdfpagewidth by ${2 * PAD / DPI}in`,
      `\\pdfpageheight=\\ht0 \\advance\\pdfpageheight by \\dp0 \\advance\\pdfpageheight by ${2 * PAD / DPI}in`,
      '\\shipout\\box0', '\\end{document}', ''].join('\n'));
    execFileSync('pdflatex', ['-interaction=batchmode', '-halt-on-error', 'doc.tex'], { cwd: dir, stdio: 'ignore' });
    execFileSync('pdftoppm', ['-r', String(DPI), '-gray', '-png', '-singlefile', 'doc.pdf', 'page'], { cwd: dir });
    return readFileSync(join(dir, 'page.png')).toString('base64');
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

const puppeteer = await needBrowser();
const failures = [];
const cases = examples();
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const { page } = await openPage(browser, 'index.html',
      encodeFragment({ source: ex.source, letters: ex.letters, conf: ex.conf }));
    await page.setViewport({ width: 1600, height: 1200, deviceScaleFactor: 1 });
    // 1cm at 100 dpi: the page draws 1cm as 37.8 px at zoom 1, 96 px an inch.
    await page.evaluate((zoom) => {
      const z = document.getElementById('zoom');
      z.value = String(zoom);
      z.dispatchEvent(new Event('input'));
      document.getElementById('unit').value = '1cm';
      const hide = document.createElement('style');
      hide.textContent = '.qld-texts { display: none }';
      document.head.appendChild(hide);
    }, DPI / 96);
    await page.waitForFunction((z) => {
      const svg = document.querySelector('#preview svg');
      const box = document.getElementById('tex').textContent.match(/picture\}\(([\d.]+),/);
      return svg && box && Math.abs(svg.width.baseVal.value - Number(box[1]) * 37.79527559 * z) < 0.01;
    }, {}, DPI / 96);
    const tex = await page.$eval('#tex', (e) => e.textContent);
    const r = await page.$eval('#preview svg', (e) => {
      const b = e.getBoundingClientRect();
      return { x: b.x + scrollX, y: b.y + scrollY, width: b.width, height: b.height };
    });
    const preview = await page.screenshot({ encoding: 'base64', clip: {
      x: Math.round(r.x) - PAD, y: Math.round(r.y) - PAD, width: Math.round(r.width) + 2 * PAD,
      height: Math.round(r.height) + 2 * PAD } });
    const latex = latexPng(withoutTexts(tex));
    const score = await page.evaluate(async (a, b, ink, reach) => {
      const pixels = async (b64) => {
        const bmp = await createImageBitmap(await (await fetch('data:image/png;base64,' + b64)).blob());
        const c = new OffscreenCanvas(bmp.width, bmp.height);
        const g = c.getContext('2d');
        g.fillStyle = '#fff';
        g.fillRect(0, 0, bmp.width, bmp.height);
        g.drawImage(bmp, 0, 0);
        return { w: bmp.width, h: bmp.height, d: g.getImageData(0, 0, bmp.width, bmp.height).data };
      };
      const L = await pixels(a);
      const P = await pixels(b);
      const w = Math.min(L.w, P.w), h = Math.min(L.h, P.h);
      const dark = (img, x, y) => {
        const k = 4 * (y * img.w + x);
        return 0.299 * img.d[k] + 0.587 * img.d[k + 1] + 0.114 * img.d[k + 2] < ink;
      };
      const near = (img, x, y) => {
        for (let dy = -reach; dy <= reach; dy++) {
          for (let dx = -reach; dx <= reach; dx++) {
            if (dx * dx + dy * dy > reach * reach) continue;
            const X = x + dx, Y = y + dy;
            if (X >= 0 && Y >= 0 && X < w && Y < h && dark(img, X, Y)) return true;
          }
        }
        return false;
      };
      let lat = 0, hit = 0, pre = 0, back = 0;
      for (let y = 0; y < h; y++) {
        for (let x = 0; x < w; x++) {
          if (dark(L, x, y)) { lat++; if (near(P, x, y)) hit++; }
          if (dark(P, x, y)) { pre++; if (near(L, x, y)) back++; }
        }
      }
      return { size: [L.w, L.h, P.w, P.h], lat, hit, pre, back };
    }, latex, preview, INK, REACH);
    const share = score.hit / Math.max(score.lat, 1);
    console.log(`${ex.name}: ${(100 * share).toFixed(1)} % of LaTeX's ink within ${REACH} px of the preview's` +
      ` (${score.lat} px; preview ink near LaTeX's: ${(100 * score.back / Math.max(score.pre, 1)).toFixed(1)} %;` +
      ` images ${score.size[0]}x${score.size[1]} and ${score.size[2]}x${score.size[3]})`);
    if (score.lat === 0 || share < NEEDED) failures.push(`${ex.name}: ${(100 * share).toFixed(1)} %`);
    await page.close();
  }
});
finish('fidelity', failures, cases.length);
