// The playground's worker: translates the source and reads its picture off
// the page's thread, so that no source, however big, keeps the page from
// answering. Each request replaces the ones still waiting; the answer
// carries the request's id.
import createQuillard from './quillard-wasm.mjs';
import { loadTranslator, asFile } from './quillard.js';
import { parsePicture, texDimen } from './picture.js';
import { readableErrors } from './messages.js';
import { encodeFragment } from './share.js';
import { labelNames } from './labels.js';

const loading = loadTranslator(createQuillard);
let latest = null;
let busy = false;

// The labels' coordinates in the picture: the source is translated once
// more with a '%' line for each label name after its last line, which
// writes the label's coordinates and changes nothing else.
function labelPoints(translator, source, conf, letters, lines) {
  const names = labelNames(source);
  if (!names.length) return [];
  const extra = names.map((n) => `%"@${n}"`).join('\n') + '\n';
  const r = translator.translate(source + extra, conf, letters.replace(/h/g, ''));
  const out = [];
  names.forEach((name, k) => {
    const a = r.ends[lines + k], b = r.ends[lines + k + 1];
    const m = /^([-\d.e+]+),([-\d.e+]+)\n$/.exec(r.tex.slice(a, b));
    if (m) out.push({ name, x: Number(m[1]), y: Number(m[2]) });
  });
  return out;
}

function answer(translator, q) {
  const t0 = performance.now();
  const source = asFile(q.source);
  const conf = asFile(q.conf);
  // The quiet run gives the picture, the line ends and the messages to
  // read; the plain run the transcript as the program prints it.
  const r = translator.translate(source, conf, q.letters, { quiet: true });
  const plain = translator.translate(source, conf, q.letters).transcript;
  const t1 = performance.now();
  const unit = texDimen(q.unit) || texDimen('1cm');
  const pic = parsePicture(r.tex, { ends: r.ends, unit });
  const t2 = performance.now();
  const lines = r.ends.length - 1;
  const reply = {
    id: q.id, status: r.status, tex: r.tex, transcript: plain,
    errors: readableErrors(r.transcript),
    ends: r.ends, lines,
    box: pic.box, items: pic.items, count: pic.count, texts: pic.texts, skipped: pic.skipped, cut: pic.cut,
    labels: q.labels ? labelPoints(translator, source, conf, q.letters, lines) : [],
    fragment: q.fragment ? encodeFragment({ source: q.source, letters: q.letters, conf: q.conf }) : null,
    times: { translate: t1 - t0, parse: t2 - t1 },
  };
  const buffer = pic.items.buffer;
  postMessage(reply, [buffer]);
}

async function run() {
  if (busy) return;
  busy = true;
  const translator = await loading;
  while (latest) {
    const q = latest;
    latest = null;
    try {
      answer(translator, q);
    } catch (e) {
      postMessage({ id: q.id, failure: String(e && e.message || e) });
    }
    // Let requests that came in meanwhile arrive; only the last is answered.
    await new Promise((resolve) => setTimeout(resolve, 0));
  }
  busy = false;
}

self.onmessage = (e) => {
  latest = e.data;
  run();
};
