// Help with the geometry, drawn over and under the picture but never into
// it: a grid in picture units with the origin marked, a marker with its
// name at every coordinate label, the outline of the picture's box.

const SVG = 'http://www.w3.org/2000/svg';
const MAX_GRID_LINES = 4000;

function el(doc, name, attrs = {}) {
  const e = doc.createElementNS(SVG, name);
  for (const k in attrs) e.setAttribute(k, String(attrs[k]));
  return e;
}

const r3 = (v) => Math.round(v * 1000) / 1000;

// Grid lines: every unit, and every tenth of one when they stand at least
// 6 px apart, over the part of the plane in view.
export function gridLines(lo, hi, s) {
  const steps = [];
  if (s * 0.1 >= 6) steps.push([0.1, 'minor']);
  steps.push([1, 'major']);
  const out = [];
  for (const [step, kind] of steps) {
    const a = Math.ceil(lo / step - 1e-9), b = Math.floor(hi / step + 1e-9);
    if (b - a > MAX_GRID_LINES) continue;
    for (let k = a; k <= b; k++) {
      if (kind === 'minor' && k % 10 === 0) continue;
      out.push([r3(k * step), kind]);
    }
  }
  return out;
}

// Draws the aids into under (the grid) and over (labels, outline). frame:
// {vb: [x, y, w, h] the picture svg's viewBox, box: the picture's box in
// units, s: px per unit}. aids: {grid, labels: [{name, x, y}] or null,
// outline}.
export function drawAids(doc, under, over, frame, aids) {
  const [vx, vy, vw, vh] = frame.vb;
  const { box, s } = frame;
  for (const svg of [under, over]) {
    svg.setAttribute('viewBox', `${vx} ${vy} ${vw} ${vh}`);
    svg.setAttribute('width', String(vw));
    svg.setAttribute('height', String(vh));
  }
  const X = (x) => r3((x - box.x) * s);
  const Y = (y) => r3((box.y + box.h - y) * s);
  const g = doc.createDocumentFragment();
  if (aids.grid) {
    const x0 = box.x + vx / s, x1 = box.x + (vx + vw) / s;
    const y1 = box.y + box.h - vy / s, y0 = box.y + box.h - (vy + vh) / s;
    let d = { minor: '', major: '' };
    for (const [x, kind] of gridLines(x0, x1, s)) d[kind] += `M${X(x)} ${r3(vy)}V${r3(vy + vh)}`;
    for (const [y, kind] of gridLines(y0, y1, s)) d[kind] += `M${r3(vx)} ${Y(y)}H${r3(vx + vw)}`;
    if (d.minor) g.appendChild(el(doc, 'path', { class: 'qld-grid-minor', d: d.minor, stroke: '#eef1f6', 'stroke-width': 1, fill: 'none' }));
    g.appendChild(el(doc, 'path', { class: 'qld-grid-major', d: d.major, stroke: '#c9d3e3', 'stroke-width': 1, fill: 'none' }));
    // The origin: a cross and its coordinates.
    g.appendChild(el(doc, 'path', { class: 'qld-origin', d: `M${X(0) - 7} ${Y(0)}H${X(0) + 7}M${X(0)} ${Y(0) - 7}V${Y(0) + 7}`,
      stroke: '#1b6fd0', 'stroke-width': 1.5, fill: 'none' }));
    const t = el(doc, 'text', { x: X(0) + 4, y: Y(0) + 13, fill: '#1b6fd0', 'font-size': 11, 'font-family': 'sans-serif' });
    t.textContent = '(0,0)';
    g.appendChild(t);
  }
  under.replaceChildren(g);
  const o = doc.createDocumentFragment();
  if (aids.outline) {
    o.appendChild(el(doc, 'rect', { class: 'qld-box', x: 0, y: 0, width: r3(box.w * s), height: r3(box.h * s),
      fill: 'none', stroke: '#1b6fd0', 'stroke-width': 1, 'stroke-dasharray': '4 3' }));
  }
  for (const lab of aids.labels || []) {
    const gl = el(doc, 'g', { class: 'qld-label', 'data-name': lab.name });
    gl.appendChild(el(doc, 'circle', { cx: X(lab.x), cy: Y(lab.y), r: 3, fill: '#1b6fd0' }));
    const t = el(doc, 'text', { x: X(lab.x) + 4, y: Y(lab.y) - 4, fill: '#1b6fd0', 'font-size': 11,
      'font-family': 'sans-serif', 'paint-order': 'stroke', stroke: '#fff', 'stroke-width': 3 });
    t.textContent = lab.name;
    gl.appendChild(t);
    o.appendChild(gl);
  }
  over.replaceChildren(o);
}
