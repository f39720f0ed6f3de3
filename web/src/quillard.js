// The translator in WebAssembly: one call translates a source with its
// options and configuration text exactly as the quillard program does, and
// returns the picture, the transcript (after the banner) and the exit status.

// Option letters as the program takes them; -b and -B share one setting and
// the later letter wins, as on the command line.
export const OPTION_LETTERS = 'hbBsn';

export function optionFlags(letters) {
  let flags = 0;
  for (const ch of letters) {
    if (ch === 'h') flags |= 1;
    else if (ch === 'b') flags = (flags & ~4) | 2;
    else if (ch === 'B') flags = (flags & ~2) | 4;
    else if (ch === 's') flags |= 8;
    else if (ch === 'n') flags |= 16;
  }
  return flags;
}

export async function loadTranslator(factory) {
  const mod = await factory();
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const text = (ptr, size) => decoder.decode(mod.HEAPU8.subarray(ptr, ptr + size));

  function translate(source, conf = '', letters = '') {
    const src = encoder.encode(source);
    const cfg = encoder.encode(conf);
    const psrc = mod._malloc(src.length + 1);
    const pcfg = mod._malloc(cfg.length + 1);
    mod.HEAPU8.set(src, psrc);
    mod.HEAPU8.set(cfg, pcfg);
    const status = mod._qld_translate(psrc, src.length, pcfg, cfg.length, optionFlags(letters));
    mod._free(psrc);
    mod._free(pcfg);
    return {
      status,
      tex: text(mod._qld_picture(), mod._qld_picture_size()),
      transcript: text(mod._qld_transcript(), mod._qld_transcript_size()),
    };
  }
  return { translate };
}

// A '%%' line copied into the picture as a LaTeX comment of its own; it
// changes nothing in the drawing, so a translation with one before every
// source line cuts the picture into the output of each line.
const MARK = '%%\u0001\n';
const MARK_OUT = '%\u0001\n';
const ANNOTATION = /\\put\([^()]*\)\{\\makebox\(0,0\)\[[brtl]\]\{\\scriptsize \d+\$ (?:r|u|\\ell|d) \$\}\}/y;

// Maps offsets of the picture tex (translated from source with the option
// letters) to source line numbers. Returns a function of an offset giving
// the line number, or 0 where the mapping is lost.
export function sourceMap(translate, source, conf, letters, tex) {
  const pieces = source.split('\n');
  const marked = pieces.map((p, i) => (i === pieces.length - 1 && p === '' ? '' : MARK + p)).join('\n');
  const mapped = translate(marked, conf, letters.replace(/h/g, '')).tex;
  const chunks = mapped.split(MARK_OUT);
  const header = chunks.shift();
  const ranges = [];   // [start, end, line]
  let pos = 0;
  if (tex.startsWith(header)) {
    pos = header.length;
    const trailer = '\\end{picture}\n';
    const last = chunks.length - 1;
    if (last >= 0 && chunks[last].endsWith(trailer)) chunks[last] = chunks[last].slice(0, -trailer.length);
    for (let n = 0; n < chunks.length; n++) {
      if (!tex.startsWith(chunks[n], pos)) break;
      ranges.push([pos, pos + chunks[n].length, n + 1]);
      pos += chunks[n].length;
      if (letters.includes('h')) {
        ANNOTATION.lastIndex = pos;
        const m = ANNOTATION.exec(tex);
        if (m) {
          ranges.push([pos, pos + m[0].length, n + 1]);
          pos += m[0].length;
        }
      }
    }
  }
  return (offset) => {
    for (const [a, b, line] of ranges) if (offset >= a && offset < b) return line;
    return 0;
  };
}
