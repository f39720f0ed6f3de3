// The errors of a run as a list to read: each error once, in line order,
// as {line, text, warning}, from the program's transcript.

// A message of the transcript stands on a line of its own and ends with
// its line number: 'Syntax error in [12]', 'Too long line in input file at
// [3]', 'Undefined label 'A' in [7]'.
const MESSAGE = /\n([^\n]*?) (?:in|at) \[(\d+)\](?=\n)/g;

export function readableErrors(transcript) {
  const out = [];
  const seen = new Set();
  if (/Configuration file error/.test(transcript)) {
    out.push({ line: 0, text: 'Configuration file error', warning: false });
  }
  MESSAGE.lastIndex = 0;
  let m;
  while ((m = MESSAGE.exec(transcript)) !== null) {
    const line = Number(m[2]);
    let text = m[1];
    const warning = /^Warning:\s+/.test(text);
    if (warning) text = 'warning: ' + text.replace(/^Warning:\s+/, '').replace(/^R/, 'r');
    const key = line + '\n' + text;
    if (seen.has(key)) continue;
    seen.add(key);
    out.push({ line, text, warning });
  }
  return out.sort((a, b) => a.line - b.line);
}
