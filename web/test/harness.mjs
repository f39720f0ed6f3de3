// What the browser tests share: the skip rule, Chromium started headless the
// way this machine needs it, the site's pages, the quillard program and the
// examples with the options they are meant to be run with.
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, basename, dirname } from 'node:path';
import { spawnSync } from 'node:child_process';
import { pathToFileURL } from 'node:url';

export const SKIP = 77;
export const site = process.env.QUILLARD_SITE || '';
export const binary = process.env.QUILLARD_BINARY || '';
export const examplesDir = process.env.QUILLARD_EXAMPLES || '';
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

export function skip(reason) {
  console.log(`SKIP: ${reason}`);
  process.exit(SKIP);
}

// Skips the test unless everything it needs is there.
export async function needBrowser() {
  if (process.env.QUILLARD_WEB_SKIP) skip(process.env.QUILLARD_WEB_SKIP);
  if (!existsSync(join(site, 'index.html'))) skip(`the site is not built (${site}/index.html missing): cmake --build build --target web`);
  if (!existsSync(CHROMIUM)) skip(`Chromium not found at ${CHROMIUM} (Debian: apt-get install chromium)`);
  try {
    return (await import('puppeteer-core')).default;
  } catch (e) {
    skip('puppeteer-core not installed: run npm ci in web/');
  }
}

// Runs body(browser) with a fresh headless Chromium, closed afterwards.
export async function withBrowser(puppeteer, body) {
  const profile = mkdtempSync(join(tmpdir(), 'qld-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${profile}`, '--font-render-hinting=none'],
  });
  try {
    return await body(browser);
  } finally {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  }
}

export function pageUrl(name, fragment = '') {
  return pathToFileURL(join(site, name)).href + (fragment ? '#' + fragment : '');
}

// Opens a page of the site and waits until it has drawn. Page errors and
// any request that leaves the file fail the test.
export async function openPage(browser, name, fragment = '', viewport = { width: 1280, height: 900 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const problems = [];
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('request', (r) => {
    if (!/^(file|data|blob):/.test(r.url())) problems.push(`request: ${r.url()}`);
  });
  await page.goto(pageUrl(name, fragment));
  await page.waitForSelector('body[data-ready="true"]', { timeout: 20000 });
  return { page, problems };
}

// Every example: path, name, option letters from its '%% run:' line, and
// the .quillard text beside it.
export function examples() {
  const out = [];
  const walk = (d) => {
    for (const f of readdirSync(d, { withFileTypes: true })) {
      if (f.isDirectory()) walk(join(d, f.name));
      else if (f.name.endsWith('.qld')) out.push(join(d, f.name));
    }
  };
  walk(examplesDir);
  return out.sort().map((path) => {
    const source = readFileSync(path, 'utf8');
    const run = /^%% run: quillard(.*)$/m.exec(source);
    const letters = run ? run[1].split(/\s+/).filter((w) => w.startsWith('-')).map((w) => w.slice(1)).join('') : '';
    const confPath = join(dirname(path), '.quillard');
    return { path, name: basename(path, '.qld'), source, letters,
      conf: existsSync(confPath) ? readFileSync(confPath, 'utf8') : '' };
  });
}

// The quillard program's picture for a source, run in a temporary folder
// with the configuration text as its .quillard; the folder is removed.
// extra: arguments before the file name (such as --quiet); name: the
// source file's name.
export function programOutput(source, letters, conf, { extra = [], name = 'pic.qld' } = {}) {
  const dir = mkdtempSync(join(tmpdir(), 'qld-run-'));
  try {
    writeFileSync(join(dir, name), source);
    if (conf) writeFileSync(join(dir, '.quillard'), conf);
    let status = 0;
    let stdout, stderr;
    try {
      const r = spawnSync(binary, [...extra, ...(letters ? ['-' + letters] : []), name],
        { cwd: dir, stdio: ['ignore', 'pipe', 'pipe'], env: { PATH: process.env.PATH } });
      status = r.status;
      stdout = r.stdout;
      stderr = r.stderr;
    } catch (e) {
      status = -1;
    }
    const out = name.replace(/\.qld$/, '.tex');
    return { status, stdout: stdout.toString('utf8'), stderr: stderr.toString('utf8'),
      tex: readFileSync(join(dir, out), 'utf8') };
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// Reports the cases and exits: 0 when every case passed.
export function finish(name, failures, total) {
  for (const f of failures) console.log(`FAIL ${f}`);
  console.log(`${name}: ${total - failures.length} of ${total} cases passed`);
  process.exit(failures.length ? 1 : 0);
}

// Waits until the page has drawn the answer to its last request.
export async function settled(page, timeout = 30000) {
  await page.waitForFunction(() => document.body.dataset.ready === 'true' && document.body.dataset.busy === 'false',
    { timeout, polling: 20 });
}

// Sets the preview's unit and zoom (fit off) and waits for the drawing.
export async function setView(page, { unit = '1cm', zoom } = {}) {
  await page.evaluate((unit, zoom) => {
    const fit = document.getElementById('fit');
    if (fit.checked) { fit.checked = false; fit.dispatchEvent(new Event('change')); }
    const u = document.getElementById('unit');
    if (u.value !== unit) { u.value = unit; u.dispatchEvent(new Event('input')); }
    const z = document.getElementById('zoom');
    z.value = String(zoom);
    z.dispatchEvent(new Event('input'));
  }, unit, zoom);
  await settled(page);
}

// The text of a file the browser downloads into dir, once it is whole (no
// partial download left, its size settled), or null after 10 s.
export async function savedFile(dir, name) {
  let size = -1;
  for (let i = 0; i < 200; i++) {
    const files = readdirSync(dir);
    if (files.includes(name) && !files.some((f) => f.endsWith('.crdownload'))) {
      const text = readFileSync(join(dir, name), 'utf8');
      if (text.length === size) return text;
      size = text.length;
    }
    await new Promise((r) => setTimeout(r, 50));
  }
  return null;
}

// Opens the raw transcript (computed only while it is shown) and returns
// its text.
export async function rawTranscript(page) {
  await page.evaluate(() => { document.getElementById('raw').open = true; });
  await page.waitForFunction(() => document.getElementById('transcript').textContent.length > 0, { timeout: 20000 });
  await settled(page);
  return page.$eval('#transcript', (e) => e.textContent);
}
