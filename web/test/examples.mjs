// Every example, opened through a shared link with its options and its
// .quillard: the page's LaTeX is the quillard program's output byte for byte,
// and its transcript is the end of the program's terminal text (the page has
// no switch for -n, so that letter is left out for the transcript).
import { needBrowser, withBrowser, openPage, examples, programOutput, finish } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const puppeteer = await needBrowser();
const failures = [];
// Besides the examples, numbers on the edges of decimal conversion and of
// the five-decimal rounding, which the WebAssembly build converts with its
// own C library.
const NUMBERS = [
  'r (2.0000050000000000000000001)\nu (0.000005)\nl (1.4999999999999999999999999)\nd (0.1)\n',
  '$a = 123456789012345678901234567.8\n$b = 0.30000000000000004441\nr ($b)\nu (0.00001)\nb ($b, 0.7, "x")\n',
  '\\i = 0.07\n\\o = 0.03\nr! (0.9)\nR! (1.05)\nd! (0.3000000000000000166)\ns (0.33333333333333331483)\n',
].map((source, i) => ({ name: `numbers ${i}`, source, letters: 'hs', conf: '' }));
const cases = [...examples(), ...NUMBERS];
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const { page, problems } = await openPage(browser, 'index.html',
      encodeFragment({ source: ex.source, letters: ex.letters, conf: ex.conf }));
    const tex = await page.$eval('#tex', (e) => e.textContent);
    const transcript = await page.$eval('#transcript', (e) => e.textContent);
    const want = programOutput(ex.source, ex.letters, ex.conf);
    if (tex !== want.tex) failures.push(`${ex.name}: #tex differs from the program's picture`);
    // The page has no switch for -n, which changes only the terminal text.
    const shown = programOutput(ex.source, ex.letters.replace(/n/g, ''), ex.conf);
    if (!shown.stdout.endsWith(transcript) || transcript.length < 20) {
      failures.push(`${ex.name}: the transcript is not the program's`);
    }
    if (problems.length) failures.push(`${ex.name}: ${problems.join('; ')}`);
    await page.close();
  }
});
finish('examples', failures, cases.length);
