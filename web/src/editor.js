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
const TAB = 8;     // columns of a tab, as the style's tab-size

// A textarea lays all its text out again whenever the text changes, and its
// first layout of tens of thousands of lines keeps the page busy for most
// of a second. So a source of more lines than WINDOW_MIN (or of more than
// WINDOW_CHARS characters) is held in the textarea a window of lines at a
// time: the lines around the view, in a textarea as tall as they are, set
// at their place in a scrolling box as tall as the whole text. The window
// moves when the view comes near its edge. The colouring and the line
// numbers are drawn from the editor's own copy of the lines, as always.
export const WINDOW_MIN = 5000;
const WINDOW_CHARS = 1 << 20;
const WINDOW = 1000;       // lines in the window, at most ...
const WINDOW_TEXT = 48000; // ... and about this many characters
const WINDOW_MAX = 4000;   // a window grows to this many lines to hold the selection
// The input types that one undo step takes back together when they follow
// on from each other, as typing does.
const TYPING = /^(insertText|insertLineBreak|insertParagraph|deleteContentBackward|deleteContentForward)$/;

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
  // The textarea sits in a box that scrolls the whole text when the text
  // is held a window at a time; otherwise the box only wraps it and the
  // textarea scrolls itself.
  const scroller = doc.createElement('div');
  scroller.className = 'q-scroll';
  const sizer = doc.createElement('div');
  sizer.className = 'q-sizer';
  area.replaceWith(scroller);
  scroller.append(sizer, area);
  let lines = [''];
  let marked = new Set();
  let shown = new Map();   // line text -> [nodes] of the lines in view
  let cursorLine = 0;
  let escaped = false;
  let lineHeight = 18;
  let pad = 4;
  let padX = 4;
  let charWidth = 0;
  let painted = 0;         // lines coloured by the last paint (for tests)

  // The window: lines w0 to w1 (not included) are in the textarea.
  let windowed = false;
  let w0 = 0;
  let w1 = 1;
  let span = WINDOW;       // lines in a window
  let head = '';           // the text before the window, with the newline that ends it
  let tail = '';           // the text after it, from the newline that starts it
  let cols = 0;            // the widest line's columns
  let shadow = '';         // the window's text after the last change seen
  // A selection the window does not hold, in offsets into the whole text
  // ({start, end, dir, line}); the textarea shows the part of it it holds
  // (placed).
  let virtual = null;
  let placed = null;
  let dragging = false;
  let composing = false;
  // The edits made while the text is held a window at a time, for undo and
  // redo: {at, removed, inserted, before, after (selections), typing}.
  let undos = [];
  let redos = [];
  let pending = null;      // the selection before the edit under way

  function metrics() {
    const cs = getComputedStyle(area);
    lineHeight = parseFloat(cs.lineHeight) || 18;
    pad = parseFloat(cs.paddingTop) || 0;
    padX = parseFloat(cs.paddingLeft) || 0;
  }

  // The width of a column of the editor's font, measured once.
  function columnWidth() {
    if (!charWidth) {
      const probe = doc.createElement('div');
      probe.className = 'q-line';
      probe.style.position = 'absolute';
      probe.textContent = '0'.repeat(100);
      code.appendChild(probe);
      charWidth = probe.getBoundingClientRect().width / 100 || 8;
      probe.remove();
    }
    return charWidth;
  }

  function columns(line) {
    if (line.indexOf('\t') < 0) return line.length;
    let c = 0;
    for (const ch of line) c = ch === '\t' ? (Math.floor(c / TAB) + 1) * TAB : c + 1;
    return c;
  }

  function widest(list, tabs = true) {
    let w = 0;
    for (const line of list) if (line.length > w || (tabs && line.indexOf('\t') >= 0)) w = Math.max(w, columns(line));
    return w;
  }

  const viewTop = () => (windowed ? scroller.scrollTop + area.scrollTop : area.scrollTop);
  const viewLeft = () => (windowed ? scroller.scrollLeft + area.scrollLeft : area.scrollLeft);
  const viewHeight = () => (windowed ? scroller.clientHeight : area.clientHeight);

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
    let first = Math.max(0, Math.floor((viewTop() - pad) / lineHeight) - SPARE);
    const rows = Math.ceil(viewHeight() / lineHeight) + 2 * SPARE;
    if (windowed && follow(first, first + rows)) first = Math.max(0, Math.floor((viewTop() - pad) / lineHeight) - SPARE);
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
    const top = pad + first * lineHeight - viewTop();
    code.style.transform = `translate(${-viewLeft()}px, ${top}px)`;
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

  // ---------------------------------------------------------- the window

  // The offset in the whole text where line i (from 0) starts.
  function offsetOf(i) {
    let o = 0;
    for (let k = 0; k < i; k++) o += lines[k].length + 1;
    return o;
  }

  // The line (from 0) that holds offset g of the whole text, and g's column.
  function lineOf(g) {
    let o = 0;
    for (let k = 0; k < lines.length; k++) {
      const end = o + lines[k].length;
      if (g <= end) return [k, g - o];
      o = end + 1;
    }
    return [lines.length - 1, lines[lines.length - 1].length];
  }

  const total = () => offsetOf(lines.length - 1) + lines[lines.length - 1].length;

  // The selection in offsets into the whole text.
  function selection() {
    if (virtual) return virtual;
    const base = windowed ? offsetOf(w0) : 0;
    return { start: base + area.selectionStart, end: base + area.selectionEnd, dir: area.selectionDirection };
  }

  // Sets the geometry of the textarea (at least as wide as the box, by the
  // style) and of the box that scrolls it. Only writes: the page lays the
  // window out once, when it is next asked to.
  function frameWindow() {
    if (!windowed) return;
    const set = (e, k, v) => { if (e.style[k] !== v) e.style[k] = v; };
    set(area, 'top', `${w0 * lineHeight}px`);
    set(area, 'height', `${(w1 - w0) * lineHeight + 2 * pad}px`);
    set(area, 'width', `${Math.ceil(cols * columnWidth() + 2 * padX + 2)}px`);
    set(sizer, 'height', `${lines.length * lineHeight + 2 * pad}px`);
  }

  // Shows sel (offsets into the whole text) in the textarea: the whole of
  // it when the window holds it, else the part that it holds, the rest kept.
  function keepSelection(sel) {
    const base = windowed ? offsetOf(w0) : 0;
    const len = area.value.length;
    const s = sel.start - base, e = sel.end - base;
    const clamp = (v) => Math.max(0, Math.min(len, v));
    virtual = s >= 0 && e <= len ? null : { ...sel, line: lineOf(sel.start)[0] + 1 };
    placed = [clamp(s), clamp(e)];
    area.setSelectionRange(placed[0], placed[1], sel.dir || 'none');
  }

  // The whole text, while it is held a window at a time.
  const wholeText = () => head + area.value + tail;

  // Puts lines a to b of text (the whole text, as the lines hold it) into
  // the textarea, keeping the scroll and the selection.
  function setWindow(a, b, sel = selection(), text = wholeText()) {
    const o0 = offsetOf(a);
    const o1 = b < lines.length ? offsetOf(b) - 1 : text.length;
    w0 = a;
    w1 = b;
    head = text.slice(0, o0);
    tail = text.slice(o1);
    // The place first, then the text: the textarea keeps its height in
    // the box, so the box's scroll does not move.
    frameWindow();
    area.value = text.slice(o0, o1);
    shadow = area.value;
    keepSelection(sel);
  }

  // The window of span lines around the lines from..to, grown to hold
  // the selection's lines when it can be.
  function windowAround(from, to, sel) {
    const n = lines.length;
    const mid = Math.floor((from + to) / 2);
    let a = Math.max(0, Math.min(mid - Math.floor(span / 2), n - span));
    let b = Math.min(n, a + span);
    if (sel) {
      const s0 = lineOf(sel.start)[0], s1 = lineOf(sel.end)[0];
      if (Math.max(b, s1 + 1) - Math.min(a, s0) <= WINDOW_MAX) {
        a = Math.min(a, s0);
        b = Math.max(b, s1 + 1);
      }
    }
    return [a, b];
  }

  // Moves the window when the lines first..last in view come near its
  // edge. Not while a selection is dragged or a text composed: the
  // textarea under them would change. Returns whether it moved.
  function follow(first, last) {
    if (dragging || composing) return false;
    const margin = Math.floor(span / 5);
    const n = lines.length;
    if (!((w0 > 0 && first < w0 + margin) || (w1 < n && last > w1 - margin))) return false;
    const sel = selection();
    const [a, b] = windowAround(first, last, sel);
    if (a === w0 && b === w1) return false;
    setWindow(a, b, sel);
    return true;
  }

  // Scrolls line i (from 0) into view, by as little as it takes.
  function reveal(i) {
    const top = pad + i * lineHeight;
    const box = windowed ? scroller : area;
    if (top < box.scrollTop) box.scrollTop = top - pad;
    else if (top + lineHeight > box.scrollTop + viewHeight()) box.scrollTop = top + lineHeight + pad - viewHeight();
  }

  // Makes a selection that the window does not hold real, with the window
  // moved around it, when it is not too long; returns whether it is real.
  function realize() {
    if (!virtual) return true;
    const sel = virtual;
    const s0 = lineOf(sel.start)[0], s1 = lineOf(sel.end)[0];
    if (s1 - s0 + 1 > WINDOW_MAX) return false;
    const caret = sel.dir === 'backward' ? s0 : s1;
    const [a, b] = windowAround(caret, caret, sel);
    setWindow(a, b, sel);
    reveal(caret);
    return !virtual;
  }

  // Replaces len characters at offset at of the whole text with text,
  // then selects sel: an edit the textarea did not make (undo, redo, an
  // edit of a selection longer than a window).
  function change(at, len, raw, sel) {
    const text = raw.replace(/\r\n?/g, '\n');
    const old = wholeText();
    const whole = old.slice(0, at) + text + old.slice(at + len);
    const [l0, c0] = lineOf(at);
    const [l1, c1] = lineOf(at + len);
    const made = (lines[l0].slice(0, c0) + text + lines[l1].slice(c1)).split('\n');
    lines.splice(l0, l1 - l0 + 1, ...made);
    cols = Math.max(cols, widest(made));
    const caret = lineOf(sel.dir === 'backward' ? sel.start : sel.end)[0];
    const [a, b] = windowAround(caret, caret, sel);
    setWindow(a, b, sel, whole);
    reveal(caret);
    paint();
    onChange();
    cursorMoved();
  }

  // Records the change of the window's text from old to now as an edit;
  // edits of typing that follow on from each other make one.
  function record(old, now, sel, type) {
    const lim = Math.min(old.length, now.length);
    let p = 0;
    while (p < lim && old.charCodeAt(p) === now.charCodeAt(p)) p++;
    let s = 0;
    while (s < lim - p && old.charCodeAt(old.length - 1 - s) === now.charCodeAt(now.length - 1 - s)) s++;
    if (p === old.length - s && p === now.length - s) return;
    const base = offsetOf(w0);
    const edit = { at: base + p, removed: old.slice(p, old.length - s), inserted: now.slice(p, now.length - s),
      before: sel, after: selection(), typing: TYPING.test(type || ''), base };
    redos = [];
    const last = undos[undos.length - 1];
    const from = last ? Math.min(last.at, edit.at) : 0;
    const to = last ? Math.max(last.at + last.inserted.length, edit.at + edit.removed.length) : 0;
    if (last && edit.typing && last.typing && last.base === base && last.after.start === sel.start &&
        last.after.end === sel.end && edit.at <= last.at + last.inserted.length &&
        edit.at + edit.removed.length >= last.at && from >= base && to - base <= old.length) {
      // One edit from the text before the last to the text now, over the
      // stretch both touched (old holds the text between them).
      const mid = old.slice(from - base, to - base);
      last.removed = mid.slice(0, last.at - from) + last.removed + mid.slice(last.at + last.inserted.length - from);
      last.inserted = mid.slice(0, edit.at - from) + edit.inserted + mid.slice(edit.at + edit.removed.length - from);
      last.at = from;
      last.after = edit.after;
      return;
    }
    undos.push(edit);
    if (undos.length > 1000) undos.shift();
  }

  function history(back) {
    const e = (back ? undos : redos).pop();
    if (!e) return;
    (back ? redos : undos).push(e);
    if (back) change(e.at, e.inserted.length, e.removed, e.before);
    else change(e.at, e.removed.length, e.inserted, e.after);
    for (const list of [undos, redos]) for (const x of list) x.base = -1;   // no typing joins across
  }

  // An edit of a selection the window does not hold, made here from what
  // the input event says.
  function editVirtual(e) {
    const sel = virtual;
    let text = null;
    if (/^delete/.test(e.inputType)) text = sel.start === sel.end ? null : '';
    else if (e.inputType === 'insertLineBreak' || e.inputType === 'insertParagraph') text = '\n';
    else if (/^insert/.test(e.inputType)) {
      text = e.data ?? (e.dataTransfer ? e.dataTransfer.getData('text/plain') : null);
    }
    if (text === null) return;
    const at = sel.start;
    const edit = { at, removed: textOf(sel.start, sel.end), inserted: text, before: sel,
      after: { start: at + text.length, end: at + text.length, dir: 'none' }, typing: TYPING.test(e.inputType), base: -1 };
    undos.push(edit);
    redos = [];
    change(at, sel.end - sel.start, text, edit.after);
    // Typing that goes on in the window joins this edit, as it would join
    // the typing that replaced a selection.
    edit.base = offsetOf(w0);
  }

  function textOf(a, b) {
    const [l0, c0] = lineOf(a);
    const [l1, c1] = lineOf(b);
    if (l0 === l1) return lines[l0].slice(c0, c1);
    return [lines[l0].slice(c0), ...lines.slice(l0 + 1, l1), lines[l1].slice(0, c1)].join('\n');
  }

  // Holds text in the textarea whole, or a window at a time.
  function setText(raw, sel) {
    // A textarea reads CR LF and a lone CR as line breaks: so do the lines.
    const text = raw.indexOf('\r') < 0 ? raw : raw.replace(/\r\n?/g, '\n');
    lines = text.split('\n');
    undos = [];
    redos = [];
    virtual = null;
    windowed = lines.length > WINDOW_MIN || text.length > WINDOW_CHARS;
    if (windowed) {
      // What needs the page laid out comes before the new text is set.
      columnWidth();
      scroller.scrollTop = 0;
      scroller.scrollLeft = 0;
      area.scrollTop = 0;
      scroller.classList.add('q-windowed');
      span = Math.max(400, Math.min(WINDOW, Math.floor(WINDOW_TEXT * lines.length / Math.max(text.length, 1))));
      cols = widest(lines, text.indexOf('\t') >= 0);
      setWindow(0, Math.min(lines.length, span), sel, text);
    } else {
      scroller.classList.remove('q-windowed');
      for (const k of ['top', 'height', 'width']) area.style[k] = '';
      sizer.style.height = '';
      w0 = 0;
      w1 = lines.length;
      scroller.scrollTop = 0;
      area.value = text;
      if (sel) area.setSelectionRange(sel.start, sel.end);
      area.scrollTop = 0;
    }
  }

  // ------------------------------------------------------------ editing

  function cursorMoved() {
    const n = virtual ? virtual.line : (windowed ? w0 : 0) + lineAt(area.selectionStart);
    if (n === cursorLine) return;
    cursorLine = n;
    for (const d of numbers.children) d.classList.toggle('q-cursor-line', Number(d.textContent) === n);
    onCursor(n);
  }

  function edited(e) {
    if (windowed) {
      const now = area.value;
      const win = now.split('\n');
      lines.splice(w0, w1 - w0, ...win);
      w1 = w0 + win.length;
      cols = Math.max(cols, widest(win));
      record(shadow, now, pending || selection(), e && e.inputType);
      pending = null;
      shadow = now;
      frameWindow();
    } else {
      lines = area.value.split('\n');
    }
    paint();
    onChange();
    cursorMoved();
  }

  // Tab indents (Shift+Tab takes an indent away), on every line of a
  // selection that spans lines; Esc then Tab leaves the editor.
  function indent(out) {
    if (windowed) pending = selection();
    if (virtual) {
      // A selection longer than the window: its lines are indented here.
      const sel = virtual;
      const l0 = lineOf(sel.start)[0], l1 = lineOf(sel.end)[0];
      const last = l1 > l0 && lineOf(sel.end)[1] === 0 ? l1 - 1 : l1;
      const at = offsetOf(l0);
      const old = lines.slice(l0, last + 1).join('\n');
      const now = lines.slice(l0, last + 1).map((l) => (out ? l.replace(/^( {1,2}|\t)/, '') : INDENT + l)).join('\n');
      const after = { start: at, end: at + now.length, dir: 'forward' };
      undos.push({ at, removed: old, inserted: now, before: sel, after, typing: false, base: -1 });
      redos = [];
      change(at, old.length, now, after);
      return;
    }
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

  // Keys that a text held a window at a time answers itself: undo and
  // redo, select all, the start and the end of the text; any other key
  // that moves the cursor or edits first brings a selection the window
  // does not hold into it.
  function windowKey(e) {
    const mod = e.ctrlKey || e.metaKey;
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    if (mod && !e.altKey && (key === 'z' || key === 'y')) {
      e.preventDefault();
      history(key === 'z' && !e.shiftKey);
      return true;
    }
    if (mod && !e.altKey && !e.shiftKey && key === 'a') {
      e.preventDefault();
      keepSelection({ start: 0, end: total(), dir: 'forward' });
      cursorMoved();
      return true;
    }
    if (mod && !e.altKey && (key === 'Home' || key === 'End')) {
      e.preventDefault();
      const to = key === 'Home' ? 0 : total();
      const sel = selection();
      const anchor = sel.dir === 'backward' ? sel.end : sel.start;
      const next = e.shiftKey ? { start: Math.min(anchor, to), end: Math.max(anchor, to), dir: to < anchor ? 'backward' : 'forward' }
        : { start: to, end: to, dir: 'none' };
      const line = key === 'Home' ? 0 : lines.length - 1;
      const [a, b] = windowAround(line, line, next);
      setWindow(a, b, next);
      reveal(line);
      cursorMoved();
      return true;
    }
    if (!mod && !e.altKey && (key === 'PageUp' || key === 'PageDown')) {
      // A page up or down: the textarea, as tall as its window, is no
      // page; the cursor goes by the box's height, as the view does.
      e.preventDefault();
      realize();
      const rows = Math.max(1, Math.floor(viewHeight() * 0.875 / lineHeight)) * (key === 'PageUp' ? -1 : 1);
      const sel = selection();
      const back = sel.dir === 'backward';
      const anchor = back ? sel.end : sel.start;
      const [line, col] = lineOf(back ? sel.start : sel.end);
      const to = Math.max(0, Math.min(lines.length - 1, line + rows));
      let at = offsetOf(to) + Math.min(col, lines[to].length);
      if (line + rows < 0) at = 0;
      if (line + rows > lines.length - 1) at = total();
      const next = e.shiftKey ? { start: Math.min(anchor, at), end: Math.max(anchor, at), dir: at < anchor ? 'backward' : 'forward' }
        : { start: at, end: at, dir: 'none' };
      scroller.scrollTop += rows * lineHeight;
      const [a, b] = windowAround(to, to, next);
      setWindow(a, b, next);
      reveal(to);
      cursorMoved();
      return true;
    }
    if (e.key === 'Escape' || /^(Shift|Control|Alt|Meta|CapsLock|AltGraph|OS)$/.test(e.key)) return false;
    if (mod && !/^(Arrow|Backspace|Delete|Home|End)/.test(e.key)) return false;
    if (e.key === 'Tab' && escaped) return false;
    if (virtual) realize();
    else roomAround();
    return false;
  }

  // Before a key moves the cursor or edits: the window moved when the
  // cursor is at its first or last lines, so that the key has lines to go
  // to.
  function roomAround() {
    const local = lineAt(area.selectionDirection === 'backward' ? area.selectionStart : area.selectionEnd) - 1;
    if (!((w0 > 0 && local < 2) || (w1 < lines.length && local > w1 - w0 - 3))) return;
    const sel = selection();
    const [a, b] = windowAround(w0 + local, w0 + local, sel);
    if (a !== w0 || b !== w1) setWindow(a, b, sel);
  }

  area.addEventListener('keydown', (e) => {
    if (windowed && windowKey(e)) return;
    if (e.key === 'Escape') { escaped = true; return; }
    if (e.key === 'Tab' && !e.ctrlKey && !e.metaKey && !e.altKey) {
      if (escaped) { escaped = false; return; }
      e.preventDefault();
      indent(e.shiftKey);
      return;
    }
    if (e.key !== 'Shift') escaped = false;
  });
  area.addEventListener('beforeinput', (e) => {
    if (!windowed) return;
    if (e.inputType === 'historyUndo' || e.inputType === 'historyRedo') {
      e.preventDefault();
      history(e.inputType === 'historyUndo');
      return;
    }
    if (virtual && !realize()) {
      e.preventDefault();
      editVirtual(e);
      return;
    }
    pending = selection();
  });
  // Copying or cutting a selection the window does not hold takes its
  // text from the whole; a paste goes where the selection is.
  area.addEventListener('copy', (e) => {
    if (!windowed || !virtual) return;
    e.preventDefault();
    e.clipboardData.setData('text/plain', textOf(virtual.start, virtual.end));
  });
  area.addEventListener('cut', (e) => {
    if (!windowed || !virtual) return;
    e.preventDefault();
    e.clipboardData.setData('text/plain', textOf(virtual.start, virtual.end));
    editVirtual({ inputType: 'deleteByCut' });
  });
  area.addEventListener('paste', () => { if (windowed) realize(); });
  area.addEventListener('compositionstart', () => { if (windowed) realize(); composing = true; });
  area.addEventListener('compositionend', () => { composing = false; });
  area.addEventListener('mousedown', () => { if (virtual) virtual = null; });
  area.addEventListener('pointerdown', () => { dragging = true; });
  const dropped = () => { if (dragging) { dragging = false; if (windowed) paint(); } };
  doc.addEventListener('pointerup', dropped);
  doc.addEventListener('pointercancel', dropped);
  area.addEventListener('focus', () => {
    // Focus shows the cursor, wherever it is in the text.
    if (windowed && virtual && virtual.start === virtual.end) realize();
  });

  area.addEventListener('input', edited);
  area.addEventListener('scroll', onScroll);
  scroller.addEventListener('scroll', onScroll);
  area.addEventListener('keyup', cursorMoved);
  area.addEventListener('click', cursorMoved);
  area.addEventListener('focus', cursorMoved);
  doc.addEventListener('selectionchange', () => {
    if (doc.activeElement !== area) return;
    // The user moved a selection the window did not hold.
    if (virtual && placed && (area.selectionStart !== placed[0] || area.selectionEnd !== placed[1])) virtual = null;
    cursorMoved();
  });
  if (typeof ResizeObserver !== 'undefined') {
    new ResizeObserver(() => { metrics(); frameWindow(); paint(); }).observe(scroller);
  }
  metrics();

  // Offsets into the whole text of the start and the end of line n.
  function select(n) {
    let start = 0;
    for (let i = 0; i < n - 1; i++) start += lines[i].length + 1;
    return [start, start + lines[n - 1].length];
  }

  // Selects a to b (offsets into the whole text), with the window moved to
  // line n when it does not hold it.
  function selectAt(n, a, b) {
    if (windowed) {
      const sel = { start: a, end: b, dir: 'none' };
      if (n - 1 < w0 || n - 1 >= w1) {
        const [p, q] = windowAround(n - 1, n - 1, null);
        setWindow(p, q, sel);
      } else {
        keepSelection(sel);
      }
      area.focus({ preventScroll: true });
      scroller.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    } else {
      area.focus();
      area.setSelectionRange(a, b);
    }
  }

  const box = () => (windowed ? scroller : area);

  return {
    get value() {
      return windowed ? wholeText() : area.value;
    },
    // Replaces the text, as a load does: not undoable. The cursor goes to
    // the end of the text, as when a textarea's value is set.
    set value(text) {
      setText(text, { start: text.length, end: text.length, dir: 'none' });
      shown = new Map();
      paint();
      cursorLine = 0;
    },
    // Replaces the text as an edit, which Ctrl+Z takes back (not when the
    // text, before or after, is held a window at a time: that replaces it
    // as a load does).
    replace(text) {
      const big = text.length > WINDOW_CHARS || text.split('\n', WINDOW_MIN + 2).length > WINDOW_MIN;
      if (windowed || big) {
        setText(text, { start: 0, end: 0, dir: 'none' });
        area.focus();
      } else {
        area.focus();
        area.select();
        if (!doc.execCommand('insertText', false, text) || area.value !== text) area.value = text;
        area.setSelectionRange(0, 0);
        area.scrollTop = 0;
        lines = area.value.split('\n');
      }
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
      selectAt(n, a, b);
      box().scrollTop = Math.max(0, (n - 3) * lineHeight);
      place();
      paint();
      cursorMoved();
    },
    // Puts the cursor at the start of line n.
    cursorTo(n) {
      if (n < 1 || n > lines.length) return;
      const [a] = select(n);
      selectAt(n, a, a);
      const top = (n - 1) * lineHeight;
      const b = box();
      if (top < b.scrollTop || top > b.scrollTop + viewHeight() - 2 * lineHeight) {
        b.scrollTop = Math.max(0, (n - 3) * lineHeight);
      }
      paint();
      cursorMoved();
    },
    get cursorLine() { return cursorLine; },
    get painted() { return painted; },
    // Whether the text is held a window at a time, and the window's lines.
    get window() { return windowed ? [w0 + 1, w1] : null; },
    line(n) { return lines[n - 1]; },
    focus() { area.focus(); },
  };
}
