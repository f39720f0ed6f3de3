// Long sources that read like block diagrams, for the benchmark and the
// responsiveness test: rows of arrows, boxes with names, annotations,
// junctions and their signs, and remarks, wrapped into rows so that the
// picture stays within the range of coordinates. Deterministic: the same
// arguments give the same text.

// lines: the number of lines; texts: how many of them draw a text (boxes
// and annotations); bytes: the size to reach with remarks at line ends
// (0 for none).
export function generate(lines, texts, bytes = 0) {
  const out = [];
  let x = 0;
  let k = 0;          // texts so far
  let plain = 0;      // plain lines so far
  let row = 0;
  const PLAIN = ['R (0.6)', 'r (0.3)', '%% the next stage of the chain', 'p', 'r (0.25)', 'm',
    '%\\put("&){\\circle*{0.06}}', 'r! (0.4)'];
  const ADVANCE = [0.6, 0.3, 0, 0, 0.25, 0, 0, 0.4];
  while (out.length < lines) {
    const i = out.length;
    if (x > 24 && lines - i >= 2) {
      out.push(`x (-${x.toFixed(2)})`, 'y (-1.2)');
      x = 0;
      row++;
      continue;
    }
    if (Math.floor(((i + 1) * texts) / lines) > k) {
      if (k % 2 === 0) {
        out.push(`b (1.2, 0.6, "$G_{${k}}(s)$")`);
        x += 1.2;
      } else {
        out.push(`c ("$u_{${k}}$")`);
      }
      k++;
    } else {
      out.push(PLAIN[plain % PLAIN.length]);
      x += ADVANCE[plain % PLAIN.length];
      plain++;
    }
  }
  let text = out.slice(0, lines).join('\n') + '\n';
  if (bytes > text.length) {
    // Remarks at line ends bring the source to its size.
    const padded = out.slice(0, lines).filter((l) => !l.startsWith('%')).length;
    const extra = Math.ceil((bytes - text.length) / Math.max(padded, 1));
    const pad = extra > 4 ? '   %% ' + 'remark about this line '.repeat(Math.ceil(extra / 23)).slice(0, extra - 6) : '';
    text = out.slice(0, lines).map((l) => (l.startsWith('%') || !pad ? l : l + pad)).join('\n') + '\n';
  }
  void row;
  return text;
}
