// The source editor: a textarea over a coloured copy of the lines in view,
// with a gutter of line numbers. Only the lines in view are coloured, and a
// line is coloured once: a line whose text did not change keeps its node,
// so a key press colours the line it changed, whatever the source's size.
// The colouring is built from text nodes only.

// Classes of the pieces of one source line, as [class, text] pairs.
export function tokenize(line) {
  const out = [];
  const m = /^([ \t]*)(-?[ \t]*)(.?)/.exec(line);
  const [, indent, minus, cmd] = m;
  let rest = line.slice(m[0].length);
  if (indent) out.push(['', indent]);
  if (minus) out.push(['q-minus', minus]);
  if (cmd === '%') {
    if (rest.startsWith('%')) {
      out.push(['q-comment', '%' + rest]);
      return out;
    }
    // LaTeX text, with its substitutions of points, labels and lengths.
    const text = '%' + rest;
    const sub = /"[xy&]|"(?:[*/@$]|-\$)[^"]*"/g;
    let last = 0;
    let t;
    while ((t = sub.exec(text)) !== null) {
      if (t.index > last) out.push(['q-latex', text.slice(last, t.index)]);
      out.push(['q-subst', t[0]]);
      last = t.index + t[0].length;
    }
    if (last < text.length) out.push(['q-latex', text.slice(last)]);
    return out;
  }
  if (!cmd) return out;
  let cls = 'q-cmd';
  if (cmd === '$') cls = 'q-len';
  else if (cmd === '\\') cls = 'q-param';
  else if (!/[rRuUlLdDbBakncspmxyXYgt]/.test(cmd)) cls = 'q-bad';
  if (cmd === '\\' && rest.length) { out.push([cls, cmd + rest[0]]); rest = rest.slice(1); }
  else out.push([cls, cmd]);
  const re = /("[^"]*"?)|(%%.*)|(-?\$[A-Za-z0-9_]*)|(-?\d*\.?\d+)|([^"%$\d-]+|.)/g;
  let t;
  while ((t = re.exec(rest)) !== null) {
    if (t[1]) out.push(['q-str', t[1]]);
    else if (t[2]) out.push(['q-comment', t[2]]);
    else if (t[3]) out.push(['q-len', t[3]]);
    else if (t[4]) out.push(['q-num', t[4]]);
    else out.push(['', t[0]]);
  }
  return out;
}

const INDENT = '  ';
const SPARE = 4;   // lines coloured above and below the view

// root holds .q-gutter, .q-highlight and the textarea. onChange() is called
// after each edit, onCursor(line) when the line of the cursor changes.
export function createEditor(root, onChange, onCursor = () => {}) {
  const doc = root.ownerDocument;
  const gutter = root.querySelector('.q-gutter');
  const view = root.querySelector('.q-highlight');
  const area = root.querySelector('textarea');
  const numbers = doc.createElement('div');
  numbers.className = 'q-numbers';
  gutter.replaceChildren(numbers);
  const code = doc.createElement('div');
  code.className = 'q-lines';
  view.replaceChildren(code);
  let lines = [''];
  let marked = new Set();
  let shown = new Map();   // line text -> [nodes] of the lines in view
  let cursorLine = 0;
  let escaped = false;
  let lineHeight = 18;
  let pad = 4;
  let painted = 0;         // lines coloured by the last paint (for tests)

  function metrics() {
    const cs = getComputedStyle(area);
    lineHeight = parseFloat(cs.lineHeight) || 18;
    pad = parseFloat(cs.paddingTop) || 0;
  }

  function lineNode(text) {
    const list = shown.get(text);
    if (list && list.length) return list.pop();
    painted++;
    const div = doc.createElement('div');
    div.className = 'q-line';
    for (const [cls, piece] of tokenize(text)) {
      const span = doc.createElement('span');
      if (cls) span.className = cls;
      span.textContent = piece;
      div.appendChild(span);
    }
    return div;
  }

  // Colours the lines in view, and numbers them.
  function paint() {
    const first = Math.max(0, Math.floor((area.scrollTop - pad) / lineHeight) - SPARE);
    const rows = Math.ceil(area.clientHeight / lineHeight) + 2 * SPARE;
    const last = Math.min(lines.length, first + rows);
    const kept = new Map();
    const nodes = [];
    for (let i = first; i < last; i++) {
      const node = lineNode(lines[i]);
      nodes.push(node);
      const list = kept.get(lines[i]);
      if (list) list.push(node); else kept.set(lines[i], [node]);
    }
    code.replaceChildren(...nodes);
    for (const list of kept.values()) list.reverse();
    shown = kept;
    const nums = [];
    for (let i = first; i < last; i++) {
      const n = doc.createElement('div');
      n.textContent = String(i + 1);
      if (marked.has(i + 1)) n.className = 'q-error-line';
      if (i + 1 === cursorLine) n.classList.add('q-cursor-line');
      nums.push(n);
    }
    numbers.replaceChildren(...nums);
    place(first);
  }

  let placedFirst = 0;
  function place(first = placedFirst) {
    placedFirst = first;
    const top = pad + first * lineHeight - area.scrollTop;
    code.style.transform = `translate(${-area.scrollLeft}px, ${top}px)`;
    numbers.style.transform = `translateY(${top}px)`;
  }

  let scrolled = false;
  function onScroll() {
    place();
    if (scrolled) return;
    scrolled = true;
    requestAnimationFrame(() => { scrolled = false; paint(); });
  }

  function lineAt(offset) {
    let n = 1;
    let i = -1;
    const v = area.value;
    while ((i = v.indexOf('\n', i + 1)) !== -1 && i < offset) n++;
    return n;
  }

  function cursorMoved() {
    const n = lineAt(area.selectionStart);
    if (n === cursorLine) return;
    cursorLine = n;
    for (const d of numbers.children) d.classList.toggle('q-cursor-line', Number(d.textContent) === n);
    onCursor(n);
  }

  function edited() {
    lines = area.value.split('\n');
    paint();
    onChange();
    cursorMoved();
  }

  // Tab indents (Shift+Tab takes an indent away), on every line of a
  // selection that spans lines; Esc then Tab leaves the editor.
  function indent(out) {
    const v = area.value;
    let a = area.selectionStart, b = area.selectionEnd;
    if (!out && v.lastIndexOf('\n', b - 1) < a) {
      doc.execCommand('insertText', false, INDENT);
      return;
    }
    const start = v.lastIndexOf('\n', a - 1) + 1;
    if (b > start && v[b - 1] === '\n') b--;
    let end = v.indexOf('\n', b);
    if (end < 0) end = v.length;
    const block = v.slice(start, end).split('\n');
    const changed = block.map((l) => (out ? l.replace(/^( {1,2}|\t)/, '') : INDENT + l)).join('\n');
    area.setSelectionRange(start, end);
    doc.execCommand('insertText', false, changed);
    area.setSelectionRange(start, start + changed.length);
  }

  area.addEventListener('keydown', (e) => {
    if (e.key === 'Escape') { escaped = true; return; }
    if (e.key === 'Tab' && !e.ctrlKey && !e.metaKey && !e.altKey) {
      if (escaped) { escaped = false; return; }
      e.preventDefault();
      indent(e.shiftKey);
      return;
    }
    if (e.key !== 'Shift') escaped = false;
  });
  area.addEventListener('input', edited);
  area.addEventListener('scroll', onScroll);
  area.addEventListener('keyup', cursorMoved);
  area.addEventListener('click', cursorMoved);
  area.addEventListener('focus', cursorMoved);
  doc.addEventListener('selectionchange', () => { if (doc.activeElement === area) cursorMoved(); });
  if (typeof ResizeObserver !== 'undefined') new ResizeObserver(() => { metrics(); paint(); }).observe(area);
  metrics();

  function select(n) {
    let start = 0;
    for (let i = 0; i < n - 1; i++) start += lines[i].length + 1;
    return [start, start + lines[n - 1].length];
  }

  return {
    get value() { return area.value; },
    // Replaces the text, as a load does: not undoable.
    set value(text) {
      area.value = text;
      area.scrollTop = 0;
      lines = text.split('\n');
      shown = new Map();
      paint();
      cursorLine = 0;
    },
    // Replaces the text as an edit, which Ctrl+Z takes back.
    replace(text) {
      area.focus();
      area.select();
      if (!doc.execCommand('insertText', false, text) || area.value !== text) area.value = text;
      area.setSelectionRange(0, 0);
      area.scrollTop = 0;
      lines = area.value.split('\n');
      paint();
    },
    // Marks the lines that have errors in the gutter.
    markErrors(list) {
      const next = new Set(list);
      if (next.size === marked.size && [...next].every((n) => marked.has(n))) return;
      marked = next;
      paint();
    },
    // Selects line n and scrolls it into view.
    goToLine(n) {
      if (n < 1 || n > lines.length) return;
      const [a, b] = select(n);
      area.focus();
      area.setSelectionRange(a, b);
      area.scrollTop = Math.max(0, (n - 3) * lineHeight);
      place();
      paint();
      cursorMoved();
    },
    // Puts the cursor at the start of line n.
    cursorTo(n) {
      if (n < 1 || n > lines.length) return;
      const [a] = select(n);
      area.focus();
      area.setSelectionRange(a, a);
      const top = (n - 1) * lineHeight;
      if (top < area.scrollTop || top > area.scrollTop + area.clientHeight - 2 * lineHeight) {
        area.scrollTop = Math.max(0, (n - 3) * lineHeight);
      }
      paint();
      cursorMoved();
    },
    get cursorLine() { return cursorLine; },
    get painted() { return painted; },
    line(n) { return lines[n - 1]; },
    focus() { area.focus(); },
  };
}
