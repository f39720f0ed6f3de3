// The messages of a quiet run as a list to read: 'NAME:LINE: message' lines
// as {file, line, text, warning}, in their order (line order).
const MESSAGE = /^(.*?):(\d+): (.*)$/;

export function readableErrors(quiet) {
  const out = [];
  for (const line of quiet.split('\n')) {
    if (!line) continue;
    const m = MESSAGE.exec(line);
    if (m) out.push({ file: m[1], line: Number(m[2]), text: m[3], warning: m[3].startsWith('warning: ') });
    else out.push({ file: '', line: 0, text: line, warning: false });
  }
  return out;
}
