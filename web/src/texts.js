// The texts of the picture, typeset by KaTeX once per text and kept, with
// the measures that place them as LaTeX places a \makebox's contents: the
// text's height and depth from KaTeX's metrics (those of TeX's fonts), its
// width and where its baseline lies in its box from the page's layout.
// All measures are in em of the document's 10pt text.

export const XHTML = 'http://www.w3.org/1999/xhtml';
export const TEXT_PT = 10;   // the document's normal text size

const KATEX_OPTIONS = { throwOnError: false, trust: false, strict: 'ignore', output: 'html',
  maxExpand: 200, maxSize: 20 };

// LaTeX's small sizes use fonts of their own design size, wider for their
// size than the 10pt fonts scaled down, as KaTeX scales them: the mean
// ratio of the widths of letters and digits in cmr5, 7, 8 and 9 to those of
// cmr10. A text that starts with one of these sizes is widened by it.
const WIDER = { tiny: 1.348, scriptsize: 1.135, footnotesize: 1.062, small: 1.028 };

export function widening(text) {
  const m = /^\s*\\(tiny|scriptsize|footnotesize|small)(?![A-Za-z])/.exec(text);
  return m ? WIDER[m[1]] : 1;
}

// text -> {node, n, w, asc, hgt, ht, dp, sx}; node is a template of n
// elements, cloned into each picture. Kept while the picture uses the text,
// and a little longer.
const cache = new Map();

// The typeset text (a span) of text; a text KaTeX cannot read is shown as
// plain text, never as HTML.
function typeset(doc, katex, text) {
  const node = doc.createElementNS(XHTML, 'span');
  node.setAttribute('class', 'qld-tex');
  let ht = 0.7, dp = 0.2;
  if (katex) {
    try {
      const expr = `\\text{${text}}`;
      // One build gives the nodes and the height and depth: what
      // katex.render puts into a node for the 'html' output is this tree's.
      const tree = katex.__renderToHTMLTree(expr, KATEX_OPTIONS);
      node.appendChild(tree.toNode());
      // KaTeX scales its output by 1.21 for screens; LaTeX's sizes are wanted.
      if (node.firstElementChild) node.firstElementChild.style.fontSize = '1em';
      ht = tree.height;
      dp = tree.depth;
    } catch (e) {
      node.textContent = text;
    }
  } else {
    node.textContent = text;
  }
  return { node, ht: Math.max(ht, 0), dp: Math.max(dp, 0) };
}

// The cached entry of a text, or undefined while it is not measured.
export function textEntry(text) {
  return cache.get(text);
}

// Typesets and measures the texts not yet known, in host (an element of
// the page laid out at fontPx per em), once the fonts they use have loaded:
// texts[from] on, until budget ms have gone by (at least one text). The
// texts typeset are measured together, with one layout. Resolves to the
// index of the first text not looked at (texts.length when all were).
export async function prepareTexts(doc, katex, host, texts, fontPx, { from = 0, budget = Infinity } = {}) {
  const fresh = [];
  const t0 = performance.now();
  let k = from;
  for (; k < texts.length; k++) {
    if (fresh.length && performance.now() - t0 >= budget) break;
    const text = texts[k];
    if (cache.has(text)) continue;
    const t = typeset(doc, katex, text);
    const box = doc.createElementNS(XHTML, 'div');
    box.setAttribute('class', 'qld-text');
    box.appendChild(t.node.cloneNode(true));
    const base = doc.createElementNS(XHTML, 'span');
    base.setAttribute('class', 'qld-base');
    box.appendChild(base);
    host.appendChild(box);
    fresh.push({ text, t, box, base });
    cache.set(text, null);
  }
  if (!fresh.length) return k;
  // Laying the texts out starts the loading of their fonts; measures taken
  // before they are in would be those of another font.
  host.getBoundingClientRect();
  if (doc.fonts && doc.fonts.status !== 'loaded') await doc.fonts.ready;
  for (const f of fresh) {
    const r = f.box.getBoundingClientRect();
    const b = f.base.getBoundingClientRect();
    cache.set(f.text, { node: f.t.node, n: f.t.node.getElementsByTagName('*').length + 1, ht: f.t.ht, dp: f.t.dp,
      sx: widening(f.text), w: r.width / fontPx, hgt: r.height / fontPx, asc: (b.top - r.top) / fontPx });
  }
  for (const f of fresh) f.box.remove();
  return k;
}

// Forgets the texts a picture no longer uses, keeping the cache no bigger
// than twice the picture's own texts and at least 500.
export function trimTexts(used) {
  const keep = Math.max(500, 2 * used.size);
  if (cache.size <= keep) return;
  for (const key of cache.keys()) {
    if (cache.size <= keep) break;
    if (!used.has(key)) cache.delete(key);
  }
}

export function cachedTexts() {
  return cache.size;
}

// Where a text's box goes, in px at zoom 1 with y downwards, for a \makebox
// of w by h px whose lower-left corner is at (x, y) (y upwards, as in the
// picture), with the position letters pos. fontPx: px per em.
//   horizontally: [l] the text starts at the left side, [r] ends at the
//     right side, otherwise it is centred;
//   vertically: [t] the top of the text (its height) at the top side, [b]
//     the bottom of its depth at the bottom side, otherwise its height
//     plus depth centred.
export function placeText(m, x, y, w, h, pos, fontPx) {
  const left = Math.min(x, x + w), right = Math.max(x, x + w);
  const top = -Math.max(y, y + h), bottom = -Math.min(y, y + h);
  const W = m.w * m.sx * fontPx;
  let lx;
  if (pos.includes('l')) lx = left;
  else if (pos.includes('r')) lx = right - W;
  else lx = (left + right) / 2 - W / 2;
  let baseline;
  if (pos.includes('t')) baseline = top + m.ht * fontPx;
  else if (pos.includes('b')) baseline = bottom - m.dp * fontPx;
  else baseline = (top + bottom) / 2 + (m.ht - m.dp) / 2 * fontPx;
  return { left: lx, top: baseline - m.asc * fontPx, width: W, height: m.hgt * fontPx };
}
