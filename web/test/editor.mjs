// The editor's colouring lays its pieces exactly over the text typed: for
// every line of every example, and for lines that are not well formed, the
// pieces join up to the line itself; substitutions in '%' lines stand apart.
import { tokenize } from '../src/editor.js';
import { examples, finish } from './harness.mjs';

const ODD = ['', '-', '   -  r (1)', 'Z (1)', 'b (1, 1, "open', '\\', '\\c', '%', '%%', '  %\\put("x,"y){"-$w"}',
  '$w = -.5 %% note', 'r! ($a)\r', '"', 'c ("50% gain")', '\t\tk (K)  % x', 'x (-$)', '%"*A'];
const SUBST = [['%\\put("&){\\circle{"$d"}}', ['"&', '"$d"']], ['%\\put("@ A "){x} "q "-x', ['"@ A "']]];

const failures = [];
const lines = [...examples().flatMap((e) => e.source.split('\n')), ...ODD];
for (const line of lines) {
  const joined = tokenize(line).map(([, text]) => text).join('');
  if (joined !== line) failures.push(`'${line}' coloured as '${joined}'`);
}
for (const [line, want] of SUBST) {
  const got = tokenize(line).filter(([cls]) => cls === 'q-subst').map(([, text]) => text);
  if (JSON.stringify(got) !== JSON.stringify(want)) failures.push(`'${line}': substitutions ${JSON.stringify(got)}`);
}
finish('editor', failures, lines.length + SUBST.length);
