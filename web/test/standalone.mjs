// The downloaded SVG stands alone: it holds no HTML, and rsvg-convert, which
// knows no browser's fonts or HTML, draws its texts where the page shows
// them: for every example, at least 90 % of the page's text ink lies within
// 2 px of the ink rsvg-convert draws from the file's texts, and the other
// way round; its lines are the page's lines.
import { mkdtempSync, readFileSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { needBrowser, withBrowser, openPage, savedFile, examples, finish, skip, setView } from './harness.mjs';
import { decodePng, nearShare } from './images.mjs';
import { encodeFragment } from '../src/share.js';

try { execFileSync('sh', ['-c', 'command -v rsvg-convert'], { stdio: 'ignore' }); } catch (e) {
  skip('rsvg-convert not found (Debian: apt-get install librsvg2-bin)');
}
const ZOOM = 2;
const NEEDED = 0.9;

// The SVG with only its texts (lines: false) or only its lines, drawn by
// rsvg-convert.
function rsvg(dir, svg, keep) {
  // The lines' group (runs nested in it) comes first, the texts' last.
  const lines = svg.indexOf('<g class="qld-lines"'), texts = svg.indexOf('<g class="qld-texts"');
  if (lines < 0 || texts < lines) throw new Error('the SVG has not its lines, then its texts');
  writeFileSync(join(dir, 'part.svg'), keep === 'texts' ? svg.slice(0, lines) + svg.slice(texts) : svg.slice(0, texts) + '</svg>');
  execFileSync('rsvg-convert', ['-b', 'white', '-o', join(dir, 'part.png'), join(dir, 'part.svg')]);
  return decodePng(readFileSync(join(dir, 'part.png')));
}

const puppeteer = await needBrowser();
const failures = [];
const cases = examples();
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const dir = mkdtempSync(join(tmpdir(), 'qld-standalone-'));
    try {
      const { page, problems } = await openPage(browser, "index.html", encodeFragment(ex), { width: 2400, height: 1400 });
      await setView(page, { zoom: ZOOM });
      const cdp = await page.createCDPSession();
      await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir });
      await page.click('#download-svg');
      const svg = await savedFile(dir, 'picture.svg');
      if (!svg) { failures.push(`${ex.name}: no SVG saved ${problems}`); continue; }
      if (process.env.KEEP_SVG) writeFileSync(join(process.env.KEEP_SVG, `${ex.name}.svg`), svg);
      if (/foreignObject|xhtml/.test(svg)) failures.push(`${ex.name}: the SVG holds HTML`);
      const shots = {};
      for (const keep of ['texts', 'lines']) {
        await page.evaluate((keep) => {
          document.getElementById('probe-style')?.remove();
          const s = document.createElement('style');
          s.id = 'probe-style';
          s.textContent = `body, #stage { background: #fff } #stage { border: 0; overflow: visible; max-height: none }
            header, nav, h2, .q-pane-source, .q-pane-latex { visibility: hidden }
            ${keep === 'texts' ? '.qld-lines' : '.qld-texts'} { display: none }`;
          document.head.appendChild(s);
        }, keep);
        const r = await page.$eval('#preview svg', (e) => {
          const b = e.getBoundingClientRect();
          return { x: b.x + scrollX, y: b.y + scrollY, width: b.width, height: b.height };
        });
        shots[keep] = decodePng(await page.screenshot({ clip: { x: r.x, y: r.y, width: r.width, height: r.height },
          captureBeyondViewport: true }));
      }
      for (const keep of ['texts', 'lines']) {
        const file = rsvg(dir, svg, keep);
        const there = nearShare(shots[keep], file), back = nearShare(file, shots[keep]);
        console.log(`${ex.name} ${keep}: ${(100 * there.share).toFixed(1)} % of the page's ink near the file's,` +
          ` ${(100 * back.share).toFixed(1)} % of the file's near the page's (${there.total} and ${back.total} px;` +
          ` ${file.width}x${file.height} and ${shots[keep].width}x${shots[keep].height})`);
        if (!there.total || there.share < NEEDED || back.share < NEEDED) failures.push(`${ex.name}: ${keep} of the SVG file`);
      }
      if (problems.length) failures.push(`${ex.name}: ${problems.join('; ')}`);
      await page.close();
    } finally {
      rmSync(dir, { recursive: true, force: true });
    }
  }
});
finish('standalone', failures, cases.length);
