// The preview as a stand-alone SVG file: the lines as they are, and every
// text as the outlines of its glyphs, taken from the fonts KaTeX typeset it
// with, at the places the page shows them. So programs that draw SVG
// without a browser (rsvg-convert, Inkscape, slide programs) show the texts.

const SVG = 'http://www.w3.org/2000/svg';
const r3 = (v) => Math.round(v * 1000) / 1000;

// The fonts of KaTeX's styles, by family, weight and style, parsed when
// first needed: {family|weight|style: font}.
let fonts = null;

function fontTable(doc) {
  if (fonts) return fonts;
  fonts = new Map();
  const css = doc.getElementById('katex-css');
  const opentype = globalThis.opentype;
  if (!css || !opentype) return fonts;
  const rule = /@font-face\s*\{([^}]*)\}/g;
  let m;
  while ((m = rule.exec(css.textContent)) !== null) {
    const body = m[1];
    const family = /font-family:\s*([^;]+)/.exec(body)?.[1].trim().replace(/["']/g, '');
    const data = /url\(data:font\/[\w-]+;base64,([A-Za-z0-9+/=]+)\)/.exec(body)?.[1];
    if (!family || !data) continue;
    const weight = /font-weight:\s*(\w+)/.exec(body)?.[1] || '400';
    const style = /font-style:\s*(\w+)/.exec(body)?.[1] || 'normal';
    fonts.set(`${family}|${weightOf(weight)}|${style}`, { data, font: null });
  }
  return fonts;
}

function weightOf(w) {
  if (w === 'bold') return 700;
  if (w === 'normal') return 400;
  return Number(w) >= 600 ? 700 : 400;
}

function fontFor(doc, style) {
  const table = fontTable(doc);
  const family = style.fontFamily.split(',')[0].trim().replace(/["']/g, '');
  const key = `${family}|${weightOf(style.fontWeight)}|${style.fontStyle === 'normal' ? 'normal' : 'italic'}`;
  const entry = table.get(key) || table.get(`${family}|400|normal`) || table.get('KaTeX_Main|400|normal');
  if (!entry) return null;
  if (!entry.font) {
    const bin = atob(entry.data);
    const bytes = new Uint8Array(bin.length);
    for (let i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
    entry.font = globalThis.opentype.parse(bytes.buffer);
  }
  return entry.font;
}

// The outlines of the texts of the page's picture svg, as SVG path data in
// the svg's user units, grouped by colour, and the rules and drawings KaTeX
// makes of boxes and inline svgs.
function textOutlines(doc, svg, layer) {
  const out = doc.createElementNS(SVG, 'g');
  out.setAttribute('class', 'qld-texts');
  const texts = [...layer.querySelectorAll('.qld-text')];
  if (!texts.length) return out;
  const rect = svg.getBoundingClientRect();
  const vb = svg.viewBox.baseVal;
  const kx = vb.width / rect.width, ky = vb.height / rect.height;
  const X = (cx) => vb.x + (cx - rect.left) * kx;
  const Y = (cy) => vb.y + (cy - rect.top) * ky;

  // The baseline of every run of text: a marker after it, read at once.
  const runs = [];
  for (const div of texts) {
    const walk = doc.createTreeWalker(div, NodeFilter.SHOW_TEXT);
    for (let n = walk.nextNode(); n; n = walk.nextNode()) {
      if (!n.data.trim()) continue;
      const mark = doc.createElement('span');
      mark.style.cssText = 'display:inline-block;width:0;height:0';
      n.after(mark);
      runs.push({ node: n, mark, line: div.getAttribute('data-line') });
    }
  }
  const range = doc.createRange();
  for (const run of runs) {
    const style = getComputedStyle(run.node.parentElement);
    const font = fontFor(doc, style);
    const baseline = Y(run.mark.getBoundingClientRect().top);
    const size = parseFloat(style.fontSize) * scaleOf(run.node.parentElement) * ky;
    let d = '';
    let i = 0;
    for (const ch of run.node.data) {
      range.setStart(run.node, i);
      range.setEnd(run.node, i + ch.length);
      i += ch.length;
      if (!ch.trim()) continue;
      const box = range.getBoundingClientRect();
      if (!font || !box.width && !box.height) continue;
      const glyph = font.charToGlyph(ch);
      d += glyph.getPath(X(box.left), baseline, size).toPathData(3);
    }
    if (d) {
      const p = doc.createElementNS(SVG, 'path');
      p.setAttribute('d', d);
      p.setAttribute('fill', style.color || '#000');
      if (run.line) p.setAttribute('data-line', run.line);
      out.appendChild(p);
    }
  }
  for (const run of runs) run.mark.remove();

  // Rules KaTeX draws as borders (fraction bars, over- and underlines) and
  // the svgs it draws (roots, stretchy arrows).
  for (const div of texts) {
    for (const e of div.querySelectorAll('*')) {
      const cs = getComputedStyle(e);
      const b = e.getBoundingClientRect();
      for (const [side, width] of [['bottom', cs.borderBottomWidth], ['top', cs.borderTopWidth]]) {
        const w = parseFloat(width);
        if (!(w > 0) || cs[`border${side[0].toUpperCase()}${side.slice(1)}Style`] === 'none' || !(b.width > 0)) continue;
        const r = doc.createElementNS(SVG, 'rect');
        const top = side === 'bottom' ? b.bottom - w * scaleOf(e) : b.top;
        r.setAttribute('x', r3(X(b.left)));
        r.setAttribute('y', r3(Y(top)));
        r.setAttribute('width', r3(b.width * kx));
        r.setAttribute('height', r3(w * scaleOf(e) * ky));
        r.setAttribute('fill', cs.borderBottomColor || '#000');
        out.appendChild(r);
      }
      if (e.localName === 'svg' && e.namespaceURI === SVG) {
        const copy = e.cloneNode(true);
        copy.setAttribute('x', r3(X(b.left)));
        copy.setAttribute('y', r3(Y(b.top)));
        copy.setAttribute('width', r3(b.width * kx));
        copy.setAttribute('height', r3(b.height * ky));
        copy.removeAttribute('style');
        out.appendChild(copy);
      }
    }
  }
  return out;
}

// How much the layer of texts is scaled on the page (the zoom).
function scaleOf(element) {
  const layer = element.closest('.qld-layer');
  if (!layer) return 1;
  const m = /scale\(([\d.e+-]+)\)/.exec(layer.style.transform);
  return m ? Number(m[1]) : 1;
}

// The text of the SVG file of the view's picture.
export async function standaloneSvg(view, doc) {
  const svg = view.svg;
  const copy = svg.cloneNode(true);
  // The texts' unpainted boxes give way to the texts' outlines.
  for (const e of copy.querySelectorAll('.qld-text-box')) e.remove();
  copy.appendChild(textOutlines(doc, svg, view.layer));
  copy.removeAttribute('style');
  return '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(copy);
}
