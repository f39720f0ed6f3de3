// Images for the tests that compare drawings: PNG files decoded to grey
// levels, LaTeX pictures typeset with pdflatex and pict2e and rasterised by
// pdftoppm, and measures of ink.
import { inflateSync, deflateSync, crc32 } from 'node:zlib';
import { mkdtempSync, writeFileSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';
import { skip } from './harness.mjs';

// {width, height, grey: Uint8Array} of a non-interlaced 8-bit PNG (grey,
// grey and alpha, RGB or RGBA), transparent pixels taken as white.
export function decodePng(buffer) {
  const b = Buffer.from(buffer);
  let pos = 8;
  let width = 0, height = 0, type = 0;
  const data = [];
  while (pos < b.length) {
    const len = b.readUInt32BE(pos);
    const kind = b.toString('latin1', pos + 4, pos + 8);
    const body = b.subarray(pos + 8, pos + 8 + len);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0) throw new Error('PNG: only 8-bit non-interlaced images');
      type = body[9];
    } else if (kind === 'IDAT') {
      data.push(body);
    } else if (kind === 'IEND') break;
    pos += 12 + len;
  }
  const channels = { 0: 1, 4: 2, 2: 3, 6: 4 }[type];
  if (!channels) throw new Error(`PNG: colour type ${type}`);
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = new Uint8Array(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = pixels.subarray(y * stride, (y + 1) * stride);
    const prev = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : new Uint8Array(stride);
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? out[x - channels] : 0;
      const up = prev[x];
      const c = x >= channels ? prev[x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += up;
      else if (filter === 3) v += (a + up) >> 1;
      else if (filter === 4) {
        const p = a + up - c;
        const pa = Math.abs(p - a), pb = Math.abs(p - up), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? up : c;
      }
      out[x] = v & 255;
    }
  }
  const grey = new Uint8Array(width * height);
  for (let i = 0; i < width * height; i++) {
    const p = i * channels;
    let g, alpha = 255;
    if (channels <= 2) g = pixels[p];
    else g = 0.299 * pixels[p] + 0.587 * pixels[p + 1] + 0.114 * pixels[p + 2];
    if (channels === 2) alpha = pixels[p + 1];
    if (channels === 4) alpha = pixels[p + 3];
    grey[i] = Math.round(255 - (255 - g) * alpha / 255);
  }
  return { width, height, grey };
}

// A grey PNG file of {width, height, grey}, for a person to look at.
export function encodePng(img) {
  const raw = Buffer.alloc((img.width + 1) * img.height);
  for (let y = 0; y < img.height; y++) {
    raw.set(img.grey.subarray(y * img.width, (y + 1) * img.width), y * (img.width + 1) + 1);
  }
  const chunk = (kind, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(kind, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])) >>> 0, 0);
    return Buffer.concat([head, body, crc]);
  };
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(img.width, 0);
  ihdr.writeUInt32BE(img.height, 4);
  ihdr[8] = 8;
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', ihdr),
    chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

// Images side by side, for a person to look at.
export function sideBySide(...imgs) {
  const width = imgs.reduce((s, i) => s + i.width, 0), height = Math.max(...imgs.map((i) => i.height));
  const grey = new Uint8Array(width * height).fill(255);
  let x0 = 0;
  for (const img of imgs) {
    for (let y = 0; y < img.height; y++) grey.set(img.grey.subarray(y * img.width, (y + 1) * img.width), y * width + x0);
    x0 += img.width;
  }
  return { width, height, grey };
}

// The centre of the ink of an image (the darkness of each pixel as its
// weight) and its amount, or null where there is none.
export function inkCentre(img, threshold = 250) {
  let sx = 0, sy = 0, sw = 0;
  for (let y = 0; y < img.height; y++) {
    for (let x = 0; x < img.width; x++) {
      const g = img.grey[y * img.width + x];
      if (g >= threshold) continue;
      const w = 255 - g;
      sx += w * (x + 0.5); sy += w * (y + 0.5); sw += w;
    }
  }
  if (!(sw > 0)) return null;
  let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
  for (let y = 0; y < img.height; y++) {
    for (let x = 0; x < img.width; x++) {
      if (img.grey[y * img.width + x] >= 128) continue;
      x0 = Math.min(x0, x); x1 = Math.max(x1, x + 1); y0 = Math.min(y0, y); y1 = Math.max(y1, y + 1);
    }
  }
  return { x: sx / sw, y: sy / sw, ink: sw / 255, x0, x1, y0, y1 };
}

// The share of the ink pixels of a that lie within reach px of ink of b.
export function nearShare(a, b, reach = 2, ink = 200) {
  const w = Math.min(a.width, b.width), h = Math.min(a.height, b.height);
  const dark = (img, x, y) => img.grey[y * img.width + x] < ink;
  let total = 0, hit = 0;
  for (let y = 0; y < h; y++) {
    for (let x = 0; x < w; x++) {
      if (!dark(a, x, y)) continue;
      total++;
      search: for (let dy = -reach; dy <= reach; dy++) {
        for (let dx = -reach; dx <= reach; dx++) {
          if (dx * dx + dy * dy > reach * reach) continue;
          const X = x + dx, Y = y + dy;
          if (X >= 0 && Y >= 0 && X < w && Y < h && dark(b, X, Y)) { hit++; break search; }
        }
      }
    }
  }
  return { total, hit, share: total ? hit / total : 0 };
}

export function needLatex() {
  for (const tool of ['pdflatex', 'pdftoppm', 'kpsewhich']) {
    try { execFileSync('sh', ['-c', `command -v ${tool}`], { stdio: 'ignore' }); } catch (e) {
      skip(`${tool} not found (Debian: apt-get install texlive-latex-base texlive-pictures poppler-utils)`);
    }
  }
  try { execFileSync('kpsewhich', ['pict2e.sty'], { stdio: 'ignore' }); } catch (e) {
    skip('pict2e not found (Debian: apt-get install texlive-pictures)');
  }
}

// Typesets each picture (a LaTeX picture environment) on a page of its own
// with pdflatex and pict2e, \unitlength 1cm, the page cut to the picture's
// box with pad px around it, and rasterises the pages at dpi in grey.
// Returns the decoded images, in order.
export function latexImages(pictures, dpi, pad) {
  const dir = mkdtempSync(join(tmpdir(), 'qld-latex-'));
  try {
    const body = [];
    pictures.forEach((tex, i) => {
      writeFileSync(join(dir, `pic${i}.tex`), tex);
      body.push(`\\setbox0=\\hbox{\\input{pic${i}.tex}\\unskip}`,
        `\\pdfpagewidth=\\wd0 \\advance\\pdfpagewidth by ${2 * pad / dpi}in`,
        `\\pdfpageheight=\\ht0 \\advance\\pdfpageheight by \\dp0 \\advance\\pdfpageheight by ${2 * pad / dpi}in`,
        '\\shipout\\box0');
    });
    writeFileSync(join(dir, 'doc.tex'), ['\\documentclass{article}', '\\usepackage{pict2e}',
      '\\setlength{\\unitlength}{1cm}', `\\pdfhorigin=${pad / dpi}in \\pdfvorigin=${pad / dpi}in`,
      '\\begin{document}', ...body, '\\end{document}', ''].join('\n'));
    execFileSync('pdflatex', ['-interaction=batchmode', '-halt-on-error', 'doc.tex'], { cwd: dir, stdio: 'ignore' });
    execFileSync('pdftoppm', ['-r', String(dpi), '-gray', '-png', 'doc.pdf', 'page'], { cwd: dir });
    const pages = readdirSync(dir).filter((f) => /^page-\d+\.png$/.test(f))
      .sort((a, b) => Number(/\d+/.exec(a)[0]) - Number(/\d+/.exec(b)[0]));
    return pages.map((f) => decodePng(readFileSync(join(dir, f))));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// Where the picture's box lies on the page, in CSS px of the page: the
// preview svg's viewBox starts before the box by what is drawn outside it.
export async function boxRect(page) {
  return page.$eval('#preview svg', (svg) => {
    const r = svg.getBoundingClientRect();
    const vb = svg.viewBox.baseVal;
    const k = r.width / vb.width;
    const [w, h] = svg.dataset.box.split(' ').map(Number);
    return { x: r.x + scrollX - vb.x * k, y: r.y + scrollY - vb.y * k, width: w * k, height: h * k };
  });
}

// A screenshot of the picture's box with pad px around it, decoded, and
// where the box's corner lies in it: {img, dx, dy}.
export async function shotOfBox(page, pad) {
  const r = await boxRect(page);
  const clip = { x: Math.round(r.x) - pad, y: Math.round(r.y) - pad,
    width: Math.round(r.width) + 2 * pad, height: Math.round(r.height) + 2 * pad };
  const png = await page.screenshot({ clip, captureBeyondViewport: true });
  return { img: decodePng(png), dx: r.x - clip.x, dy: r.y - clip.y };
}
