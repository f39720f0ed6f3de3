// A source too long for the textarea to hold at once (here 12,000 lines,
// opened from the browser's storage) is edited as any other: the textarea
// holds a window of lines around the view, and the editor's text, its
// colouring and line numbers, the cursor's line, typing where the cursor
// is (also after scrolling far from it), undo and redo, the links of the
// messages, Ctrl+End, select all with copy, cut, typing and Tab, are
// those of the whole text.
import { needBrowser, withBrowser, pageUrl, finish, settled } from './harness.mjs';

const N = 12000;
const BAD = 9001;   // the line with an error
const LINES = Array.from({ length: N }, (_, i) =>
  (i + 1 === BAD ? 'Z (1)' : i % 3 ? `r (0.${i % 10})` : `%% line ${i + 1}`));
const SOURCE = LINES.join('\n') + '\n';
const LH = 18;   // px per line, as the style has it

const puppeteer = await needBrowser();
const failures = [];
let total = 0;
const check = (ok, what) => { total++; if (!ok) failures.push(what); };

// The text with 'text' put at the start of line n.
const putAt = (n, text) => LINES.map((l, i) => (i + 1 === n ? text + l : l)).join('\n') + '\n';

await withBrowser(puppeteer, async (browser) => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  await page.evaluateOnNewDocument((text) => {
    if (!sessionStorage.getItem('seeded')) {
      localStorage.setItem('quillard-playground', JSON.stringify({ source: text, conf: '', letters: '' }));
      sessionStorage.setItem('seeded', '1');
    }
    // What a copy or a cut puts on the clipboard.
    document.addEventListener('copy', (e) => { window.__copied = e.clipboardData.getData('text/plain'); });
    document.addEventListener('cut', (e) => { window.__copied = e.clipboardData.getData('text/plain'); });
  }, SOURCE);
  await page.goto(pageUrl('index.html'));
  await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
  await settled(page, 60000);

  const frame = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 30))));
  const value = () => page.evaluate(() => window.quillard.editor.value);
  // The lines in view: their numbers and coloured texts, the window, the
  // cursor's line, and where the textarea's line 'probe' lies against the
  // coloured copy of it.
  const state = (probe = 0) => page.evaluate((probe, LH) => {
    const ed = window.quillard.editor;
    const t = document.querySelector('#editor textarea');
    const nums = [...document.querySelectorAll('#editor .q-numbers div')].map((d) => Number(d.textContent));
    const texts = [...document.querySelectorAll('#editor .q-lines .q-line')].map((d) => d.textContent);
    const box = document.querySelector('#editor .q-code').getBoundingClientRect();
    // In view: the middle of the line (where the cursor is drawn).
    const inView = nums.filter((n, k) => {
      const r = document.querySelectorAll('#editor .q-numbers div')[k].getBoundingClientRect();
      return (r.top + r.bottom) / 2 >= box.top && (r.top + r.bottom) / 2 <= box.bottom;
    });
    let offset = null;
    if (probe && ed.window && probe >= ed.window[0] && probe <= ed.window[1]) {
      const k = nums.indexOf(probe);
      const coloured = k >= 0 ? document.querySelectorAll('#editor .q-lines .q-line')[k].getBoundingClientRect().top : NaN;
      const pad = parseFloat(getComputedStyle(t).paddingTop);
      offset = t.getBoundingClientRect().top + pad + (probe - ed.window[0]) * LH - coloured;
    }
    return { window: ed.window, held: t.value.split('\n').length, nums, texts, inView, offset,
      cursor: ed.cursorLine, selected: t.value.slice(t.selectionStart, t.selectionEnd) };
  }, probe, LH);
  const shown = (s) => s.nums.every((n, k) => s.texts[k] === LINES[n - 1] || (n === N + 1 && s.texts[k] === ''));
  const keys = async (mods, key, options) => {
    for (const m of mods) await page.keyboard.down(m);
    await page.keyboard.press(key, options);
    for (const m of [...mods].reverse()) await page.keyboard.up(m);
    await frame();
  };
  const scrollTo = async (line) => {
    await page.evaluate((y) => { document.querySelector('#editor .q-scroll').scrollTop = y; }, (line - 1) * LH);
    await frame();
    await frame();
  };

  // Opened: a window of the text in the textarea, the whole in the editor.
  let s = await state();
  check(s.window && s.window[0] === 1 && s.held <= 1000 && s.held < N / 4, `opened: the textarea holds ${s.held} lines (window ${s.window})`);
  check(await value() === SOURCE, 'opened: the editor\'s text is not the source');
  check(s.nums[0] === 1 && shown(s), `opened: lines shown ${s.nums[0]}.. do not match the source`);

  // Scrolled far down: the lines in view are shown and held, in place.
  await scrollTo(6000);
  s = await state(6005);
  check(s.inView.includes(6005) && shown(s), `scrolled to line 6000: lines ${s.inView[0]}..${s.inView.at(-1)} in view, shown right: ${shown(s)}`);
  check(s.window && s.window[0] <= 6005 && s.window[1] >= 6005 && s.held <= 1000, `scrolled to line 6000: window ${s.window}`);
  check(s.offset !== null && Math.abs(s.offset) < 1, `scrolled to line 6000: the textarea's line lies ${s.offset} px off its colouring`);

  // A click on a line puts the cursor there; typing goes there.
  const box = await page.$eval('#editor .q-code', (e) => { const r = e.getBoundingClientRect(); return { x: r.left, y: r.top }; });
  const row = s.inView[5];
  const y = await page.evaluate((n) => {
    const k = [...document.querySelectorAll('#editor .q-numbers div')].findIndex((d) => Number(d.textContent) === n);
    const r = document.querySelectorAll('#editor .q-numbers div')[k].getBoundingClientRect();
    return r.top + r.height / 2;
  }, row);
  await page.mouse.click(box.x + 200, y);
  await keys([], 'Home');
  s = await state();
  check(s.cursor === row, `click on line ${row}: the cursor is on line ${s.cursor}`);
  await page.keyboard.type('abc');
  await frame();
  check(await value() === putAt(row, 'abc'), `typing on line ${row}: the text is not the source with 'abc' there`);
  s = await state();
  check(s.texts[s.nums.indexOf(row)] === 'abc' + LINES[row - 1], `typing on line ${row}: its colouring shows '${s.texts[s.nums.indexOf(row)]}'`);

  // Undo takes the typing back at once, redo brings it again.
  await keys(['Control'], 'z');
  check(await value() === SOURCE, 'Ctrl+Z: the typing is not taken back whole');
  await keys(['Control', 'Shift'], 'Z');
  check(await value() === putAt(row, 'abc'), 'Ctrl+Shift+Z: the typing is not made again');
  await keys(['Control'], 'z');
  check(await value() === SOURCE, 'Ctrl+Z after redo: the text is not the source');

  // Scrolled far from the cursor: a key types at the cursor, which comes
  // into view; the edit is undone even after the window moved.
  await scrollTo(100);
  await page.keyboard.type('Q');
  await frame();
  check(await value() === putAt(row, 'Q'), `typing after scrolling away: 'Q' did not go at line ${row}`);
  s = await state();
  check(s.inView.includes(row), `typing after scrolling away: line ${row} is not in view (${s.inView[0]}..${s.inView.at(-1)})`);
  await scrollTo(11000);
  await keys(['Control'], 'z');
  check(await value() === SOURCE, 'Ctrl+Z far from the edit: the text is not the source');
  s = await state();
  check(s.inView.includes(row), `Ctrl+Z far from the edit: line ${row} is not in view`);
  // A key that moves the cursor moves it from where it is, not from where
  // the view went.
  await scrollTo(100);
  await keys([], 'ArrowDown');
  s = await state();
  check(s.cursor === row + 1 && s.inView.includes(row + 1), `ArrowDown after scrolling away: the cursor is on line ${s.cursor}, not ${row + 1}; lines ${s.inView[0]}..${s.inView.at(-1)} in view`);
  // A page down and up move the cursor by about the lines in view.
  const rows = s.inView.length;
  await keys([], 'PageDown');
  s = await state();
  check(s.cursor - row - 1 >= rows / 2 && s.cursor - row - 1 <= rows && s.inView.includes(s.cursor),
    `PageDown from line ${row + 1} (${rows} lines in view): the cursor is on line ${s.cursor}`);
  await keys([], 'PageUp');
  s = await state();
  check(s.cursor === row + 1 && s.inView.includes(row + 1), `PageUp: the cursor is on line ${s.cursor}, not ${row + 1}`);
  // From the last line the textarea holds, the cursor goes on down.
  const last = await page.evaluate(() => {
    const t = document.querySelector('#editor textarea');
    t.setSelectionRange(t.value.length, t.value.length);
    return window.quillard.editor.window[1];
  });
  await frame();
  await keys([], 'ArrowDown');
  s = await state();
  check(s.cursor === last + 1 && s.inView.includes(last + 1), `ArrowDown from the window's last line ${last}: the cursor is on line ${s.cursor}`);

  // The message's link selects the line, far from where the view was.
  await scrollTo(1);
  await page.click(`#errors a.q-errlink[data-line="${BAD}"]`);
  await frame();
  s = await state();
  check(s.selected === LINES[BAD - 1] && s.cursor === BAD && s.inView.includes(BAD),
    `the link to line ${BAD}: selected '${s.selected}', cursor on ${s.cursor}, in view ${s.inView.includes(BAD)}`);

  // Ctrl+End, then typing: at the end of the text.
  await keys(['Control'], 'End');
  await page.keyboard.type('E');
  await frame();
  check(await value() === SOURCE + 'E', 'Ctrl+End then E: not at the end of the text');
  s = await state();
  check(s.inView.includes(N + 1), 'Ctrl+End: the last line is not in view');
  await keys(['Control'], 'z');
  await keys(['Control'], 'Home');
  s = await state();
  check(s.cursor === 1 && s.inView.includes(1), `Ctrl+Home: the cursor is on line ${s.cursor}`);

  // Select all: copied whole, replaced whole by typing, back whole by undo.
  await keys(['Control'], 'a');
  await keys(['Control'], 'c', { commands: ['Copy'] });
  const copied = await page.evaluate(() => window.__copied);
  check(copied === SOURCE, `Ctrl+A, Ctrl+C: ${copied === undefined ? 'nothing' : copied.length + ' characters'} copied`);
  await page.keyboard.type('r (1)');
  await frame();
  check(await value() === 'r (1)', `Ctrl+A then typing: the text is '${(await value()).slice(0, 40)}'`);
  await keys(['Control'], 'z');
  check(await value() === SOURCE, 'Ctrl+A, typing, Ctrl+Z: the text is not the source');

  // Select all and Tab: every line indented; and back.
  await keys(['Control'], 'a');
  await keys([], 'Tab');
  check(await value() === LINES.map((l) => '  ' + l).join('\n') + '\n', 'Ctrl+A, Tab: not every line indented');
  await keys(['Control'], 'z');
  check(await value() === SOURCE, 'Ctrl+A, Tab, Ctrl+Z: the text is not the source');

  // Select all and cut: all of it on the clipboard, nothing left; undo.
  await page.evaluate(() => { window.__copied = undefined; });
  await keys(['Control'], 'a');
  await keys(['Control'], 'x', { commands: ['Cut'] });
  check(await value() === '' && await page.evaluate(() => window.__copied) === SOURCE, 'Ctrl+A, Ctrl+X: not all cut');
  await keys(['Control'], 'z');
  check(await value() === SOURCE, 'Ctrl+A, Ctrl+X, Ctrl+Z: the text is not the source');

  // The page translated what the editor holds, and kept it.
  await settled(page, 60000);
  await new Promise((r) => setTimeout(r, 500));
  const kept = await page.evaluate(() => JSON.parse(localStorage.getItem('quillard-playground')).source);
  check(kept === SOURCE, 'the source kept in the browser is not the editor\'s');
  const errors = await page.$$eval('#errors a.q-errlink', (a) => a.map((x) => x.dataset.line));
  check(errors.includes(String(BAD)), `the messages after the edits link to lines ${errors.join(', ')}`);
  check(!problems.length, `page errors: ${problems.join('; ')}`);
  await page.close();
});
finish('window', failures, total);
