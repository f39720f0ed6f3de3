// Every example, opened through a shared link with its options and its
// .quillard: the page's LaTeX is the quillard program's output byte for byte,
// and its raw transcript is the end of the program's terminal text, -n
// included. An editor's text is a file with its last line ended: a source
// without a final newline is translated as the program translates it with
// one, in the source and in the .quillard pane.
import { needBrowser, withBrowser, openPage, examples, programOutput, finish, rawTranscript } from './harness.mjs';
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
// Texts whose last line has no newline, as typed in an editor.
const UNENDED = [
  { source: 'R (1)\nb (1.4, 0.8, "$G(s)$")\nr (1)', letters: '', conf: '' },
  { source: 'n (A)\nR (1)\nc ("$y$")\ng (A)\nd (1)\n%\\put("&){\\circle{0.2}}', letters: 'h', conf: '\\a = 0.3' },
  { source: 'r (1)\n   ', letters: 'n', conf: '' },
].map((c, i) => ({ ...c, name: `unended ${i}`, ended: true }));
const cases = [...examples(), ...NUMBERS, ...UNENDED];
const ended = (t) => (t === '' || t.endsWith('\n') ? t : t + '\n');
await withBrowser(puppeteer, async (browser) => {
  for (const ex of cases) {
    const { page, problems } = await openPage(browser, 'index.html',
      encodeFragment({ source: ex.source, letters: ex.letters, conf: ex.conf }));
    const tex = await page.$eval('#tex', (e) => e.textContent);
    const transcript = await rawTranscript(page);
    const want = programOutput(ended(ex.source), ex.letters, ended(ex.conf));
    if (tex !== want.tex) failures.push(`${ex.name}: #tex differs from the program's picture`);
    if (!want.stdout.endsWith(transcript) || transcript.length < 20) {
      failures.push(`${ex.name}: the transcript is not the program's`);
    }
    if (ex.ended && /error/i.test(await page.$eval('#errors', (e) => e.textContent))) {
      failures.push(`${ex.name}: an error on the last line of the editor's text`);
    }
    if (problems.length) failures.push(`${ex.name}: ${problems.join('; ')}`);
    await page.close();
  }
});
finish('examples', failures, cases.length);
