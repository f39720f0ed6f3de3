// Measures one playground update (translate, draw, lay out) of the largest
// example, as the page does it after a keystroke, and prints the median. The
// first run, which typesets every text, is reported apart; later runs reuse
// the typeset texts as the page does while the user types.
import createQuillard from './quillard-wasm.mjs';
import { loadTranslator } from './quillard.js';
import { runPipeline } from './pipeline.js';
import { EXAMPLES } from './examples.js';

const RUNS = 200;
const WARMUP = 20;

loadTranslator(createQuillard).then((translator) => {
  const ex = EXAMPLES.reduce((a, b) => (b.source.length > a.source.length ? b : a));
  const preview = document.getElementById('preview');
  const times = [];
  let first = 0;
  for (let i = 0; i < WARMUP + RUNS; i++) {
    const t0 = performance.now();
    const r = runPipeline(translator, ex.source, ex.conf, ex.letters, { zoom: 1.5 });
    preview.replaceChildren(r.svg);
    preview.getBoundingClientRect();   // force the layout of the texts
    const t1 = performance.now();
    if (i === 0) first = t1 - t0;
    if (i >= WARMUP) times.push(t1 - t0);
  }
  // The translation alone, for comparison.
  const alone = [];
  for (let i = 0; i < RUNS; i++) {
    const t0 = performance.now();
    translator.translate(ex.source, ex.conf, ex.letters);
    alone.push(performance.now() - t0);
  }
  alone.sort((a, b) => a - b);
  times.sort((a, b) => a - b);
  const q = (p) => times[Math.min(times.length - 1, Math.floor(p * times.length))];
  const report = { example: ex.name, lines: ex.source.split('\n').length, runs: RUNS,
    median_ms: +q(0.5).toFixed(3), p90_ms: +q(0.9).toFixed(3), min_ms: +times[0].toFixed(3),
    first_run_ms: +first.toFixed(3), translate_only_median_ms: +alone[RUNS >> 1].toFixed(3) };
  document.getElementById('result').textContent = JSON.stringify(report, null, 1);
  document.body.dataset.ready = 'true';
});
