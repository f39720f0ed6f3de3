// The translator in WebAssembly: one call translates a source with its
// options and configuration text exactly as the quillard program does, and
// returns the picture, the transcript (after the banner), the exit status
// and where each source line's LaTeX ends in the picture.

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

const QUIET = 32;
const LINE_ENDS = 64;

// An editor's text as a file saved from it: ending in a newline unless empty.
export function asFile(text) {
  return text === '' || text.endsWith('\n') ? text : text + '\n';
}

// Byte offsets of UTF-8 text turned into offsets of the decoded string
// (UTF-16 code units), for offsets in increasing order.
export function utf16Offsets(bytes, offsets) {
  const out = new Uint32Array(offsets.length);
  let units = 0;
  let b = 0;
  for (let k = 0; k < offsets.length; k++) {
    const to = offsets[k];
    for (; b < to; b++) {
      const c = bytes[b];
      if ((c & 0xc0) !== 0x80) units += c >= 0xf0 ? 2 : 1;
    }
    out[k] = units;
  }
  return out;
}

export async function loadTranslator(factory) {
  const mod = await factory();
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const bytes = (ptr, size) => mod.HEAPU8.subarray(ptr, ptr + size);

  // quiet: the transcript is the messages of 'quillard --quiet' on a file
  // source.qld, each error once in line order with its reason.
  function translate(source, conf = '', letters = '', { quiet = false } = {}) {
    const src = encoder.encode(source);
    const cfg = encoder.encode(conf);
    const psrc = mod._malloc(src.length + 1);
    const pcfg = mod._malloc(cfg.length + 1);
    mod.HEAPU8.set(src, psrc);
    mod.HEAPU8.set(cfg, pcfg);
    const status = mod._qld_translate(psrc, src.length, pcfg, cfg.length, optionFlags(letters) | LINE_ENDS | (quiet ? QUIET : 0));
    mod._free(psrc);
    mod._free(pcfg);
    const texBytes = bytes(mod._qld_picture(), mod._qld_picture_size());
    const tex = decoder.decode(texBytes);
    const n = mod._qld_ends_size();
    let ends = new Uint32Array(mod.HEAPU8.buffer, mod._qld_ends(), n).slice();
    if (tex.length !== texBytes.length) ends = utf16Offsets(texBytes, ends);
    return {
      status,
      tex,
      transcript: decoder.decode(bytes(mod._qld_transcript(), mod._qld_transcript_size())),
      ends,
    };
  }
  return { translate };
}
