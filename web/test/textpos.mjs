// Texts sit where LaTeX puts them: for every example and for diagrams of
// the kind with every anchor, size and shape of text, each text of the
// preview is drawn alone at 200 dpi and typeset alone by pdflatex with
// pict2e at the same place; the centres of their ink must lie within 1pt.
import { needBrowser, withBrowser, openPage, examples, finish, settled, setView } from './harness.mjs';
import { needLatex, latexImages, inkCentre, shotOfBox, encodePng, sideBySide } from './images.mjs';
import { encodeFragment } from '../src/share.js';
import { writeFileSync } from 'node:fs';

const DPI = Number(process.env.DPI || 200);
const PAD = 120;                 // px around the box, for texts outside it
const LIMIT = DPI / 72.27;       // 1pt in px

// Diagrams of the kind: annotations on every side (c after lines in each
// direction, with a positive and a negative clearance), boxes with texts
// of every height and depth, -h numbers, and '%' lines with every anchor
// pair and a box of its own size.
const OTHERS = [
  { name: 'anchors', letters: 'h', source: [
    'R (1.5)', 'c ("$y_k$")', 'U (1.2)', 'c ("gain")', 'L (1.5)', 'c ("\\small (slow)")', 'D (1.2)', 'c ("$\\frac{1}{s}$")',
    '\\c = -0.15', 'x (2.5)', 'r (1.2)', 'c ("$e(t)$")', 'u (1)', 'c ("Ag")', 'l (1.2)', 'c ("$x_{\\mathrm{ref}}$")', 'd (1)', 'c ("q")',
  ].join('\n') },
  { name: 'boxes', letters: '', source: [
    'R (1)', 'b (1.6, 0.8, "$\\int_0^t$")', 'R (0.8)', 'b (1.8, 1, "PID controller")', 'R (0.8)',
    'b (1.2, 0.6, "\\small Tpq")', 'B (1.2, 0.9, "$\\hat y$")', 'R (1)', 'c ("out")',
  ].join('\n') },
  { name: 'put', letters: '', source: [
    'r (4)', 'u (2.5)',
    '%\\put(0.5,0.5){\\makebox(0,0)[tl]{tl gy}}', '%\\put(2,0.5){\\makebox(0,0)[br]{br Qj}}',
    '%\\put(3.5,0.5){\\makebox(0,0)[rt]{$\\sum$}}', '%\\put(0.5,2){\\makebox(0,0)[lb]{$\\Delta u$}}',
    '%\\put(2,2){\\makebox(0,0)[l]{\\scriptsize 17$ \\ell $}}', '%\\put(3.5,2){\\makebox(0,0)[r]{\\small text}}',
    '%\\put(1,1){\\makebox(1.5,0.8)[t]{top}}', '%\\put(2.6,1){\\framebox(1.2,0.8)[bl]{$k$}}',
  ].join('\n') },
];

needLatex();
const puppeteer = await needBrowser();
const failures = [];
let total = 0;
const cases = [...examples(), ...OTHERS.map((c) => ({ ...c, conf: '' }))];
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const { page } = await openPage(browser, 'index.html',
      encodeFragment({ source: ex.source, letters: ex.letters, conf: ex.conf }));
    await page.setViewport({ width: 2600, height: 1600, deviceScaleFactor: 1 });
    await setView(page, { unit: '1cm', zoom: DPI / 96 });
    const texts = await page.evaluate(() => {
      const { view } = window.quillard;
      const out = [];
      for (let i = 0; i < view.count(); i++) {
        const it = view.item(i);
        if (it.text === undefined) continue;
        view.element(i).dataset.probe = String(out.length);
        out.push(it);
      }
      const hide = document.createElement('style');
      hide.textContent = 'body, #stage { background: #fff; border: 0 } header, nav, h2, #skipped, #notice,' +
        ' .q-pane-source, .q-pane-latex { visibility: hidden } #stage { overflow: visible; max-height: none }' +
        ' .qld-lines { display: none } .qld-text { visibility: hidden } .qld-text.probe { visibility: visible }';
      document.head.appendChild(hide);
      return out;
    });
    const header = (await page.$eval('#tex', (e) => e.textContent)).split('\n')[0];
    const num = (v) => v.toFixed(6);
    const latex = latexImages(texts.map((t) => `${header}\n\\put(${num(t.x)},${num(t.y)}){\\makebox(${num(t.a)},${num(t.b)})` +
      `${t.pos ? `[${t.pos}]` : ''}{${t.text}}}\n\\end{picture}\n`), DPI, PAD);
    for (const [k, t] of texts.entries()) {
      await page.evaluate((k) => {
        for (const d of document.querySelectorAll('.qld-text')) d.classList.toggle('probe', d.dataset.probe === String(k));
      }, k);
      const shot = await shotOfBox(page, PAD);
      if (process.env.DUMP === `${ex.name}:${k}`) writeFileSync(process.env.DUMP_FILE, encodePng(sideBySide(shot.img, latex[k])));
      const a = inkCentre(shot.img), b = inkCentre(latex[k]);
      total++;
      const what = `${ex.name}: line ${t.line} '${t.text}'${t.pos ? ` [${t.pos}]` : ''}`;
      if (!a || !b) { failures.push(`${what}: no ink (${a ? 'LaTeX' : 'preview'})`); continue; }
      // Both images start PAD px before the box's corner; the screenshot's
      // corner is off by the box's fraction of a pixel.
      const dx = (a.x - shot.dx) - (b.x - PAD), dy = (a.y - shot.dy) - (b.y - PAD);
      const d = Math.hypot(dx, dy);
      if (process.env.VERBOSE) {
        console.log(`${what}: ${dx.toFixed(2)}, ${dy.toFixed(2)} px; ink x ${(a.x0 - shot.dx).toFixed(1)}..${(a.x1 - shot.dx).toFixed(1)}` +
          ` vs ${b.x0 - PAD}..${b.x1 - PAD}, y ${(a.y0 - shot.dy).toFixed(1)}..${(a.y1 - shot.dy).toFixed(1)} vs ${b.y0 - PAD}..${b.y1 - PAD}`);
      }
      if (d > LIMIT) failures.push(`${what}: ink centre ${d.toFixed(2)} px from LaTeX's (${dx.toFixed(2)}, ${dy.toFixed(2)})`);
    }
    await page.close();
  }
});
finish('textpos', failures, total);
