// The shareable link: '#src=' and the base64url of the UTF-8 source (padding
// optional), '&opts=' and the option letters, '&conf=' and the base64url of a
// configuration text when there is one.

export function toBase64url(text) {
  const bytes = new TextEncoder().encode(text);
  let bin = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    bin += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(bin).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The text of a base64url field, or null when it is not base64url of
// UTF-8 text.
export function fromBase64url(field) {
  const b64 = field.replace(/-/g, '+').replace(/_/g, '/').replace(/=+$/, '');
  if (!/^[A-Za-z0-9+/]*$/.test(b64) || b64.length % 4 === 1) return null;
  const bin = atob(b64 + '='.repeat((4 - (b64.length % 4)) % 4));
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(Uint8Array.from(bin, (c) => c.charCodeAt(0)));
  } catch (e) {
    return null;
  }
}

export function encodeFragment({ source, letters = '', conf = '' }) {
  let frag = 'src=' + toBase64url(source);
  if (letters) frag += '&opts=' + letters;
  if (conf) frag += '&conf=' + toBase64url(conf);
  return frag;
}

// {source, letters, conf} from a fragment (with or without '#'), or null
// when it holds no source or a field that cannot be read.
export function decodeFragment(hash) {
  const fields = {};
  for (const part of hash.replace(/^#/, '').split('&')) {
    const eq = part.indexOf('=');
    if (eq > 0) fields[part.slice(0, eq)] = part.slice(eq + 1);
  }
  if (!('src' in fields)) return null;
  const source = fromBase64url(fields.src);
  if (source === null) return null;
  const conf = fields.conf ? fromBase64url(fields.conf) : '';
  if (conf === null) return null;
  const letters = (fields.opts || '').replace(/[^hbBsn]/g, '');
  return { source, letters, conf };
}
