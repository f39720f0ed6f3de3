// One update of the playground, shared by the page (small sources) and its
// worker (big ones): translate, read the picture, find the labels.
import { asFile } from './quillard.js';
import { parsePicture, texDimen } from './picture.js';
import { readableErrors } from './messages.js';
import { encodeFragment } from './share.js';
import { labelNames } from './labels.js';

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

// The answer to one request: the source translated, quietly for the
// picture, its line ends and the messages to read, and plainly for the
// transcript when it is shown; the picture read into items.
export function answer(translator, q) {
  const t0 = performance.now();
  const source = asFile(q.source);
  const conf = asFile(q.conf);
  // The quiet run gives the picture, the line ends and the messages to
  // read; the plain run the transcript as the program prints it.
  const r = translator.translate(source, conf, q.letters, { quiet: true });
  const plain = q.raw ? translator.translate(source, conf, q.letters).transcript : null;
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
  return reply;
}

