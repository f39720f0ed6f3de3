// Writes the playground as self-contained pages: each page is one HTML file
// holding its styles, KaTeX with its fonts, the translator in WebAssembly and
// the page's modules, so that it works from disk or from any static server
// without a network.
//
// usage: node build-site.mjs SRC_DIR WASM_MODULE NODE_MODULES EXAMPLES_DIR OUT_DIR
import { readFileSync, writeFileSync, mkdirSync, readdirSync, existsSync } from 'node:fs';
import { join, basename } from 'node:path';

// Joins ES modules into the body of one inline module script. Each module
// becomes a function scope that returns its exports; an import becomes a
// destructuring of the exporting module's object. Only the forms used here
// are understood: named imports and exports of declarations, and a default
// import of a module that ends in 'export default NAME;'.
export function bundle(entry, read) {
  const order = [];
  const seen = new Map();
  const ident = (name) => '__qld_' + name.replace(/[^A-Za-z0-9]/g, '_');
  const importRe = /^import\s+(?:(\w+)|\{([^}]*)\})\s+from\s+'\.\/([\w.-]+)';?[ \t]*$/gm;

  function visit(name) {
    if (seen.has(name)) return;
    seen.set(name, null);
    let text = read(name);
    const deps = [];
    text = text.replace(importRe, (_, def, names, from) => {
      deps.push(from);
      if (def) return `const ${def} = ${ident(from)}.default;`;
      const list = names.split(',').map((n) => n.trim()).filter(Boolean)
        .map((n) => n.replace(/^(\w+)\s+as\s+(\w+)$/, '$1: $2'));
      return `const { ${list.join(', ')} } = ${ident(from)};`;
    });
    if (/^\s*import\s/m.test(text)) throw new Error(`${name}: an import form the bundler does not know`);
    const exported = [];
    text = text.replace(/^export\s+((?:async\s+)?(?:function\*?|const|let|class)\s+(\w+))/gm, (_, decl, id) => {
      exported.push(id);
      return decl;
    });
    text = text.replace(/^export default (\w+);?\s*$/m, (_, id) => {
      exported.push(`default: ${id}`);
      return '';
    });
    if (/^export\s/m.test(text)) throw new Error(`${name}: an export form the bundler does not know`);
    if (/^(?:const|let)\s+\w+\s*=[^;\n]*,\s*\w+\s*=/m.test(text) && exported.length) {
      for (const m of text.matchAll(/^(?:const|let)\s+(\w+)\s*=[^;\n]*,\s*\w+\s*=/gm)) {
        if (exported.includes(m[1])) throw new Error(`${name}: export one name per declaration (${m[1]})`);
      }
    }
    for (const d of deps) visit(d);
    order.push(`const ${ident(name)} = (() => {\n${text}\nreturn { ${exported.join(', ')} };\n})();\n`);
    seen.set(name, true);
  }
  visit(entry);
  return order.join('\n');
}

// Text that may stand inside a <script> or <style> element.
function inline(text, what) {
  if (/<\/(script|style)/i.test(text)) throw new Error(`${what} holds a closing tag`);
  return text;
}

// The examples as a module: name, source, options from the line
// '%% run: quillard ...', and the .quillard beside the source.
function examplesModule(dir) {
  const found = [];
  const walk = (d) => {
    for (const f of readdirSync(d, { withFileTypes: true }).sort((a, b) => a.name.localeCompare(b.name))) {
      if (f.isDirectory()) walk(join(d, f.name));
      else if (f.name.endsWith('.qld')) found.push(join(d, f.name));
    }
  };
  walk(dir);
  const list = found.map((path) => {
    const source = readFileSync(path, 'utf8');
    const run = /^%% run: quillard(.*)$/m.exec(source);
    const letters = run ? run[1].split(/\s+/).filter((w) => w.startsWith('-')).map((w) => w.slice(1)).join('') : '';
    const confPath = join(path, '..', '.quillard');
    const conf = existsSync(confPath) ? readFileSync(confPath, 'utf8') : '';
    return { name: basename(path, '.qld'), source, letters: letters.replace(/[^hbBsn]/g, ''), conf };
  });
  return `export const EXAMPLES = ${JSON.stringify(list, null, 1)};\n`;
}

function main([srcDir, wasm, modules, examplesDir, out]) {
  const katexDir = join(modules, 'katex', 'dist');
  const fonts = join(katexDir, 'fonts');
  // KaTeX's styles with its WOFF fonts as data: URLs, the other formats
  // dropped: browsers read WOFF, and so does the font reader that turns
  // the texts of a downloaded SVG into outlines.
  let css = readFileSync(join(katexDir, 'katex.min.css'), 'utf8');
  css = css.replace(/src:url\(fonts\/([\w-]+)\.woff2\) format\("woff2"\)(,url\([^)]*\) format\("[^"]*"\))*/g,
    (_, font) => `src:url(data:font/woff;base64,${readFileSync(join(fonts, font + '.woff')).toString('base64')}) format("woff")`);
  if (/url\(fonts\//.test(css)) throw new Error('KaTeX styles refer to a font not inlined');
  const katexJs = readFileSync(join(katexDir, 'katex.min.js'), 'utf8');
  const opentypeJs = readFileSync(join(modules, 'opentype.js', 'dist', 'opentype.min.js'), 'utf8');
  const files = {
    // emscripten's script defines the factory; the bundler takes it as the
    // module's default export.
    'quillard-wasm.mjs': readFileSync(wasm, 'utf8') + '\nexport default createQuillard;\n',
    'examples.js': examplesModule(examplesDir),
  };
  const read = (name) => files[name] ?? readFileSync(join(srcDir, name), 'utf8');
  const style = readFileSync(join(srcDir, 'style.css'), 'utf8');

  mkdirSync(out, { recursive: true });
  // The worker's modules, the translator among them, wait in a script
  // element that is not run; the page starts the worker from its text.
  const html = readFileSync(join(srcDir, 'index.html'), 'utf8')
    .replace('<!-- STYLES -->', () => `<style id="katex-css">${inline(css, 'katex.min.css')}</style>\n` +
      `<style>${inline(style, 'style.css')}</style>`)
    .replace('<!-- SCRIPTS -->', () => `<script>${inline(katexJs, 'katex.min.js')}</script>\n` +
      `<script>${inline(opentypeJs, 'opentype.min.js')}</script>\n` +
      `<script type="text/x-worker" id="worker-source">\n${inline(bundle('worker.js', read), 'worker.js')}</script>\n` +
      `<script type="module">\n${inline(bundle('app.js', read), 'app.js')}</script>`);
  writeFileSync(join(out, 'index.html'), html);
  writeFileSync(join(out, 'KATEX-LICENSE.txt'), readFileSync(join(modules, 'katex', 'LICENSE'), 'utf8'));
  writeFileSync(join(out, 'OPENTYPE-LICENSE.txt'), readFileSync(join(modules, 'opentype.js', 'LICENSE'), 'utf8'));
}

if (process.argv[1] && process.argv[1].endsWith('build-site.mjs')) main(process.argv.slice(2));
