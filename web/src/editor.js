// The source editor: a textarea over a coloured copy of its text, with a
// gutter of line numbers. The colouring is built from text nodes only.

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

export function createEditor(root, onChange) {
  const doc = root.ownerDocument;
  const gutter = root.querySelector('.q-gutter');
  const view = root.querySelector('.q-highlight');
  const area = root.querySelector('textarea');
  let marked = new Set();

  function paint() {
    const lines = area.value.split('\n');
    const frag = doc.createDocumentFragment();
    lines.forEach((line, i) => {
      for (const [cls, text] of tokenize(line)) {
        const span = doc.createElement('span');
        if (cls) span.className = cls;
        span.textContent = text;
        frag.appendChild(span);
      }
      if (i < lines.length - 1) frag.appendChild(doc.createTextNode('\n'));
    });
    frag.appendChild(doc.createTextNode('\n'));
    view.replaceChildren(frag);
    const numbers = doc.createDocumentFragment();
    lines.forEach((_, i) => {
      const n = doc.createElement('div');
      n.textContent = String(i + 1);
      if (marked.has(i + 1)) n.className = 'q-error-line';
      numbers.appendChild(n);
    });
    gutter.replaceChildren(numbers);
    sync();
  }
  function sync() {
    view.scrollTop = area.scrollTop;
    view.scrollLeft = area.scrollLeft;
    gutter.scrollTop = area.scrollTop;
  }
  area.addEventListener('input', () => { paint(); onChange(); });
  area.addEventListener('scroll', sync);

  return {
    get value() { return area.value; },
    set value(text) { area.value = text; paint(); },
    // Marks the lines that have errors in the gutter.
    markErrors(lines) { marked = new Set(lines); paint(); },
    // Selects line n and scrolls it into view.
    goToLine(n) {
      const lines = area.value.split('\n');
      if (n < 1 || n > lines.length) return;
      let start = 0;
      for (let i = 0; i < n - 1; i++) start += lines[i].length + 1;
      area.focus();
      area.setSelectionRange(start, start + lines[n - 1].length);
      const lineHeight = parseFloat(getComputedStyle(area).lineHeight) || 18;
      area.scrollTop = Math.max(0, (n - 3) * lineHeight);
      sync();
    },
  };
}
