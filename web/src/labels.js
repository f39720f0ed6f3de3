// The names of the coordinate labels a source defines: the operands of its
// 'n', 'k' and 'a' lines, blanks and tabs dropped, each name once.
const DEFINITION = /^[ \t]*[nka][ \t]*\(([^()"=$,\n]*)\)/;

export function labelNames(source) {
  const names = new Set();
  for (const line of source.split('\n')) {
    const m = DEFINITION.exec(line);
    if (!m) continue;
    const name = m[1].replace(/[ \t]/g, '');
    if (name && name.length <= 30 && !/^[\d.\-$=]/.test(name)) names.add(name);
  }
  return [...names];
}
