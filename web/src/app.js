// The playground page: the editor, the option switches, the configuration
// pane, the transcript with its links to the source lines, the LaTeX output
// with copy and download, and the live preview.
import createQuillard from './quillard-wasm.mjs';
import { loadTranslator } from './quillard.js';
import { runPipeline } from './pipeline.js';
import { parseDimen } from './render.js';
import { encodeFragment, decodeFragment } from './share.js';
import { createEditor } from './editor.js';
import { EXAMPLES } from './examples.js';

const $ = (id) => document.getElementById(id);
const switches = { h: $('opt-h'), b: $('opt-b'), B: $('opt-B'), s: $('opt-s') };
let translator = null;
let result = null;
let pending = false;
let lastFragment = '';

const editor = createEditor($('editor'), schedule);
const confArea = $('conf');

function letters() {
  return Object.keys(switches).filter((k) => switches[k].checked).join('');
}

function schedule() {
  if (pending) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; update(); });
}

// Splits the transcript into text and links for the line numbers of its
// messages ('... in [12]', '... at [12]').
function showTranscript(text) {
  const out = $('transcript');
  const frag = document.createDocumentFragment();
  const errors = [];
  const re = /( in | at )\[(\d+)\]/g;
  let last = 0;
  let m;
  while ((m = re.exec(text)) !== null) {
    frag.appendChild(document.createTextNode(text.slice(last, m.index) + m[1]));
    const line = Number(m[2]);
    const a = document.createElement('a');
    a.href = '#';
    a.className = 'q-errlink';
    a.dataset.line = String(line);
    a.textContent = `[${line}]`;
    a.addEventListener('click', (e) => { e.preventDefault(); editor.goToLine(line); });
    frag.appendChild(a);
    errors.push(line);
    last = m.index + m[0].length;
  }
  frag.appendChild(document.createTextNode(text.slice(last)));
  out.replaceChildren(frag);
  editor.markErrors(errors);
}

function view() {
  const unit = parseDimen($('unit').value) || parseDimen('1cm');
  return { unit, zoom: Number($('zoom').value) || 1 };
}

function update() {
  if (!translator) return;
  const source = editor.value;
  const conf = confArea.value;
  const opts = letters();
  result = runPipeline(translator, source, conf, opts, view());
  $('tex').textContent = result.tex;
  $('preview').replaceChildren(result.svg);
  const list = $('skipped');
  list.replaceChildren(...result.notPreviewed.map((s) => {
    const li = document.createElement('li');
    li.textContent = s.line ? `not previewed: line ${s.line}` : 'not previewed: ' + s.text;
    li.title = s.text;
    if (s.line) li.addEventListener('click', () => editor.goToLine(s.line));
    return li;
  }));
  showTranscript(result.transcript);
  $('status').textContent = result.status ? 'errors: see the transcript' : 'translated without errors';
  $('status').className = result.status ? 'q-bad' : 'q-good';
  lastFragment = encodeFragment({ source, letters: opts, conf });
  history.replaceState(null, '', '#' + lastFragment);
}

function load(state) {
  editor.value = state.source;
  confArea.value = state.conf || '';
  $('conf-pane').open = !!state.conf;
  for (const k of Object.keys(switches)) switches[k].checked = false;
  // The later of -b and -B wins, as on the command line.
  for (const ch of state.letters || '') if (switches[ch]) {
    switches[ch].checked = true;
    if (ch === 'b') switches.B.checked = false;
    if (ch === 'B') switches.b.checked = false;
  }
  update();
}

function download(name, type, text) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([text], { type }));
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

function svgText() {
  const svg = $('preview').querySelector('svg').cloneNode(true);
  const css = document.getElementById('katex-css');
  if (css && svg.querySelector('foreignObject')) {
    const style = document.createElementNS('http://www.w3.org/2000/svg', 'style');
    style.textContent = css.textContent;
    svg.insertBefore(style, svg.firstChild);
  }
  return '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(svg);
}

for (const ex of EXAMPLES) {
  const opt = document.createElement('option');
  opt.value = ex.name;
  opt.textContent = ex.name + (ex.letters ? ` (-${ex.letters})` : '');
  $('examples').appendChild(opt);
}
$('examples').addEventListener('change', () => {
  const ex = EXAMPLES.find((e) => e.name === $('examples').value);
  if (ex) load(ex);
});
for (const [k, box] of Object.entries(switches)) {
  box.addEventListener('change', () => {
    if (k === 'b' && box.checked) switches.B.checked = false;
    if (k === 'B' && box.checked) switches.b.checked = false;
    schedule();
  });
}
confArea.addEventListener('input', schedule);
$('unit').addEventListener('input', schedule);
$('zoom').addEventListener('input', schedule);
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
$('download-tex').addEventListener('click', () => download('picture.tex', 'text/x-tex', result.tex));
$('download-svg').addEventListener('click', () => download('picture.svg', 'image/svg+xml', svgText()));
window.addEventListener('hashchange', () => {
  if (location.hash.slice(1) === lastFragment) return;
  const state = decodeFragment(location.hash);
  if (state) load(state);
});

loadTranslator(createQuillard).then((t) => {
  translator = t;
  const state = decodeFragment(location.hash) || EXAMPLES[0];
  load(state);
  document.body.dataset.ready = 'true';
});
