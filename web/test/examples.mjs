// Every example, opened through a shared link with its options and its
// .quillard: the page's LaTeX is the quillard program's output byte for byte,
// and its transcript is the end of the program's terminal text (the page has
// no switch for -n, so that letter is left out for the transcript).
import { needBrowser, withBrowser, openPage, examples, programOutput, finish } from './harness.mjs';
import { encodeFragment } from '../src/share.js';

const puppeteer = await needBrowser();
const failures = [];
const cases = examples();
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
