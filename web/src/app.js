// The playground page: the editor, the option switches, the configuration
// pane, the messages with their links to the source lines, the LaTeX output
// with copy and download, the live preview with its aids, and the saving of
// the work in the browser. Translation runs in a worker; the preview is
// redrawn where it changed.
import { createView, CULL_MIN } from './render.js';
import { texDimen, SP_PER_PT, KIND_NAMES, MAX_ITEMS } from './picture.js';
import { asFile } from './quillard.js';
import { decodeFragment, encodeFragment } from './share.js';
import { createEditor } from './editor.js';
import { drawAids } from './aids.js';
import { standaloneSvg } from './svgfile.js';
import { EXAMPLES } from './examples.js';
import createQuillard from './quillard-wasm.mjs';
import { loadTranslator } from './quillard.js';
import { answer } from './pipeline.js';

const $ = (id) => document.getElementById(id);
const LETTERS = ['h', 'b', 'B', 's', 'n'];
const switches = Object.fromEntries(LETTERS.map((k) => [k, $('opt-' + k)]));
const STORE = 'quillard-playground';
const MAX_LINK = 1000000;      // longer links are not written into the address
const SAVE_DELAY = 300;        // ms after the last change
const MAX_LISTED = 1000;       // messages and skipped lines listed at most
// Sources up to this size are translated on the page's own thread, at once;
// bigger ones in the worker. Either way the work is bounded: translation
// grows with the source, the reading of the picture stops at its limit.
const AT_ONCE = 60000;
const TEX_AT_ONCE = 20000;     // a longer LaTeX text is shown once typing pauses
const TEX_SHOWN = 262144;      // of a longer one, the page shows this much

const confArea = $('conf');
const view = createView(document, globalThis.katex);
$('preview').append(view.svg, view.layer);
let result = null;       // the last answer drawn
let requested = 0;       // id of the last request
let drawnId = 0;
let inputAt = 0;         // when the edit of the pending request was made
let unitPt = 28.45276;
let loadedName = '';     // the example shown, while unedited
let loadedSource = null;
let lastFragment = '';
let saveTimer = 0;

// ------------------------------------------------------------ the worker

const worker = new Worker(URL.createObjectURL(new Blob([$('worker-source').textContent],
  { type: 'text/javascript' })));
worker.onmessage = (e) => received(e.data);
let translator = null;
loadTranslator(createQuillard).then((t) => { translator = t; });
worker.onerror = (e) => {
  $('status').textContent = 'the translator could not start: ' + (e.message || 'unknown error');
  $('status').className = 'q-bad';
};

function letters() {
  return LETTERS.filter((k) => switches[k].checked).join('');
}

function request(edit = true) {
  if (edit) inputAt = performance.now();
  requested++;
  document.body.dataset.busy = 'true';
  const q = { id: requested, source: editor.value, conf: confArea.value, letters: letters(),
    unit: `${unitPt}pt`, labels: $('aid-labels').checked, raw: $('raw').open };
  if (translator && q.source.length + q.conf.length <= AT_ONCE) {
    let r;
    try { r = answer(translator, q); } catch (e) { r = { id: q.id, failure: String(e && e.message || e) }; }
    received(r);
  } else {
    worker.postMessage(q);
  }
}

function changed() {
  $('link-error').hidden = true;
  if (loadedName && editor.value !== loadedSource) {
    loadedName = '';
    $('examples').value = '';
  }
  request();
  scheduleSave();
}

// ------------------------------------------------------------ the answer

async function received(r) {
  if (r.failure) {
    $('status').textContent = 'the translator failed: ' + r.failure;
    $('status').className = 'q-bad';
    return;
  }
  if (r.id < drawnId) return;
  const at = inputAt;
  const got = performance.now();
  const zoom = currentZoom();
  const done = await view.draw(r, drawSettings(zoom));
  if (!done || r.id < drawnId) return;
  const drawnAt = performance.now();
  drawnId = r.id;
  result = r;
  if ($('fit').checked) applyFit(refit);
  refit = false;
  showPanes(r);
  if (r.id === requested && texShown === r.tex) document.body.dataset.busy = 'false';
  refreshAids();
  view.highlight(editor.cursorLine);
  document.body.dataset.ready = 'true';
  document.body.dataset.drawn = String(r.id);
  const times = { ...r.times, received: got, drawn: drawnAt, shown: performance.now() };
  document.dispatchEvent(new CustomEvent('qld-drawn', { detail: { id: r.id, inputAt: at, times } }));
}

function drawSettings(zoom = currentZoom(), whole = false) {
  return { unitPt, zoom, host: $('measure'), stage: $('stage'), whole };
}

// A long LaTeX text costs the page a layout each time it changes: it is
// shown once the typing pauses.
let texTimer = 0;
function showTex(text) {
  clearTimeout(texTimer);
  const put = () => {
    const tex = $('tex');
    // A LaTeX text of megabytes would take the page seconds to lay out:
    // its start is shown, and Copy and Download give it whole.
    const shown = text.length > TEX_SHOWN ? text.slice(0, text.lastIndexOf('\n', TEX_SHOWN) + 1) : text;
    if (texPut !== shown) putTex(tex, shown);
    $('tex-note').hidden = shown === text;
    $('tex-note').textContent = shown === text ? '' : `Shown: the first ${Math.round(shown.length / 1024)} KB of ` +
      `${(text.length / 1048576).toFixed(1)} MB of LaTeX; Copy LaTeX and Download .tex give all of it.`;
    texShown = text;
    if (result && result.tex === text && drawnId === requested) document.body.dataset.busy = 'false';
  };
  if (text.length <= TEX_AT_ONCE) put();
  else texTimer = setTimeout(put, SAVE_DELAY);
}
let texShown = null;
let texPut = null;

// A long text goes into the pane in blocks of lines that the page lays out
// only when they come near the view (content-visibility), each of the
// size its lines take: the same text, selected and copied as one, without
// the layout of thousands of lines at each change.
const TEX_BLOCK = 100;   // lines
let texLineHeight = 0;
function putTex(pane, text) {
  texPut = text;
  if (text.length <= TEX_AT_ONCE) {
    pane.textContent = text;
    return;
  }
  if (!texLineHeight) texLineHeight = parseFloat(getComputedStyle(pane).lineHeight) || 18;
  const blocks = [];
  for (let at = 0; at < text.length;) {
    let end = at;
    let n = 0;
    let cols = 0;
    while (n < TEX_BLOCK && end < text.length) {
      const nl = text.indexOf('\n', end);
      const stop = nl < 0 ? text.length : nl;
      cols = Math.max(cols, stop - end);
      end = nl < 0 ? text.length : nl + 1;
      n++;
    }
    const block = document.createElement('div');
    block.className = 'q-tex-block';
    block.style.containIntrinsicSize = `auto ${cols}ch auto ${n * texLineHeight}px`;
    block.textContent = text.slice(at, end);
    blocks.push(block);
    at = end;
  }
  pane.replaceChildren(...blocks);
}

function showPanes(r) {
  showTex(r.tex);
  if (r.transcript !== null) showTranscript(r.transcript);
  showErrors(r.errors);
  const list = $('skipped');
  const entries = r.skipped.slice(0, MAX_LISTED).map((s) => {
    const li = document.createElement('li');
    li.textContent = s.line ? `not previewed: line ${s.line}` : 'not previewed: ' + s.text;
    li.title = s.text;
    if (s.line) li.addEventListener('click', () => editor.goToLine(s.line));
    return li;
  });
  if (r.skipped.length > MAX_LISTED) {
    const li = document.createElement('li');
    li.textContent = `… and ${r.skipped.length - MAX_LISTED} more lines not previewed`;
    entries.push(li);
  }
  if (r.cut) {
    const li = document.createElement('li');
    li.className = 'q-cut';
    li.textContent = `not previewed: ${r.cut.count} elements from line ${r.cut.line} on ` +
      `(the preview draws at most ${MAX_ITEMS})`;
    li.addEventListener('click', () => editor.goToLine(r.cut.line));
    entries.push(li);
  }
  list.replaceChildren(...entries);
  const errors = r.errors.filter((e) => !e.warning).length;
  $('status').textContent = r.status ? `${errors || 'some'} error${errors === 1 ? '' : 's'}: see the messages`
    : 'translated without errors';
  $('status').className = r.status ? 'q-bad' : 'q-good';
  if (!$('link-error').hidden) {
    $('status').textContent = 'the link cannot be read: see the messages';
    $('status').className = 'q-bad';
  }
}

// The transcript as the program prints it, with a link for the line number
// of each message ('... in [12]', '... at [12]').
function showTranscript(text) {
  const out = $('transcript');
  if (out.dataset.text === text) return;
  out.dataset.text = text.length < 100000 ? text : '';
  const frag = document.createDocumentFragment();
  const re = /( in | at )\[(\d+)\]/g;
  let last = 0;
  let m;
  let links = 0;
  while ((m = re.exec(text)) !== null && links < 10 * MAX_LISTED) {
    frag.appendChild(document.createTextNode(text.slice(last, m.index) + m[1]));
    frag.appendChild(lineLink(Number(m[2]), `[${m[2]}]`));
    links++;
    last = m.index + m[0].length;
  }
  frag.appendChild(document.createTextNode(text.slice(last)));
  out.replaceChildren(frag);
}

function lineLink(line, text) {
  const a = document.createElement('a');
  a.href = '#';
  a.className = 'q-errlink';
  a.dataset.line = String(line);
  a.textContent = text;
  a.addEventListener('click', (e) => { e.preventDefault(); editor.goToLine(line); });
  return a;
}

// Each error once, in line order, as 'source.qld:LINE: message'.
function showErrors(errors) {
  const items = errors.slice(0, MAX_LISTED).map((e) => {
    const li = document.createElement('li');
    if (e.warning) li.className = 'q-warning';
    // Lines of the source link to the editor; those of the .quillard text
    // are named as they are.
    if (e.line && e.file === 'source.qld') {
      li.appendChild(lineLink(e.line, `${e.file}:${e.line}`));
      li.appendChild(document.createTextNode(': ' + e.text));
    } else {
      li.textContent = e.line ? `${e.file}:${e.line}: ${e.text}` : e.text;
    }
    return li;
  });
  if (errors.length > MAX_LISTED) {
    const li = document.createElement('li');
    li.textContent = `… and ${errors.length - MAX_LISTED} more`;
    items.push(li);
  }
  $('errors').replaceChildren(...items);
  editor.markErrors(errors.filter((e) => !e.warning && e.line && e.file === 'source.qld').map((e) => e.line));
}

// ------------------------------------------------------------ zoom, aids

// The stage's width, kept from its resize observer: reading it after a
// drawing would lay the page out once more.
let stageClientWidth = 0;
function stageWidth() {
  if (!stageClientWidth) stageClientWidth = $('stage').clientWidth;
  return Math.max(stageClientWidth - 20, 100);
}

function currentZoom() {
  return Number($('zoom').value) > 0 ? Number($('zoom').value) : 1.5;
}

// Fit to width: the default zoom of 1.5 unless the picture is wider than
// the preview, then as much as fits (not below 0.1). While the source is
// typed, the zoom only shrinks, when the picture grows out of the preview:
// a picture that changes its scale at every key is hard to work on.
let refit = true;   // the next drawing sets the zoom afresh
function applyFit(fresh = true) {
  const b = view.bounds();
  const width = b.x1 - b.x0;
  if (!(width > 0)) return;
  const z = Math.max(0.1, Math.min(1.5, stageWidth() / width));
  const rounded = Math.floor(z * 100) / 100;
  if (!fresh && rounded >= currentZoom()) return;
  if (Math.abs(rounded - currentZoom()) > 1e-9) {
    $('zoom').value = String(rounded);
    view.setZoom(rounded);
  }
}

function refreshAids() {
  const vb = view.svg.viewBox.baseVal;
  drawAids(document, $('underlay'), $('overlay'),
    { vb: [vb.x, vb.y, vb.width, vb.height], box: view.box(), s: view.scale() * currentZoom() },
    { grid: $('aid-grid').checked, outline: $('aid-box').checked,
      labels: $('aid-labels').checked && result ? result.labels : null });
}

// ------------------------------------------------------------ hover

let hovered = null;
let hoverFrame = 0;
let hoverAt = null;
// At most one look-up a frame, at where the mouse was last: a move that
// comes while a frame is pending only changes that place, so the tip never
// stays on an element the mouse has already left.
function hover(e) {
  hoverAt = { clientX: e.clientX, clientY: e.clientY };
  if (hoverFrame) return;
  hoverFrame = requestAnimationFrame(() => {
    hoverFrame = 0;
    const { clientX, clientY } = hoverAt;
    const i = view.itemAt(clientX, clientY);
    const tip = $('tip');
    if (hovered) hovered.classList.remove('qld-hover');
    hovered = null;
    if (i < 0) { tip.hidden = true; view.svg.style.cursor = ''; return; }
    const it = view.item(i);
    hovered = view.element(i);
    if (hovered) hovered.classList.add('qld-hover');
    tip.textContent = `line ${it.line}: ${(editor.line(it.line) || '').trim()}\n${describe(it)}`;
    tip.hidden = false;
    const stage = $('stage').getBoundingClientRect();
    tip.style.left = `${clientX - stage.left + $('stage').scrollLeft + 12}px`;
    tip.style.top = `${clientY - stage.top + $('stage').scrollTop + 14}px`;
    view.svg.style.cursor = 'pointer';
  });
}

const n5 = (v) => String(Math.round(v * 100000) / 100000);
function describe(it) {
  const at = `(${n5(it.x)},${n5(it.y)})`;
  switch (KIND_NAMES[it.kind]) {
    case 'line': return `line from ${at} to (${n5(it.a)},${n5(it.b)})`;
    case 'vector': return `arrow from ${at} to (${n5(it.a)},${n5(it.b)})`;
    case 'circle': return `circle at ${at}, diameter ${n5(2 * it.a)}`;
    case 'disk': return `dot at ${at}, diameter ${n5(2 * it.a)}`;
    case 'rect': return `box at ${at}, ${n5(it.a)} by ${n5(it.b)}`;
    case 'dashrect': return `dashed box at ${at}, ${n5(it.a)} by ${n5(it.b)}`;
    default: return `text at ${at}${it.pos ? ` [${it.pos}]` : ''}: ${it.text}`;
  }
}

$('stage').addEventListener('mousemove', hover);
$('stage').addEventListener('mouseleave', () => {
  $('tip').hidden = true;
  if (hovered) hovered.classList.remove('qld-hover');
  hovered = null;
});
$('stage').addEventListener('click', (e) => {
  const i = view.itemAt(e.clientX, e.clientY);
  if (i >= 0) editor.cursorTo(view.item(i).line);
});

// ------------------------------------------------------------ saving

function scheduleSave() {
  clearTimeout(saveTimer);
  saveTimer = setTimeout(save, SAVE_DELAY);
}

// The text kept of a big source is made in one task and written in the
// next: each takes the page some tens of milliseconds for megabytes.
const WRITE_AT_ONCE = 100000;
let writeTimer = 0;

// The work survives a reload: kept in the browser's storage, and in the
// address while it is short enough for a link.
function save() {
  const state = { source: editor.value, conf: confArea.value, letters: letters() };
  const kept = JSON.stringify(state);
  const write = () => {
    try {
      localStorage.setItem(STORE, kept);
    } catch (e) {
      notice('This source is too big to keep in the browser: save it with Ctrl+S.');
    }
  };
  clearTimeout(writeTimer);
  if (kept.length <= WRITE_AT_ONCE) write(); else writeTimer = setTimeout(write, 0);
  // A link holds the base64 of the source's UTF-8, at least a byte a
  // character: a source that cannot fit is not encoded at all.
  const fragment = 4 + Math.ceil(state.source.length * 4 / 3) <= MAX_LINK ? encodeFragment(state) : null;
  if (fragment !== null && fragment.length <= MAX_LINK) {
    lastFragment = fragment;
    history.replaceState(null, '', '#' + fragment);
  } else if (location.hash) {
    lastFragment = '';
    history.replaceState(null, '', location.pathname + location.search);
  }
}

function stored() {
  try {
    const s = JSON.parse(localStorage.getItem(STORE) || 'null');
    if (s && typeof s.source === 'string') return { source: s.source, conf: String(s.conf || ''),
      letters: String(s.letters || '').replace(/[^hbBsn]/g, '') };
  } catch (e) { /* nothing kept */ }
  return null;
}

// ------------------------------------------------------------ loading

function setLetters(list) {
  for (const k of LETTERS) switches[k].checked = false;
  // The later of -b and -B wins, as on the command line.
  for (const ch of list || '') if (switches[ch]) {
    switches[ch].checked = true;
    if (ch === 'b') switches.B.checked = false;
    if (ch === 'B') switches.b.checked = false;
  }
}

function load(state, { undoable = false, name = '' } = {}) {
  refit = true;
  if (undoable) editor.replace(state.source); else editor.value = state.source;
  if (state.conf !== undefined) confArea.value = state.conf;
  $('conf-pane').open = !!confArea.value;
  setLetters(state.letters);
  loadedName = name;
  loadedSource = state.source;
  $('examples').value = name;
  $('link-error').hidden = true;
  request(false);
}

let undoState = null;
function notice(text, undo = null) {
  $('notice-text').textContent = text;
  $('notice-undo').hidden = !undo;
  undoState = undo;
  $('notice').hidden = false;
}
$('notice-undo').addEventListener('click', () => {
  if (undoState) { load(undoState); scheduleSave(); }
  undoState = null;
  $('notice').hidden = true;
});
$('notice-close').addEventListener('click', () => { $('notice').hidden = true; });

for (const ex of EXAMPLES) {
  const opt = document.createElement('option');
  opt.value = ex.name;
  opt.textContent = ex.name + (ex.letters ? ` (-${ex.letters})` : '');
  $('examples').appendChild(opt);
}
$('examples').addEventListener('change', () => {
  const ex = EXAMPLES.find((e) => e.name === $('examples').value);
  if (!ex) return;
  const before = { source: editor.value, conf: confArea.value, letters: letters() };
  const edited = before.source !== '' && !EXAMPLES.some((e) => e.source === before.source);
  // The .quillard text is changed only by an example that has its own.
  load({ source: ex.source, letters: ex.letters, conf: ex.conf || undefined }, { undoable: true, name: ex.name });
  if (edited) notice(`Your source was replaced by the example ${ex.name}.`, before);
  else $('notice').hidden = true;
  scheduleSave();
});

for (const [k, box] of Object.entries(switches)) {
  box.addEventListener('change', () => {
    if (k === 'b' && box.checked) switches.B.checked = false;
    if (k === 'B' && box.checked) switches.b.checked = false;
    request();
    scheduleSave();
  });
}
confArea.addEventListener('input', () => { request(); scheduleSave(); });

$('unit').addEventListener('input', () => {
  const text = $('unit').value;
  const sp = texDimen(text);
  if (sp === null || sp <= 0) {
    $('unit').classList.add('q-invalid');
    $('unit-error').textContent = `unit: '${text}' is not a length such as 1cm, 5mm or 12pt; the preview keeps ${n5(unitPt)}pt`;
    return;
  }
  $('unit').classList.remove('q-invalid');
  $('unit-error').textContent = '';
  unitPt = sp / SP_PER_PT;
  request(false);
});
$('zoom').addEventListener('input', () => {
  $('fit').checked = false;
  view.setZoom(currentZoom());
  refreshAids();
});
$('fit').addEventListener('change', () => { if ($('fit').checked) { applyFit(); refreshAids(); } });
for (const id of ['aid-grid', 'aid-box']) $(id).addEventListener('change', refreshAids);
$('aid-labels').addEventListener('change', () => request(false));
if (typeof ResizeObserver !== 'undefined') {
  new ResizeObserver((entries) => {
    stageClientWidth = Math.round(entries[entries.length - 1].contentRect.width) || stageClientWidth;
    if ($('fit').checked && result) { applyFit(); refreshAids(); }
  }).observe($('stage'));
}

// ------------------------------------------------------------ output

function download(name, type, text) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([text], { type }));
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

function baseName() {
  return loadedName || 'picture';
}

$('copy').addEventListener('click', async () => {
  try {
    await navigator.clipboard.writeText(result.tex);
  } catch (e) {
    const range = document.createRange();
    range.selectNodeContents($('tex'));
    getSelection().removeAllRanges();
    getSelection().addRange(range);
    document.execCommand('copy');
  }
  $('copy').textContent = 'Copied';
  setTimeout(() => { $('copy').textContent = 'Copy LaTeX'; }, 1200);
});
$('download-tex').addEventListener('click', () => download(baseName() + '.tex', 'text/x-tex', result.tex));
$('download-svg').addEventListener('click', async () => {
  // A picture drawn only where it is in view is drawn whole for the file.
  if (view.culled() && result) await view.draw(result, drawSettings(currentZoom(), true));
  const text = await standaloneSvg(view, document);
  if (result && result.count > CULL_MIN) await view.draw(result, drawSettings());
  download(baseName() + '.svg', 'image/svg+xml', text);
});

// A picture drawn only where it is in view is drawn further as it scrolls.
let scrollFrame = 0;
function moved() {
  if (scrollFrame || !result || !view.culled()) return;
  scrollFrame = requestAnimationFrame(() => { scrollFrame = 0; view.draw(result, drawSettings()); });
}
$('stage').addEventListener('scroll', moved, { passive: true });
window.addEventListener('scroll', moved, { passive: true });
$('raw').addEventListener('toggle', () => { if ($('raw').open) request(false); });
const saveSource = () => download(baseName() + '.qld', 'text/plain', asFile(editor.value));
$('download-qld').addEventListener('click', saveSource);
document.addEventListener('keydown', (e) => {
  if ((e.ctrlKey || e.metaKey) && !e.altKey && !e.shiftKey && e.key.toLowerCase() === 's') {
    e.preventDefault();
    saveSource();
  }
});

// ------------------------------------------------------------ panes (phones)

function showPane(name) {
  document.body.dataset.pane = name;
  for (const b of document.querySelectorAll('.q-tabs button')) b.setAttribute('aria-pressed', String(b.dataset.pane === name));
  if (name === 'preview' && $('fit').checked && result) { applyFit(); refreshAids(); }
}
for (const b of document.querySelectorAll('.q-tabs button')) b.addEventListener('click', () => showPane(b.dataset.pane));
showPane('preview');

// ------------------------------------------------------------ start

const editor = createEditor($('editor'), changed, (line) => view.highlight(line));

window.addEventListener('hashchange', () => {
  if (location.hash.slice(1) === lastFragment) return;
  start();
});

function start() {
  const hash = location.hash.replace(/^#/, '');
  if (hash) {
    const state = decodeFragment(hash);
    if (state) {
      load(state);
      // A link opened over work of one's own, kept from the last visit: the
      // work comes back with Undo (it is kept until the next edit).
      const kept = stored();
      if (kept && kept.source !== state.source && kept.source.trim() && !EXAMPLES.some((e) => e.source === kept.source)) {
        notice('This link replaced the source kept from your last visit.', kept);
      }
      return;
    }
    if (/(^|&)src=/.test(hash)) {
      // A link that cannot be read shows why, with nothing in the editor.
      load({ source: '', conf: '', letters: '' });
      $('link-error').textContent = 'This link cannot be read: its source is not base64url text. ' +
        'The editor is empty; nothing was drawn from the link.';
      $('link-error').hidden = false;
      return;
    }
  }
  const kept = stored();
  if (kept && kept.source.length > AT_ONCE) {
    // A big source is put into the editor once the page has been shown:
    // laying out megabytes of text takes the page a moment of its own.
    $('status').textContent = `opening a source of ${(kept.source.length / 1048576).toFixed(1)} MB…`;
    setTimeout(() => load(kept), 50);
    return;
  }
  if (kept) { load(kept); return; }
  load(EXAMPLES[0], { name: EXAMPLES[0].name });
}
start();
// For tests and tools: the view of the picture and the editor.
window.quillard = { view, editor };
